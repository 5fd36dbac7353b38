#pragma once
// The covering-spheres file of a species: one sphere a line, "%f\t%f\t%f\t%f"
// (centre x, y, z and radius in ångström, the centre in the structure file's
// frame). Reading takes every line that begins with four numbers and skips
// the others.
#include <string>
#include <vector>

#include "dynamics/species/PROT_CLASS.h"
#include "utils/geometry/SPHERE.h"

namespace covering_spheres {

// The spheres of the file's text, in the species' body frame (metres).
std::vector<SPHERE> parse_spheres(const std::string& text, const PROT_CLASS& species);

// Whether a sphere read from the file can be a covering sphere: a finite
// centre and a finite, positive radius.
bool usable(const SPHERE& sphere);

// One sphere of the body frame as a line of the file.
std::string sphere_line(const SPHERE& sphere, const PROT_CLASS& species);

}  // namespace covering_spheres
