#pragma once
// Twin faces: two faces on the same three spheres in reversed order, whose
// probes lie on either side of the spheres' plane. Where the probe passes
// between the spheres on singular edges the two may overlap; this pass
// removes such pairs where they only make a sliver between their neighbours,
// and pairs up the others.
#include "surface/reduced/RSContext.h"

namespace velmesh {

// For every face with at least two singular edges (other than exactly two of
// kind 1) that has a reversed face: when the two share two edges and are a
// sliver (joining the faces beyond their third edges would let the probe
// into their third sphere by no more than a thousandth of its radius, and
// along both shared edges the probe rolls from one to the other the short
// way, less than half a turn), both
// are removed and those faces are joined through the first face's edge;
// otherwise they become twins of each other and the component's face pair
// count grows. Two faces that share all three edges are the whole component
// and are kept as twins.
void clean_twin_faces(RSContext& context, RS_component& component);

}  // namespace velmesh
