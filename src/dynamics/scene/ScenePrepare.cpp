// The scene of a fresh experiment: every instance at its configured place or
// at a random collision-free one, and the reactions' per-experiment state
// reset.
#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "dynamics/PDcalc.h"
#include "dynamics/scene/Placement.h"
#include "dynamics/scene/Rotation.h"
#include "utils/Format.h"
#include "utils/Log.h"

namespace {

// Random places tried for one instance before its compartment counts as too
// full.
constexpr int max_placement_attempts = 100000;
// How far a configured orientation may stray from a proper rotation.
constexpr double rotation_tolerance = 1e-5;

std::string compartment_name(const PROFILE& model, std::int32_t index) {
    for (const auto& [name, i] : model.compartment_index)
        if (i == index) return name;
    return format("#%d", index);
}

bool has_bounds(const COMPARTMENT* c) { return c != nullptr && (c->type == 0 || c->type == 1); }

bool inside(const COMPARTMENT& c, const PROT& p) {
    return c.lower.x <= p.x && p.x <= c.upper.x && c.lower.y <= p.y && p.y <= c.upper.y && c.lower.z <= p.z &&
           p.z <= c.upper.z;
}

// A number from the engine's placement generator, uniform in [0, scale].
double standard_draw(PDcalc& engine, double scale) {
    return static_cast<double>(engine.placement_random.next()) * scale / PlacementRandom::max;
}

// An entry of the species' "positions": the centre (metres, as written) and
// `rot` row by row; missing values keep the origin and the identity.
void place_as_configured(PDcalc& engine, PROT& p, const PROT_CLASS& species, const Section& entry) {
    double v[12] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1};
    entry.GetDoubles(v, 12, "");
    const auto refuse = [&](const char* what) {
        const char* name = entry.GetName("", -1);
        return format("species \"%s\": position \"%s\" %s", species.name.c_str(), name != nullptr ? name : "", what);
    };
    if (!std::all_of(std::begin(v), std::end(v), [](double x) { return std::isfinite(x); }))
        throw refuse("holds a number that is not finite");
    p.x = v[0];
    p.y = v[1];
    p.z = v[2];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) p.rot[i][j] = v[3 + 3 * i + j];
    const COMPARTMENT* c = engine.compartment_of(species);
    if (has_bounds(c) && !inside(*c, p))
        throw refuse(format("places the centre outside compartment \"%s\"",
                            compartment_name(engine.model, species.compartment).c_str())
                         .c_str());
    if (!is_rotation(p.rot, rotation_tolerance))
        throw refuse("is not a rotation (orthonormal rows, determinant 1)");
    inv_mat(p.rot, p.rot_inv);
}

// A uniformly distributed place in the species' compartment and a uniformly
// distributed orientation, drawn until neither a wall nor an instance placed
// before is hit.
void place_at_random(PDcalc& engine, PROT& p, const PROT_CLASS& species, int k) {
    const COMPARTMENT* c = engine.compartment_of(species);
    const std::string compartment = compartment_name(engine.model, species.compartment);
    if (!has_bounds(c))
        throw format("cannot place species \"%s\" at random: compartment \"%s\" has no bounds",
                     species.name.c_str(), compartment.c_str());
    for (int attempt = 0; attempt < max_placement_attempts; ++attempt) {
        p.x = standard_draw(engine, c->size.x) + c->lower.x;
        p.y = standard_draw(engine, c->size.y) + c->lower.y;
        p.z = standard_draw(engine, c->size.z) + c->lower.z;
        const double u1 = standard_draw(engine, 1.0);
        const double u2 = standard_draw(engine, 1.0);
        const double u3 = standard_draw(engine, 1.0);
        uniform_rotation(u1, u2, u3, p.rot);
        inv_mat(p.rot, p.rot_inv);
        if (engine.collision3D(&p) == 0) return;
    }
    throw format("cannot place instance %d of %d of species \"%s\" in compartment \"%s\": no free place found in "
                 "%d random tries; the compartment is too full",
                 k + 1, species.N, species.name.c_str(), compartment.c_str(), max_placement_attempts);
}

}  // namespace

void PDcalc::scene_prepare() {
    LOG_MESSAGE("Scene preparation...");
    for (REACTION& reaction : model.reactions) {
        reaction.events = 0;
        for (std::vector<std::int32_t>& partner : reaction.partner) std::fill(partner.begin(), partner.end(), -1);
    }

    std::size_t instances = 0;
    for (PROT_CLASS& species : model.species) {
        instances += static_cast<std::size_t>(std::max(species.N, 0));
        if (!species.atom_grid.matches(species.atoms)) species.atom_grid = make_atom_grid(species.atoms);
        if (!species.drift_charges.matches(species.charges))
            species.drift_charges = make_drift_charges(species.charges);
    }
    if (instances > prots.size()) throw std::logic_error("scene_prepare: more instances than the instance array holds");

    active_n = 0;
    std::int32_t g = 0;
    for (const PROT_CLASS& species : model.species) {
        Section* section = species.section;
        const int configured = section != nullptr ? std::max(section->GetSecNum("positions"), 0) : 0;
        for (std::int32_t k = 0; k < species.N; ++k, ++g) {
            active_n = g + 1;
            PROT& p = prots[static_cast<std::size_t>(g)];
            p.species = species.index;
            p.index = g;
            p.stopped = false;
            p.collision_step = -2;
            p.contact_step = -2;
            p.r = species.r_outer;
            p.flags = 0;
            const Section* entry = k < configured ? section->GetSection("positions", k) : nullptr;
            if (entry != nullptr)
                place_as_configured(*this, p, species, *entry);
            else
                place_at_random(*this, p, species, k);
        }
    }
}
