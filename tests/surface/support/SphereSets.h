#pragma once
// Sets of spheres for the surface tests and a run that holds them, ready for
// the reduced-surface stage.
#include <string>
#include <vector>

#include "surface/RunState.h"

namespace surface_testing {

struct TestSphere {
    double x = 0, y = 0, z = 0, r = 0;
    int flags = 1;  // 0: collision only
};

// A run over the spheres with the probe radius, as after the sphere input.
velmesh::RunState run_of(const std::vector<TestSphere>& spheres, double probe_radius);

// Random spheres in a ball, one per `volume_per_sphere` cubic units, with
// radii uniform in [r_low, r_high] and centres at least `gap` apart.
std::vector<TestSphere> random_cluster(int count, unsigned seed, double volume_per_sphere = 18, double r_low = 1.5,
                                       double r_high = 1.9, double gap = 1.2);

// The spheres of a file of "x y z r" lines (tests/fixtures/spheres).
std::vector<TestSphere> read_spheres(const std::string& path);

}  // namespace surface_testing
