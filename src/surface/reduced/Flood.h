#pragma once
// Growing a component face by face from its newest face: every open edge is
// rolled over, and the face found beyond it is created or, when it exists
// already, joined to the edge.
#include "surface/reduced/RSContext.h"

namespace velmesh {

// Closes the open edge in `slot` of `from`: rolls the probe about it and
// creates the face beyond, or links the existing one to the edge and deletes
// that face's duplicate edge. When no sphere stops the probe, or the face
// beyond has its edge closed already, the surface is inconsistent: the edge
// (in the second case every open edge of `from`, which overlaps the faces
// there) is given up, the problem reported, and the spheres concerned will
// grow by 0.1 when the stage ends (RSContext::inconsistent).
void treat_open_edge(RSContext& context, RS_component& component, RS_face& from, int slot);

// Treats the open edges of the newest face, depth first: edge 0, then what
// its new face opened, then edge 1 likewise, then edge 2 (whose new face is
// the next newest face); edges given up stay open. Runs on its own stack, so
// its depth is bounded by memory, not by the thread's stack.
void flood(RSContext& context, RS_component& component);

}  // namespace velmesh
