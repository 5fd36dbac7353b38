#pragma once
// The last stage of the covering-sphere generator: drops the spheres that
// others make redundant and shrinks the rest onto their atoms.
#include <vector>

#include "dynamics/species/ATOM.h"
#include "utils/geometry/SPHERE.h"

namespace covering_spheres {

// Whether an atom centre counts as covered by a sphere: it lies less than
// 0.1 ångström outside it.
bool covers(const SPHERE& s, const ATOM& a);

// Visits the spheres in order. A sphere whose every atom is covered by the
// other spheres still present is removed (its radius becomes 0); any other is
// replaced by the smallest ball around the centres of the atoms it covers,
// grown by h/10. Later spheres see the earlier ones as fitted or removed.
// Returns the number removed. A sphere that covers no atom throws the
// character string "sphere generator: internal error".
int fit_spheres(std::vector<SPHERE>& spheres, const std::vector<ATOM>& atoms, double h);

}  // namespace covering_spheres
