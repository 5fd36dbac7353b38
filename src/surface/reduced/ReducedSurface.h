#pragma once
// The reduced-surface driver and the free-vertex search.
#include "surface/RunState.h"
#include "surface/tree/BHtree.h"
#include "surface/tree/Geometry.h"

namespace velmesh {

// Builds the reduced surface of the run's spheres with its probe radius.
// Returns 1 on success, a negative value for a failure worth a restart, and 0
// when there are no spheres.
int compute_reduced_surface(RunState& run);

// Makes every free vertex (a sphere that no probe touching it can also touch
// another sphere with) a component of its own. Returns the number of spheres
// found free, collision-only ones included, which get no component.
int find_free_vertices(RunState& run, const BHtree& tree);

// The spheres' search tree: one point per sphere, leaf size 10.
std::unique_ptr<BHtree> sphere_tree(const RunState& run);

}  // namespace velmesh
