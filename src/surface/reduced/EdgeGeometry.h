#pragma once
// The circle an edge's probe rolls on, the contact circles on its two
// spheres and the points where the probe crosses the spheres' axis.
#include "surface/reduced/RSContext.h"
#include "surface/tree/Geometry.h"

namespace velmesh {

// Stores the torus (of the edge's spheres, in any order) in the edge with
// its contact points, contact radii and singular points.
void set_edge_torus(const RSContext& context, RS_edge& edge, const Torus& torus);

}  // namespace velmesh
