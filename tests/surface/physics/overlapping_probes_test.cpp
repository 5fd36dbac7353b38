// Surfaces where probe spheres overlap, held against an estimate by points
// that owes nothing to velmesh (ExcludedRegion.h): the area of each kind of
// face of the analytical surface, the area and enclosed volume of the mesh,
// and the genus.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/TempDir.h"
#include "surface/support/ExcludedRegion.h"
#include "surface/support/MeshChecker.h"
#include "surface/support/SESChecker.h"
#include "surface/support/SphereSets.h"
#include "surface/support/SurfaceSweep.h"
#include "surface/support/VelmeshRun.h"

using surface_testing::number_text;
using surface_testing::sphere_file;
using surface_testing::TestSphere;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

constexpr double kPi = 3.14159265358979;

// Three spheres on a circle of the given radius: the probes above and below
// the ring meet through its hole.
std::vector<TestSphere> ring(double circumradius, double r) {
    std::vector<TestSphere> spheres;
    for (int k = 0; k < 3; ++k) {
        const double a = 2 * kPi * k / 3;
        spheres.push_back({circumradius * std::cos(a), circumradius * std::sin(a), 0, r});
    }
    return spheres;
}

struct Analytical {
    int problems = 0;
    double reentrant = 0, toric = 0, contact = 0, ses = 0;
    int genus = 0;
    std::string check;
};

Analytical analytical_surface(const std::vector<TestSphere>& spheres, double probe) {
    velmesh::RunState run = surface_testing::run_of(spheres, probe);
    Analytical result;
    {
        surface_testing::CapturedConsole console;
        result.problems = surface_testing::compute_analytical_surface(run);
    }
    const auto& ses = *run.ses_components.first();
    result.reentrant = ses.reentrant_area;
    result.toric = ses.toric_area;
    result.contact = ses.contact_area;
    result.ses = ses.ses_area;
    result.genus = static_cast<int>(std::lround(ses.analytical_genus));
    const auto check = surface_testing::check_analytical_surface(run);
    if (!check.ok()) result.check = check.report();
    return result;
}

struct Meshed {
    surface_testing::RunResult result;
    surface_testing::Report report;
    surface_testing::MeshCheck outer;
};

// A run writing every component's mesh at the density; the outer one (with
// the genus) goes through the mesh checker.
Meshed meshed_surface(const std::vector<TestSphere>& spheres, double probe, double density, int genus,
                      const TempDir& dir) {
    write_file(dir.file("s.xyz"), sphere_file(spheres));
    Meshed meshed;
    meshed.result = surface_testing::run_capture({"-if", dir.file("s.xyz"), "-of", dir.file("m"), "-probe_radius",
                                                  number_text(probe), "-de", number_text(density), "-all_components"});
    meshed.report = surface_testing::parse_report(meshed.result.out);
    surface_testing::MeshCheckOptions options;
    for (const TestSphere& s : spheres) options.spheres.push_back({s.x, s.y, s.z, s.r});
    options.probe_radius = probe;
    options.genus = {genus};
    if (!meshed.report.volumes.empty()) options.printed_volume = meshed.report.volumes.front().volume;
    meshed.outer = surface_testing::check_mesh_files(dir.file("m.vert"), dir.file("m.face"), options);
    return meshed;
}

struct Shape {
    std::string name;
    std::vector<TestSphere> spheres;
    double probe;
    int genus;
};

TEST(OverlappingProbes, AreasVolumeAndGenusAgreeWithPoints) {
    const std::vector<Shape> shapes = {
        {"ring of three, probes meeting through it", ring(2.2, 1.0), 1.5, 1},
        {"tighter ring", ring(2.15, 1.0), 1.5, 1},
        {"wide ring, large probe", ring(3.6, 1.5), 2.5, 1},
        // Two spheres whose probe circle comes within 0.1 of their axis,
        // blocked twice by two small spheres: two edges on one singular
        // circle, and the faces across each gap on the same three spheres.
        {"singular circle blocked twice", {{-2.6, 0, 0, 1.5}, {2.6, 0, 0, 1.5}, {0, 3.3, 0, 1}, {0, -3.3, 0, 1}}, 1.5, 1},
    };
    for (const Shape& shape : shapes) {
        SCOPED_TRACE(shape.name);
        const surface_testing::ExcludedRegion region(shape.spheres, shape.probe);
        const surface_testing::BoundaryAreas expected = region.areas(2000);
        const Analytical a = analytical_surface(shape.spheres, shape.probe);
        ASSERT_EQ(a.problems, 0);
        EXPECT_TRUE(a.check.empty()) << a.check;
        EXPECT_EQ(a.genus, shape.genus);
        EXPECT_NEAR(a.reentrant, expected.reentrant, 0.003 * expected.total());
        EXPECT_NEAR(a.toric, expected.toric, 0.003 * expected.total());
        EXPECT_NEAR(a.contact, expected.contact, 0.003 * expected.total());

        TempDir dir;
        const Meshed m = meshed_surface(shape.spheres, shape.probe, 60, shape.genus, dir);
        ASSERT_EQ(m.result.status, 0) << m.result.out << m.result.err;
        EXPECT_EQ(m.result.out.find("WARNING"), std::string::npos) << m.result.out;
        EXPECT_TRUE(m.outer.ok()) << m.outer.report();
        ASSERT_EQ(m.report.volumes.size(), 1u);
        EXPECT_NEAR(m.report.volumes[0].area, expected.total(), 0.01 * expected.total());
        const double volume = region.volume(200000);
        EXPECT_NEAR(m.report.volumes[0].volume, volume, 0.01 * volume);
    }
}

// Clusters at probes whose spheres overlap widely: every overlap is cut, the
// outer mesh closes with the analytical genus, and the volume of all the
// components (cavities count against it) is the excluded volume.
TEST(OverlappingProbes, RandomClustersGiveClosedMeshesOfTheExcludedVolume) {
    for (const int count : {50, 200, 500})
        for (const unsigned seed : {1u, 2u})
            for (const double probe : {1.5, 3.0}) {
                SCOPED_TRACE(std::to_string(count) + " spheres, seed " + std::to_string(seed) + ", probe " + number_text(probe));
                const std::vector<TestSphere> spheres = surface_testing::random_cluster(count, 100 + seed);
                const Analytical a = analytical_surface(spheres, probe);
                ASSERT_EQ(a.problems, 0);
                TempDir dir;
                const Meshed m = meshed_surface(spheres, probe, 3, a.genus, dir);
                ASSERT_EQ(m.result.status, 0) << m.result.out << m.result.err;
                EXPECT_EQ(m.result.out.find("WARNING"), std::string::npos) << m.result.out;
                EXPECT_TRUE(m.outer.ok()) << m.outer.report();
                ASSERT_TRUE(m.report.total_volume.has_value());
                const double volume = surface_testing::ExcludedRegion(spheres, probe).volume(150000);
                EXPECT_NEAR(*m.report.total_volume, volume, 0.01 * volume);
            }
}

// Runs that left overlapping reentrant faces uncut: a circle passing between
// the faces of one probe position (the clusters), and probe spheres reaching
// into toric faces, which a restart with grown radii settles (the proteins).
// Every mesh is closed and wound outwards, with the analytical genus where
// the radii stayed, and no warning.
TEST(OverlappingProbes, RunsThatLeftOverlapsInPlaceGiveClosedMeshes) {
    const auto protein = [](const char* name) {
        return surface_testing::read_spheres(std::string(ZELMAR_FIXTURES) + "/spheres/" + name);
    };
    struct Run {
        std::string name;
        surface_testing::SweepCase sweep;
    };
    const std::vector<Run> runs = {
        {"200 spheres, seed 22", {surface_testing::random_cluster(200, 22), 1.0, 1, false, true, ""}},
        {"500 spheres, seed 55", {surface_testing::random_cluster(500, 55), 1.0, 2, false, false, ""}},
        {"500 spheres, seed 97", {surface_testing::random_cluster(500, 97), 1.0, 2, false, false, ""}},
        {"1hpv, all components", {protein("1hpv.xyz"), 1.0, 1, true, false, ""}},
        {"1tii, probe 2", {protein("1tii.xyz"), 2.0, 1, false, false, ""}},
    };
    for (const Run& run : runs) {
        SCOPED_TRACE(run.name);
        const surface_testing::SweepResult result = surface_testing::sweep_case(run.sweep);
        EXPECT_TRUE(result.ok()) << result.report();
    }
}

}  // namespace
