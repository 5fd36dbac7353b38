#pragma once
// An estimate of the solvent-accessible area of a set of spheres that owes
// nothing to velmesh: evenly spread points on every sphere grown by the
// probe radius, counted where no other grown sphere covers them.
#include <vector>

#include "surface/support/SphereSets.h"

namespace surface_testing {

struct AccessibleArea {
    double total = 0;
    std::vector<double> per_sphere;
};

// Spheres with flags 0 block the probe but get no area of their own.
AccessibleArea accessible_area(const std::vector<TestSphere>& spheres, double probe_radius, int points_per_sphere);

}  // namespace surface_testing
