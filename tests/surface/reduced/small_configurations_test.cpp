// The reduced surface of small configurations whose shape is known: the
// number of components, and per component its faces, edges, free edges and
// Euler characteristic; the checker passes over each.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "surface/Console.h"
#include "surface/reduced/ReducedSurface.h"
#include "surface/support/RSChecker.h"
#include "surface/support/SphereSets.h"
#include "surface/support/VelmeshRun.h"

using surface_testing::check_reduced_surface;
using surface_testing::cube_corners;
using surface_testing::hollow_shell;
using surface_testing::RSComponentSummary;
using surface_testing::run_of;
using surface_testing::tetrahedron;
using surface_testing::TestSphere;
using surface_testing::thick_ring;

namespace {

// A tetrahedron, a sphere on the far side of one of its corners that only
// that corner reaches (a free torus), and, when `twice`, the tetrahedron
// mirrored beyond that sphere.
std::vector<TestSphere> tetrahedra_on_a_free_torus(bool twice) {
    std::vector<TestSphere> spheres = tetrahedron(3.0, 1.6);
    const double corner = std::sqrt(3.0) * spheres[0].x;
    const double u = 1 / std::sqrt(3.0);
    const double middle = corner + 4;
    spheres.push_back({middle * u, middle * u, middle * u, 1.6});
    if (!twice) return spheres;
    const double centre = middle + 4 + corner;
    for (int n = 0; n < 4; ++n) {
        const TestSphere& s = spheres[n];
        spheres.push_back({centre * u - s.x, centre * u - s.y, centre * u - s.z, s.r});
    }
    return spheres;
}

struct Expected {
    int faces;
    int edges;
    int free_edges;
    int euler;  // over the fans of faces; ignored for components without faces
    bool free_vertex;
    int surfaces = 1;  // face-connected pieces, when there are faces
};

struct Configuration {
    std::string name;
    std::vector<TestSphere> spheres;
    double probe;
    std::function<void(velmesh::RunState&)> options;
    std::vector<Expected> components;
};

void all_components(velmesh::RunState& run) { run.all_components = true; }
void free_vertices(velmesh::RunState& run) { run.free_vertices = true; }
void defaults(velmesh::RunState&) {}

TEST(ReducedSurfaceShapes, ComponentsFacesEdgesAndEulerCharacteristic) {
    const Configuration configurations[] = {
        {"one sphere", {{1, 2, 3, 1.8}}, 1.5, defaults, {{0, 0, 0, 0, true}}},
        {"two spheres within reach", {{0, 0, 0, 1.5}, {4, 0, 0, 1.5}}, 1.5, defaults, {{0, 0, 1, 0, false}}},
        {"two spheres apart", {{0, 0, 0, 1.5}, {7, 0, 0, 1.5}}, 1.5, defaults,
         {{0, 0, 0, 0, true}, {0, 0, 0, 0, true}}},
        {"three spheres apart with -free_vertices", {{0, 0, 0, 1.5}, {9, 0, 0, 1.5}, {0, 9, 0, 1.2}}, 1.5,
         free_vertices, {{0, 0, 0, 0, true}, {0, 0, 0, 0, true}, {0, 0, 0, 0, true}}},
        {"tetrahedron", tetrahedron(3.0, 1.6), 1.5, defaults, {{4, 6, 0, 2, false}}},
        {"tetrahedron with a sphere on a free torus", tetrahedra_on_a_free_torus(false), 1.5, defaults,
         {{4, 6, 1, 2, false}}},
        {"two tetrahedra joined through free tori", tetrahedra_on_a_free_torus(true), 1.5, defaults,
         {{8, 12, 2, 4, false, 2}}},
        {"cube corners", cube_corners(3.0, 1.6), 1.5, defaults, {{12, 18, 0, 2, false}}},
        {"cube corners, large probe", cube_corners(3.0, 1.6), 4.0, defaults, {{12, 18, 0, 2, false}}},
        {"ring", thick_ring(12, 7.0, 2.0, 1.6, 0.0), 1.5, defaults, {{48, 72, 0, 0, false}}},
        {"ring, uneven", thick_ring(12, 7.0, 2.0, 1.6, 0.15), 1.5, defaults, {{48, 72, 0, 0, false}}},
        {"hollow shell", hollow_shell(true), 1.5, defaults, {{-1, -1, 0, 2, false}}},
        {"hollow shell with -all_components", hollow_shell(true), 1.5, all_components,
         {{-1, -1, 0, 2, false}, {-1, -1, 0, 2, false}}},
        // Every sphere of the cavity lies on the outside too.
        {"thin hollow shell with -all_components", hollow_shell(false), 1.5, all_components,
         {{-1, -1, 0, 2, false}, {-1, -1, 0, 2, false}}},
    };
    for (const Configuration& c : configurations) {
        SCOPED_TRACE(c.name);
        velmesh::RunState run = run_of(c.spheres, c.probe);
        c.options(run);
        surface_testing::CapturedConsole console;
        ASSERT_EQ(velmesh::compute_reduced_surface(run), 1) << console.out() << console.err();
        EXPECT_EQ(run.rs_failed, 0);
        const auto check = check_reduced_surface(run);
        EXPECT_TRUE(check.ok()) << check.report();
        ASSERT_EQ(check.components.size(), c.components.size());
        for (std::size_t n = 0; n < c.components.size(); ++n) {
            const Expected& want = c.components[n];
            const RSComponentSummary& got = check.components[n];
            SCOPED_TRACE("component " + std::to_string(n));
            EXPECT_EQ(got.free_vertex, want.free_vertex);
            if (want.faces >= 0) {
                EXPECT_EQ(got.faces, want.faces);
            }
            if (want.edges >= 0) {
                EXPECT_EQ(got.edges, want.edges);
            }
            EXPECT_EQ(got.free_edges, want.free_edges);
            if (got.faces > 0) {
                EXPECT_EQ(got.euler_of_fans, want.euler);
                EXPECT_EQ(got.euler, want.euler) << "a sphere carries two fans of faces";
                EXPECT_EQ(got.surfaces, want.surfaces);
            }
        }
    }
}

}  // namespace
