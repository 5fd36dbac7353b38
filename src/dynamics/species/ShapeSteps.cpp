#include "dynamics/species/ShapeSteps.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

#include "dynamics/PDcalc.h"
#include "dynamics/species/GridMargin.h"
#include "utils/Log.h"

namespace {

double length(double x, double y, double z) { return std::sqrt(x * x + y * y + z * z); }

// Logs every atom whose centre no sphere holds, with how far (ångström) it
// lies outside the nearest sphere.
void report_coverage(const PROT_CLASS& s) {
    int uncovered = 0;
    double worst = -std::numeric_limits<double>::infinity();
    for (std::size_t a = 0; a < s.atoms.size(); ++a) {
        const ATOM& atom = s.atoms[a];
        double d = std::numeric_limits<double>::infinity();
        for (const SPHERE& sphere : s.spheres)
            d = std::min(d, (length(atom.x - sphere.x, atom.y - sphere.y, atom.z - sphere.z) - sphere.r) * 1e10);
        if (d >= 0.0) {
            LOG_MESSAGE("atom %d uncovered by %fA", static_cast<int>(a), d);
            ++uncovered;
        }
        worst = std::max(worst, d);
    }
    LOG_MESSAGE("%d atoms uncovered, min distance %fA", uncovered, worst);
}

}  // namespace

void build_shapes(PDcalc& engine, PROT_CLASS& species, const ShapeStages& stages) {
    if (engine.velmesh_surface) engine.velmesh_surface(species, engine);
    grid_margin::check(species, engine.h);
    if (stages.spheres) {
        if (!engine.read_spheres(species)) engine.spheres_gen(species);
        report_coverage(species);
    }
    engine.surf_points(species);

    if (stages.atoms) {
        species.r_outer = 0.0;
        for (const ATOM& a : species.atoms) species.r_outer = std::max(species.r_outer, length(a.x, a.y, a.z) + a.r);
    } else if (stages.spheres) {
        species.r_outer = 0.0;
        for (const SPHERE& s : species.spheres)
            species.r_outer = std::max(species.r_outer, length(s.x, s.y, s.z) + s.r);
    }
    if (!stages.surface) {
        species.r_inner = 0.0;
        for (const SPHERE& s : species.spheres)
            species.r_inner = std::max(species.r_inner, s.r - length(s.x, s.y, s.z));
    }
    LOG_MESSAGE("R=%e", species.r_outer);
    LOG_MESSAGE("r=%e", species.r_inner);
}
