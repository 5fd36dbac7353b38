#pragma once
// Reads the sphere file: one sphere a line, "x y z r [flags [sixth [name]]]";
// lines beginning with "#" are comments.
#include <cstdio>

#include "surface/RunState.h"

namespace velmesh {

// Reads every sphere of the stream into the run's sphere array, counts normal
// and collision-only spheres, records the radius range and builds the radius
// classes with their templates (after dropping the previous ones when
// rebuild_classes is set). Returns the number of spheres accepted, or -1
// when a line is malformed or there are too many distinct radii.
int get_atom_no_num(RunState& run, std::FILE* input, bool rebuild_classes);

}  // namespace velmesh
