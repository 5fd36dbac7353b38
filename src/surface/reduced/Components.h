#pragma once
// Reduced-surface components: creation, lookup by number and merging.
#include "surface/RunState.h"

namespace velmesh {

// Appends a new, empty component numbered after the last one. There is no
// limit on their number.
RS_component& new_rs_component(RunState& run);

// The component with the number; reports on standard error and ends the run
// with 1 when there is none.
RS_component& rs_component_by_number(RunState& run, int number);

// Joins two components: the one with the lower number absorbs the other's
// faces (renumbered after its own), edges, free edges and counters; the
// spheres and records of the absorbed one take the absorber's number, the
// components after it step down by one, and it is removed. Returns the
// absorber.
RS_component& merge_rs_components(RunState& run, RS_component& a, RS_component& b);

// Sets every component's sphere count to the number of distinct spheres its
// edges and free edges touch.
void count_component_spheres(RunState& run);

}  // namespace velmesh
