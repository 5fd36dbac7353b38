// The accessible area of a protein of 5469 heavy atoms, with every
// component of its surface, against points counted on the grown spheres.
#include <gtest/gtest.h>

#include <string>

#include "surface/support/AccessibleArea.h"
#include "surface/support/SESChecker.h"
#include "surface/support/SphereSets.h"
#include "surface/support/VelmeshRun.h"

namespace {

TEST(ProteinAccessibleArea, AgreesWithCountedPointsForEveryProbe) {
    const auto spheres = surface_testing::read_spheres(std::string(ZELMAR_FIXTURES) + "/spheres/1tii.xyz");
    for (const double probe : {1.0, 1.5, 3.0}) {
        SCOPED_TRACE(probe);
        velmesh::RunState run = surface_testing::run_of(spheres, probe);
        run.all_components = true;
        surface_testing::CapturedConsole console;
        ASSERT_EQ(surface_testing::compute_analytical_surface(run), 0) << console.out() << console.err();
        const auto check = surface_testing::check_analytical_surface(run);
        EXPECT_TRUE(check.ok()) << check.report();
        double sas = 0;
        for (const auto& c : run.ses_components) sas += c.sas_area;
        const double counted = surface_testing::accessible_area(spheres, probe, 2000).total;
        EXPECT_NEAR(sas, counted, 0.005 * counted);
    }
}

}  // namespace
