#pragma once
// Free vertices: spheres so far from all others that no probe touching them
// can touch another sphere.
#include "surface/RunState.h"
#include "surface/tree/BHtree.h"

namespace velmesh {

// Makes every free vertex a component of its own, holding one edge from the
// sphere to itself. A sphere is free when it has at most 20 neighbours within
// 2p + r + rmax and none of them closer than r + r_n + 2p. Returns the number
// of spheres found free, collision-only ones included, which get no
// component: alone they bound no surface.
int find_free_vertices(RunState& run, const BHtree& tree);

}  // namespace velmesh
