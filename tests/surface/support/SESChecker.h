#pragma once
// Checks the analytical solvent-excluded surface, as the run holds it after
// the SES stage, against what its records promise (surface/ses/SESRecords.h),
// with geometry of its own: every edge stands in its first face forwards and
// in its second backwards; every face's cycles close in traversal order;
// arcs end on their circles, contact arcs turn by their torus's angle on
// their spheres and carry the latitude their circle has there; reentrant
// faces lie on their probe spheres, on the inner side of their arcs; every
// contact arc of a sphere that is not collision-only belongs to one of the
// sphere's contact faces; ids, counters and the genus agree (a whole genus unless collision-only
// spheres leave the surface open).
#include <string>
#include <vector>

#include "surface/RunState.h"

namespace surface_testing {

struct SESCheck {
    std::vector<std::string> problems;

    bool ok() const { return problems.empty(); }
    std::string report() const;
};

// Checks every SES component of the run. Lengths agree within `tolerance`.
SESCheck check_analytical_surface(const velmesh::RunState& run, double tolerance = 2e-3);

// Runs the reduced surface, the SES of every component (as -surface ases
// asks) and the areas over the run; returns the SES stage's problem count,
// or -1 when the reduced surface fails.
int compute_analytical_surface(velmesh::RunState& run);

}  // namespace surface_testing
