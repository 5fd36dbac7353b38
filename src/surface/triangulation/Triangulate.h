#pragma once
// The triangulation of one SES component into the run's vertex and face
// tables.
#include "surface/RunState.h"

namespace velmesh {

// Fills the tables with the component's mesh and checks its genus against
// the analytical one. Returns the number of faces with problems (0 or more).
int triangulate_component(RunState& run, SES_component& component);

}  // namespace velmesh
