// The analytical surface of a real protein (heavy atoms with radii by
// element) at probe 1.5, with every component: built without problems,
// keeping the records' promises, and with an accessible area that agrees
// with points counted on the grown spheres. (A larger protein: the physics
// tests.)
#include <gtest/gtest.h>

#include <string>

#include "surface/support/AccessibleArea.h"
#include "surface/support/SESChecker.h"
#include "surface/support/SphereSets.h"
#include "surface/support/VelmeshRun.h"

namespace {

TEST(ProteinAreas, AccessibleAreaAgreesWithCountedPoints) {
    const auto spheres = surface_testing::read_spheres(std::string(ZELMAR_FIXTURES) + "/spheres/1hpv.xyz");
    velmesh::RunState run = surface_testing::run_of(spheres, 1.5);
    run.all_components = true;
    surface_testing::CapturedConsole console;
    ASSERT_EQ(surface_testing::compute_analytical_surface(run), 0);
    EXPECT_EQ(console.err(), "");
    const auto check = surface_testing::check_analytical_surface(run);
    EXPECT_TRUE(check.ok()) << check.report();
    double sas = 0;
    for (const auto& c : run.ses_components) {
        EXPECT_GT(c.reentrant_area, 0);
        EXPECT_GT(c.toric_area, 0);
        sas += c.sas_area;
    }
    const double counted = surface_testing::accessible_area(spheres, 1.5, 1000).total;
    EXPECT_NEAR(sas, counted, 0.005 * counted);
}

}  // namespace
