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

        velmesh::RunState all = run_of(spheres, 1.5);
        all.all_components = true;
        ASSERT_EQ(velmesh::compute_reduced_surface(all), 1);
        const auto all_check = check_reduced_surface(all);
        EXPECT_TRUE(all_check.ok()) << all_check.report();
        EXPECT_GT(all.rs_components.count(), 1) << "the cavities";
        EXPECT_EQ(faces_of(*all.rs_components.first()), faces_of(*run.rs_components.first()));
        for (const auto& summary : all_check.components) {
            if (summary.number == 0) continue;
            EXPECT_EQ(summary.euler_of_fans, 2) << "cavity " << summary.number;
            EXPECT_EQ(summary.surfaces, 1) << "cavity " << summary.number;
        }
    }
}

}  // namespace
