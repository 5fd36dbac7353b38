#pragma once
// The reduced-surface driver: free vertices, the first face of each
// component and its growth, free edges, and the twin clean-up.
#include "surface/RunState.h"

namespace velmesh {

// Builds the reduced surface of the run's spheres with its probe radius into
// the run's components (see RSRecords.h for what they hold). Returns 1 on
// success, -1 for a failure worth a restart (the status is in rs_failed and
// the spheres of every inconsistency met, in any component, have grown), and
// 0 when there are no spheres.
//
// Without -all_components only the component reached from the extreme
// spheres is built (or, with -one_cavity, the one on the given spheres);
// with it, every sphere left without an edge is tried as the start of
// another component, so a cavity is found when one of its spheres lies on no
// other component.
int compute_reduced_surface(RunState& run);

}  // namespace velmesh
