// Dock points of a bimolecular reaction: read from its section, and tested
// between two instances every step they come close.
#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <stdexcept>
#include <vector>

#include "dynamics/PDcalc.h"
#include "dynamics/species/BodyFrame.h"
#include "utils/Log.h"
#include "utils/backup/backup.h"

namespace {

// Values of one "points" entry in ångström: the required distance, a point
// in the structure file of reactant 0, one in that of reactant 1.
constexpr int entry_values = 7;

// Distance from a body-frame point to the nearest surface point of a species;
// +infinity without surface points.
double surface_distance(const PROT_CLASS& s, const POINT3D& point) {
    double best = std::numeric_limits<double>::infinity();
    for (const POINT3D& surface : s.surf_points) best = std::min(best, getDistance(surface, point, nullptr));
    return best;
}

const char* reaction_name(const REACTION& reaction) {
    const char* name = reaction.section != nullptr ? reaction.section->GetName("", -1) : nullptr;
    return name != nullptr ? name : "";
}

// One entry of "points"; a point not given in full stands at its species'
// centre of mass (plus what was given of it).
DOCKPOINT read_point(const Section* entry, const PROT_CLASS& A, const PROT_CLASS& B) {
    double v[entry_values] = {};
    const int given = entry != nullptr ? entry->GetDoubles(v, entry_values, "") : 0;
    POINT3D structure_a{v[1], v[2], v[3]};
    POINT3D structure_b{v[4], v[5], v[6]};
    if (given < 4) structure_a += A.mass_center;
    if (given < 7) structure_b += B.mass_center;

    DOCKPOINT point{};
    point.a = body_position(A, structure_a);
    point.b = body_position(B, structure_b);
    if (given >= 1) {
        point.range = v[0] * 1e-10;
        point.range2 = point.range * point.range;
    }
    point.min_dist2 = std::numeric_limits<double>::infinity();
    LOG_MESSAGE("Dockpoint: required distance %e, distance in PDB %e,\n\t%e from %s surface,\n\t%e from %s surface",
                point.range, getDistance(structure_a, structure_b, nullptr) * 1e-10, surface_distance(A, point.a),
                A.name.c_str(), surface_distance(B, point.b), B.name.c_str());
    return point;
}

// The largest centre distance at which `required` of the points can be within
// range at once. Each point within range puts the centres at most
// |a| + |b| + range apart, so the required-th largest of these bounds holds
// for every contact: all points required gives the smallest bound, a single
// one the largest.
double dock_distance(const std::vector<DOCKPOINT>& points, std::int32_t required) {
    std::vector<double> bounds;
    bounds.reserve(points.size());
    for (const DOCKPOINT& p : points)
        bounds.push_back(getDistance(p.a, POINT3D{}, nullptr) + getDistance(p.b, POINT3D{}, nullptr) + p.range);
    const auto kth = bounds.begin() + (required - 1);
    std::nth_element(bounds.begin(), kth, bounds.end(), std::greater<>());
    return *kth;
}

}  // namespace

void PDcalc::read_points(REACTION& reaction) {
    if (reaction.order != 2) {
        LOG_WARNING("trimolecular or higher order (%d) reaction are not supported yet", reaction.order);
        return;
    }
    if (reaction.reactants.size() != 2 || reaction.reactants[0] == nullptr || reaction.reactants[1] == nullptr)
        throw std::logic_error("dock points read before the reaction's reactants");
    const PROT_CLASS& A = *reaction.reactants[0];
    const PROT_CLASS& B = *reaction.reactants[1];
    CLASS_PAIR& pair = model.pairs.at(pair_index(model, std::max(A.index, B.index), std::min(A.index, B.index)));

    Section* section = reaction.section;
    reaction.points_n = section != nullptr ? std::max(section->GetSecNum("points"), 0) : 0;
    reaction.points_required = reaction.points_n;
    if (section != nullptr) section->GetInt(reaction.points_required, "points_required");

    // Sized once: every point's min_dist2 is a restart block.
    reaction.points.assign(static_cast<std::size_t>(reaction.points_n), DOCKPOINT{});
    for (std::int32_t k = 0; k < reaction.points_n; ++k) {
        DOCKPOINT& point = reaction.points[static_cast<std::size_t>(k)];
        point = read_point(section->GetSection("points", k), A, B);
        backup::add(&point.min_dist2, sizeof point.min_dist2, __FILE__, __LINE__);
    }

    if (reaction.points_n == 0) {
        LOG_WARNING("reaction %s has no dock points: it never fires", reaction_name(reaction));
        return;
    }
    if (reaction.points_required < 1 || reaction.points_required > reaction.points_n) {
        LOG_WARNING("reaction %s requires %d of its %d dock points: it never fires", reaction_name(reaction),
                    reaction.points_required, reaction.points_n);
        return;
    }
    const double dock = dock_distance(reaction.points, reaction.points_required);
    pair.dock2 = std::max(pair.dock2, dock * dock);
}

int PDcalc::dockpoints_test(REACTION* reaction, PROT& A, PROT& B, bool force) {
    if (reaction->order != 2) return 0;
    // Each instance reacts once: not while the partner arrays hold it, and not
    // once it has stopped (in a reaction of a species with itself an instance
    // meets the same partner again in the other role).
    if (!force && (reaction->partner[0].at(static_cast<std::size_t>(A.index)) >= 0 ||
                   reaction->partner[1].at(static_cast<std::size_t>(B.index)) >= 0 || A.stopped || B.stopped))
        return 0;

    const COMPARTMENT* c = compartment_of(model.species[static_cast<std::size_t>(A.species)]);
    const auto distance2 = [&](const DOCKPOINT& p) {
        return getDistance2(p.a.fromInternal(A), p.b.fromInternal(B), c);
    };
    std::int32_t remaining = reaction->points_required;
    bool success = false;
    for (std::size_t k = 0; k < reaction->points.size(); ++k) {
        const DOCKPOINT& point = reaction->points[k];
        const double d2 = distance2(point);
        if (force)
            LOG_MESSAGE("Distance %d\t%e\t%e (min = %e)", static_cast<int>(k + 1), std::sqrt(d2), point.range,
                        std::sqrt(point.min_dist2));
        if (point.range2 >= d2 && --remaining == 0) {
            success = true;
            if (!force) break;
        }
    }
    if (!success) return 0;

    reaction->contacts += 1;
    for (DOCKPOINT& point : reaction->points) point.min_dist2 = std::min(point.min_dist2, distance2(point));
    reaction_event(reaction, A, B);
    return 1;
}
