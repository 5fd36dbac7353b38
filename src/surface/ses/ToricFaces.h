#pragma once
// The toric faces of a reduced-surface edge: the band the probe sweeps while
// it rolls from one face's position to the other's, bounded by the two
// sides' reentrant arcs and by the contact arcs it traces on the two
// spheres. A singular edge splits the band at the axis into one face per
// sphere.
#include "surface/ses/ReentrantSides.h"

namespace velmesh {

// Builds the toric face(s) of the edge from its two sides: `x`, whose
// traversal runs from sphere a to b, and `y`, the other side (from b to a).
void build_toric_faces(SESContext& context, RS_edge& edge, const SideArcs& x, const SideArcs& y);

// The contact arc that the edge's torus traces on `sphere` (one of the
// edge's two) from `from` to `to`: its normal is the axis pointing away from
// the other sphere, its torus angle the edge's rotation angle.
SES_edge& contact_arc(SESContext& context, RS_edge& edge, int sphere, SES_vertex* from, SES_vertex* to);

}  // namespace velmesh
