// Collision detection of an instance against the walls of its compartment
// and against the other instances of the scene: radius filters first, then
// the configured narrow stages.
#include <algorithm>
#include <cmath>
#include <cstddef>

#include "dynamics/PDcalc.h"

namespace {

// Whether any of p's elements (body-frame centres, radii from `radius_of`),
// moved into the world, crosses a wall of c.
template <class Elements, class Radius>
bool elements_cross_wall(const PROT& p, const COMPARTMENT* c, const Elements& elements, Radius radius_of) {
    for (const auto& e : elements) {
        const POINT3D world = POINT3D{e.x, e.y, e.z}.fromInternal(p);
        if (SPHERE{world, 0.0}.collision3D_compartment(c, radius_of(e))) return true;
    }
    return false;
}

// The pair test of p and q whose centres, d2 apart (squared), are within
// their outer radii. Below the inner radii the first stage is skipped.
// Without a first stage the second decides alone, and without either the
// outer radii do: every configured stage and radius filter applies whichever
// stages are missing.
int narrow_collision(PDcalc& engine, PROT* p, PROT* q, double d2, const CLASS_PAIR& pair) {
    if (d2 >= pair.inner2 && engine.collision_stage1 != nullptr && (engine.*engine.collision_stage1)(p, q) == 0)
        return 0;
    if (engine.collision_stage2 == nullptr) return 1;
    return (engine.*engine.collision_stage2)(p, q);
}

}  // namespace

int PDcalc::collision3D(PROT* p) {
    const PROT_CLASS& species = model.species[static_cast<std::size_t>(p->species)];
    const COMPARTMENT* c = compartment_of(species);

    // Walls (only a closed box has them): the inner sphere crossing is a
    // collision; once the outer sphere crosses, the stages decide.
    if (p->collision3D_compartment(c, species.r_inner)) return -1;
    if (p->collision3D_compartment(c, p->r)) {
        bool test_atoms = false;
        bool crossing = false;
        if (collision_stage1 == nullptr) {
            test_atoms = collision_stage2 != nullptr;
        } else if (collision_stage1 == &PDcalc::collision3D_spheres && !species.spheres.empty()) {
            crossing = elements_cross_wall(*p, c, species.spheres, [](const SPHERE& s) { return s.r; });
        } else if (collision_stage1 == &PDcalc::collision3D_surface && !species.surf_points.empty()) {
            const double half_cell = h / 2;
            crossing =
                elements_cross_wall(*p, c, species.surf_points, [half_cell](const POINT3D&) { return half_cell; });
        }
        if (crossing) {
            if (collision_stage2 == nullptr) return -1;
            test_atoms = true;
        }
        if (test_atoms && elements_cross_wall(*p, c, species.atoms, [](const ATOM& a) { return a.r; })) return -1;
    }

    // The pair test, with what depends on p alone taken out of the loop.
    const CLASS_PAIR* pairs_of_p = model.pairs.data() + p->species;
    const auto species_n = static_cast<std::size_t>(model.species_n);
    if (pair_scan.live) {
        // Within the time step the other centres are mirrored. While p has
        // not moved far from where its step's near list was picked, that
        // list holds every instance it may touch; otherwise the few within
        // the widest outer range are picked anew (from the cells around p,
        // or by a pass over all), with getDistance2's distances.
        double widest = 0.0;
        for (std::size_t s = 0; s < species_n; ++s) widest = std::max(widest, pairs_of_p[(s + 1) * species_n].outer2);
        const std::int32_t self = p >= prots.data() && p < prots.data() + active_n
                                      ? static_cast<std::int32_t>(p - prots.data())
                                      : -1;
        const bool listed = self >= 0 && pair_scan.near_covers(self, *p, widest);
        std::size_t near_n = pair_scan.near_n;
        if (!listed) {
            pair_scan.near_owner = -1;  // the list is overwritten
            near_n = pair_scan.pick_near(*p, active_n, widest, c);
        }
        const std::int32_t* near = pair_scan.near.data();
        const double* d2s = pair_scan.d2.data();
        const std::int32_t* kinds = pair_scan.species.data();
        for (std::size_t m = 0; m < near_n; ++m) {
            const std::int32_t k = near[m];
            const auto index = static_cast<std::size_t>(k);
            const CLASS_PAIR& pair = pairs_of_p[(static_cast<std::size_t>(kinds[index]) + 1) * species_n];
            double d2;
            if (listed) {
                d2 = pair_scan.exact(*p, k, c);
                if (d2 > pair.outer2) continue;
            } else {
                d2 = d2s[index];
                if (!(d2 <= pair.outer2)) {
                    if (!std::isnan(d2)) continue;
                    d2 = pair_scan.exact(*p, k, c);
                    if (d2 > pair.outer2) continue;
                }
            }
            PROT* q = &prots[index];
            if (q == p) continue;
            if (narrow_collision(*this, p, q, d2, pair) != 0) return k + 1;
        }
        return 0;
    }
    for (std::int32_t k = 0; k < active_n; ++k) {
        PROT* q = &prots[static_cast<std::size_t>(k)];
        const CLASS_PAIR& pair = pairs_of_p[(static_cast<std::size_t>(q->species) + 1) * species_n];
        const double d2 = getDistance2(*p, *q, c);
        if (d2 > pair.outer2 || q == p) continue;
        if (narrow_collision(*this, p, q, d2, pair) != 0) return k + 1;
    }
    return 0;
}

int PDcalc::collision3D(PROT* p, PROT* q) {
    const CLASS_PAIR& pair = model.pairs[pair_index(model, q->species, p->species)];
    const double d2 = getDistance2(*p, *q, compartment_of(model.species[static_cast<std::size_t>(p->species)]));
    if (d2 > pair.outer2) return 0;
    return narrow_collision(*this, p, q, d2, pair);
}
