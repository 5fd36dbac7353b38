#pragma once
// Spheres of a structure file's atoms, as the sphere fixtures are made
// (tests/fixtures/spheres/README.md): a radius by the element taken from
// the atom name (C 1.70, N 1.55, O 1.52, H as given, anything else 1.80),
// waters left out, and of alternate locations only the first.
#include <string>
#include <vector>

#include "surface/support/SphereSets.h"

namespace surface_testing {

// Empty when the file cannot be read. With a hydrogen radius of 0 the
// hydrogens are left out.
std::vector<TestSphere> read_pdb_spheres(const std::string& path, double hydrogen_radius = 0);

}  // namespace surface_testing
