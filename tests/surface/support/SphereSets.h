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

// Shapes whose surfaces are known. Sphere radius r throughout.
// A regular tetrahedron with the given edge, centred on (x, y, z).
std::vector<TestSphere> tetrahedron(double edge, double r, double x = 0, double y = 0, double z = 0);
// The corners of a cube with the given side, centred on the origin.
std::vector<TestSphere> cube_corners(double side, double r);
// Two rings of `count` spheres around the z axis, `height` apart and turned
// by half a step against each other. `jitter` moves each centre by a fixed
// pseudo-random amount of up to that much.
std::vector<TestSphere> thick_ring(int count, double ring_radius, double height, double r, double jitter);
// `count` spheres spread evenly over a sphere of the given radius around the
// origin (a golden-angle spiral), appended.
void add_shell(std::vector<TestSphere>& spheres, int count, double radius, double r);
// A shell of 80 spheres of radius 1.6 at radius 6 around a cavity a probe of
// 1.5 fits into, and, when `covered`, a second shell of 160 at radius 8.5
// that keeps the probe outside from touching the first.
std::vector<TestSphere> hollow_shell(bool covered);

// The spheres of a file of "x y z r" lines (tests/fixtures/spheres).
std::vector<TestSphere> read_spheres(const std::string& path);

// A number as velmesh's input and command line take it: nine significant
// digits, enough for the test sets to mean the same spheres.
std::string number_text(double value);

// The spheres as an input file: x y z r flags, a line each.
std::string sphere_file(const std::vector<TestSphere>& spheres);

}  // namespace surface_testing
