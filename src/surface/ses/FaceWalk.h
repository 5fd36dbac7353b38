#pragma once
// The walk over a component's reduced-surface faces that builds their
// reentrant faces and, across every edge, its toric faces.
#include "surface/ses/SESContext.h"

namespace velmesh {

// Depth first from each face not yet reached, in list order, each face's
// edges in the order 0, 1, 2, on a stack of its own rather than the
// thread's. Faces, edges and vertices are made in that order.
void walk_reduced_faces(SESContext& context, RS_component& component);

}  // namespace velmesh
