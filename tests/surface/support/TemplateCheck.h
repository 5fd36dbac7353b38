#pragma once
// Checks that a sphere template is a closed, outward-oriented triangulation
// of the unit sphere whose adjacency lists agree with its triangles.
#include <string>
#include <vector>

#include "surface/triangulation/SphereTemplate.h"

namespace surface_testing {

std::vector<std::string> template_problems(const velmesh::SphereTemplate& t);

}  // namespace surface_testing
