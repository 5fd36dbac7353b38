#pragma once
// Faces that the search for components passes over: a cavity whose spheres
// all carry edges of other components already (a thin wall between the
// cavity and the outside, or between two cavities), or another fan of faces
// around a sphere of a built component. With -all_components every free
// face is held by some component once this has run.
#include "surface/reduced/RSContext.h"

namespace velmesh {

// Looks at every sphere with edges for free faces no component holds (and
// whose probe position no face on the sphere has: four spheres on one
// position are split into faces one way only). A face
// whose probe lies outside the surface built at its first sphere joins that
// sphere's component, unless one of its sides has two faces there already;
// any other starts a component of its own. Each grows
// by its flood and free-edge pass.
void build_missed_faces(RSContext& context);

// The face on spheres (a, b, c) in this cyclic order in any component, or
// null.
RS_face* find_rs_face_anywhere(const RunState& run, int a, int b, int c);

}  // namespace velmesh
