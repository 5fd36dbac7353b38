// The reduced surface of real proteins (heavy atoms with radii by element)
// at probe 1.5: built at the first attempt, without a sphere grown, and
// passing the checker; its outer component is a closed surface, and with
// -all_components the cavities come as further closed components.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "surface/reduced/ReducedSurface.h"
#include "surface/support/RSChecker.h"
#include "surface/support/SphereSets.h"
#include "surface/support/VelmeshRun.h"

using surface_testing::canonical_face;
using surface_testing::check_reduced_surface;
using surface_testing::read_spheres;
using surface_testing::run_of;

namespace {

std::string fixture(const std::string& name) { return std::string(ZELMAR_FIXTURES) + "/spheres/" + name; }

std::set<std::array<int, 3>> faces_of(const velmesh::RS_component& component) {
    std::set<std::array<int, 3>> faces;
    for (const auto& face : component.faces) faces.insert(canonical_face(face.i, face.j, face.k));
    return faces;
}

TEST(ReducedSurfaceProtein, BuildsWithoutRestartAtProbe15) {
    for (const char* name : {"1hpv.xyz", "1tii.xyz"}) {
        SCOPED_TRACE(name);
        const auto spheres = read_spheres(fixture(name));
        velmesh::RunState run = run_of(spheres, 1.5);
        surface_testing::CapturedConsole console;
        ASSERT_EQ(velmesh::compute_reduced_surface(run), 1);
        EXPECT_EQ(run.rs_failed, 0);
        EXPECT_EQ(console.out(), "") << "no sphere grows";
        EXPECT_EQ(console.err(), "");
        ASSERT_EQ(run.rs_components.count(), 1);
        const auto check = check_reduced_surface(run);
        EXPECT_TRUE(check.ok()) << check.report();
        const auto& outer = check.components[0];
        EXPECT_GT(outer.faces, static_cast<int>(spheres.size()) / 2);
        EXPECT_EQ(outer.euler_of_fans % 2, 0);
        EXPECT_LE(outer.euler_of_fans, 2);
        std::printf("%s: F %d E %d V %d fans %d chi %d free %d surfaces %d\n", name, outer.faces, outer.edges, outer.vertices, outer.fans, outer.euler_of_fans, outer.free_edges, outer.surfaces);

        velmesh::RunState all = run_of(spheres, 1.5);
        all.all_components = true;
        ASSERT_EQ(velmesh::compute_reduced_surface(all), 1);
        const auto all_check = check_reduced_surface(all);
        EXPECT_TRUE(all_check.ok()) << all_check.report();
        bool outer_found = false;
        for (const auto& component : all.rs_components) {
            if (faces_of(component) == faces_of(*run.rs_components.first())) outer_found = true;
        }
        EXPECT_TRUE(outer_found);
        for (const auto& summary : all_check.components) {
            std::printf("  comp %d: F %d chi %d free %d surfaces %d\n", summary.number, summary.faces, summary.euler_of_fans, summary.free_edges, summary.surfaces);
        }
    }
}

}  // namespace
