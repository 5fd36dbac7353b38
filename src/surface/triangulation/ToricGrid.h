#pragma once
// Toric faces and full tori on a regular grid: rows are the face's probe arc
// turned about the torus axis, columns run from one contact arc to the other
// (or to the singular vertex where the torus meets its axis). The grid also
// gives the point lists of the face's arcs.
#include "surface/RunState.h"

namespace velmesh {

// Samples the face (type 3, 4 or 5), adds its interior points to the tables
// (face number id + 1) and fills its arcs' point lists; adds its triangles
// (toric, face number id) when `emit_triangles`.
void triangulate_toric_face(RunState& run, SES_face& face, bool emit_triangles);

}  // namespace velmesh
