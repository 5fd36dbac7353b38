#pragma once
// Reentrant faces (pieces of a probe sphere) and contact faces (pieces of an
// atom's sphere): the sphere's template is carved to the points that lie
// inside the face, and an advancing front closes the face from its boundary
// (the point lists of its arcs, already sampled) over those points.
#include "surface/RunState.h"

namespace velmesh {

// Triangulates the face (type 1 or 2): adds its triangles (face number id,
// kind by its type) and the template points they use as vertices (face
// number id + 1). A face that cannot be closed gets its bad flag and adds
// nothing; the result tells whether it was closed.
bool triangulate_spherical_face(RunState& run, SES_face& face);

}  // namespace velmesh
