// Long checks of the lone-sphere mesh: every template size from the smallest
// closed one up to several thousand points, and a dense sweep of radii and
// densities through the whole program with the mesh checker.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "support/TempDir.h"
#include "surface/support/MeshChecker.h"
#include "surface/support/TemplateCheck.h"
#include "surface/support/VelmeshRun.h"
#include "surface/triangulation/SphereTemplate.h"

using testing_support::TempDir;
using testing_support::write_file;

namespace {

constexpr double kPi = 3.14159265358979;

TEST(LoneSpherePhysics, EveryTemplateSizeIsClosed) {
    surface_testing::CapturedConsole console;
    for (int wanted = 5; wanted <= 2500; ++wanted) {
        velmesh::SphereTemplate t;
        t.radius = static_cast<float>(std::sqrt((wanted + 0.5) / 12.5663706));
        velmesh::mesh_template(1.0f, t);
        const auto problems = surface_testing::template_problems(t);
        ASSERT_TRUE(problems.empty()) << wanted << ": " << problems.front();
    }
    EXPECT_EQ(console.err(), "");
}

TEST(LoneSpherePhysics, MeshAreaAndVolumeConvergeForManyRadiiAndDensities) {
    for (int step = 0; step <= 10; ++step) {
        const float radius = 0.5f + 0.35f * step;
        double last_error = 1;
        for (const double density : {2.0, 8.0, 32.0, 128.0}) {
            TempDir dir;
            char line[64];
            std::snprintf(line, sizeof line, "1.5 -2.5 0.75 %.2f\n", static_cast<double>(radius));
            write_file(dir.file("s.xyz"), line);
            char de[32];
            std::snprintf(de, sizeof de, "%g", density);
            const auto result = surface_testing::run_capture({"-if", dir.file("s.xyz"), "-of", dir.file("m"), "-de", de});
            ASSERT_EQ(result.status, 0) << result.err;
            const auto report = surface_testing::parse_report(result.out);
            ASSERT_EQ(report.volumes.size(), 1u);
            const float r = std::strtof(line + 14, nullptr);
            surface_testing::MeshCheckOptions options;
            options.spheres = {{1.5, -2.5, 0.75, r}};
            options.printed_volume = report.volumes[0].volume;
            const auto check = surface_testing::check_mesh_files(dir.file("m.vert"), dir.file("m.face"), options);
            ASSERT_TRUE(check.ok()) << radius << " " << density << ": " << check.report();
            const double error = 1 - report.volumes[0].volume / (4 * kPi * r * r * r / 3);
            EXPECT_GT(error, 0);
            EXPECT_LT(error, last_error) << radius << " " << density;
            // An inscribed mesh of n points falls short by about c / n.
            const double points = static_cast<double>(surface_testing::read_mesh(dir.file("m.vert"), dir.file("m.face")).vertices.size());
            EXPECT_LT(error * points, 8) << radius << " " << density;
            last_error = error;
        }
    }
}

}  // namespace
