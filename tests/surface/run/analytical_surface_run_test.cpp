// velmesh -surface ases on sets of spheres beyond a lone one: the report's
// areas per component and the area file, whose per-sphere columns add up to
// each component's SES and SAS areas; the triangulated surface of such sets
// is refused with a clear message.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/TempDir.h"
#include "surface/support/SphereSets.h"
#include "surface/support/MeshChecker.h"
#include "surface/support/VelmeshRun.h"

using surface_testing::parse_report;
using surface_testing::run_capture;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

std::string sphere_name(std::size_t index) {
    char name[32];
    std::snprintf(name, sizeof name, "S%zu", index);
    return name;
}

std::string named_sphere_file(const std::vector<surface_testing::TestSphere>& spheres) {
    std::string text;
    char line[160];
    for (std::size_t s = 0; s < spheres.size(); ++s) {
        std::snprintf(line, sizeof line, "%.6f %.6f %.6f %.4f 1 0 %s\n", spheres[s].x, spheres[s].y, spheres[s].z,
                      spheres[s].r, sphere_name(s).c_str());
        text += line;
    }
    return text;
}

struct AreaColumns {
    int spheres = 0;
    std::vector<double> ses, sas;  // per component, summed over the spheres
};

// Sums the columns of an area file with `components` components.
AreaColumns read_area_file(const std::string& path, int components) {
    std::istringstream lines(read_file(path));
    std::string line;
    std::getline(lines, line);
    AreaColumns columns;
    columns.ses.assign(components, 0);
    columns.sas.assign(components, 0);
    while (std::getline(lines, line)) {
        if (line.empty()) continue;
        std::istringstream fields(line);
        std::size_t index;
        fields >> index;
        EXPECT_EQ(index, static_cast<std::size_t>(columns.spheres));
        for (int c = 0; c < components; ++c) {
            double ses, sas;
            std::string name;
            fields >> ses >> sas >> name;
            EXPECT_EQ(name, sphere_name(index));
            columns.ses[c] += ses;
            columns.sas[c] += sas;
        }
        ++columns.spheres;
    }
    return columns;
}

TEST(AnalyticalSurfaceRun, AreaFileColumnsAddUpToEachComponent) {
    struct Case {
        std::string name;
        std::vector<surface_testing::TestSphere> spheres;
        std::string probe;
    };
    const Case cases[] = {
        {"tetrahedron", surface_testing::tetrahedron(3.0, 1.6), "1.5"},
        {"cluster with cavities", surface_testing::random_cluster(300, 1), "1.0"},
        {"cluster, wide probe", surface_testing::random_cluster(300, 2), "3.0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        write_file(dir.file("s.xyz"), named_sphere_file(c.spheres));
        const auto result = run_capture({"-if", dir.file("s.xyz"), "-surface", "ases", "-all_components",
                                         "-probe_radius", c.probe, "-af", dir.file("s.pdb")});
        ASSERT_EQ(result.status, 0) << result.out << result.err;
        EXPECT_EQ(result.out.find("NUMERICAL"), std::string::npos);
        const auto report = parse_report(result.out);
        ASSERT_FALSE(report.areas.empty());
        const int components = static_cast<int>(report.areas.size());
        const auto columns = read_area_file(dir.file("s.area"), components);
        EXPECT_EQ(columns.spheres, static_cast<int>(c.spheres.size()));
        for (int k = 0; k < components; ++k) {
            const auto& row = report.areas[k];
            EXPECT_EQ(row.component, k);
            // Rounding: half a unit of the fourth decimal per sphere, and of
            // the third in the report.
            const double slack = 0.5e-4 * columns.spheres + 0.5e-3;
            EXPECT_NEAR(columns.ses[k], row.ses, slack) << "component " << k;
            EXPECT_NEAR(columns.sas[k], row.sas, slack) << "component " << k;
            EXPECT_NEAR(row.ses, row.reentrant + row.toric + row.contact, 2e-3);
        }
    }
}

TEST(AnalyticalSurfaceRun, TheTriangulatedSurfaceFollowsTheAnalyticalOne) {
    TempDir dir;
    write_file(dir.file("s.xyz"), "0 0 0 1.5\n5.99 0 0 1.5\n");
    // The analytical surface: a free torus between the two.
    const auto analytical = run_capture({"-if", dir.file("s.xyz"), "-surface", "ases"});
    ASSERT_EQ(analytical.status, 0) << analytical.err;
    const auto report = parse_report(analytical.out);
    ASSERT_EQ(report.areas.size(), 1u);
    EXPECT_GT(report.areas[0].toric, 0);

    // Triangulated (the default): the same areas, then a closed mesh whose
    // area comes close to the analytical one.
    const auto result = run_capture({"-if", dir.file("s.xyz"), "-of", dir.file("m"), "-de", "4"});
    ASSERT_EQ(result.status, 0) << result.out << result.err;
    const auto triangulated = parse_report(result.out);
    ASSERT_EQ(triangulated.areas.size(), 1u);
    EXPECT_EQ(triangulated.areas[0].ses, report.areas[0].ses);
    ASSERT_EQ(triangulated.volumes.size(), 1u);
    EXPECT_NEAR(triangulated.volumes[0].area, report.areas[0].ses, 0.05 * report.areas[0].ses);
    surface_testing::MeshCheckOptions options;
    options.spheres = {{0, 0, 0, 1.5}, {5.99, 0, 0, 1.5}};
    options.printed_volume = triangulated.volumes[0].volume;
    const auto check = surface_testing::check_mesh_files(dir.file("m.vert"), dir.file("m.face"), options);
    EXPECT_TRUE(check.ok()) << check.report();
}

}  // namespace
