#pragma once
// The triangulation of one SES component into the run's vertex and face
// tables.
#include "surface/RunState.h"

namespace velmesh {

// Fills the tables with the component's mesh and checks its genus against
// the analytical one. Returns the number of faces with problems (0 or more).
int triangulate_component(RunState& run, SES_component& component);

// Checks the mesh in the tables: its genus against the analytical one (a
// warning only), and whether it is closed and wound one way. An edge not met
// once in each direction is a hole or a fold: every SES face with a triangle
// along one is marked bad. Returns the number of faces marked (at least 1
// when there is such an edge).
int check_triangulated_surface(RunState& run, SES_component& component);

}  // namespace velmesh
