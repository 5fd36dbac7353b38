// The triangulated surface of shapes and clusters: every mesh velmesh writes
// is closed, consistently wound outwards, of the genus of its analytical
// surface, on its spheres and probes, and encloses the volume it prints.
#include <gtest/gtest.h>

#include <cmath>
#include <array>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "support/TempDir.h"
#include "surface/support/ExcludedRegion.h"
#include "surface/support/MeshChecker.h"
#include "surface/support/SESChecker.h"
#include "surface/support/SphereSets.h"
#include "surface/support/VelmeshRun.h"

using surface_testing::MeshCheckOptions;
using surface_testing::parse_report;
using surface_testing::run_capture;
using surface_testing::number_text;
using surface_testing::sphere_file;
using surface_testing::TestSphere;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

struct Shape {
    std::string name;
    std::vector<TestSphere> spheres;
    double probe;
};

// The genus of each component of the analytical surface, computed apart.
std::vector<int> analytical_genera(const Shape& shape) {
    velmesh::RunState run = surface_testing::run_of(shape.spheres, shape.probe);
    surface_testing::CapturedConsole console;
    surface_testing::compute_analytical_surface(run);
    std::vector<int> genera;
    for (const auto& c : run.ses_components) genera.push_back(static_cast<int>(std::lround(c.analytical_genus)));
    return genera;
}

std::string mesh_name(const std::string& base, int component) {
    return component == 0 ? base : base + "_" + std::to_string(component);
}

struct MeshRun {
    surface_testing::RunResult result;
    std::vector<surface_testing::MeshCheck> checks;  // per component
    surface_testing::Report report;
};

MeshRun run_and_check(const Shape& shape, double density, const TempDir& dir) {
    MeshRun run;
    write_file(dir.file("s.xyz"), sphere_file(shape.spheres));
    run.result = run_capture({"-if", dir.file("s.xyz"), "-of", dir.file("m"), "-probe_radius", number_text(shape.probe),
                              "-de", number_text(density)});
    run.report = parse_report(run.result.out);
    const std::vector<int> genera = analytical_genera(shape);
    for (std::size_t c = 0; c < run.report.volumes.size(); ++c) {
        MeshCheckOptions options;
        for (const TestSphere& s : shape.spheres) options.spheres.push_back({s.x, s.y, s.z, s.r});
        options.probe_radius = shape.probe;
        options.printed_volume = run.report.volumes[c].volume;
        if (c < genera.size()) options.genus = {genera[c]};
        const std::string base = dir.file(mesh_name("m", static_cast<int>(c)));
        run.checks.push_back(surface_testing::check_mesh_files(base + ".vert", base + ".face", options));
    }
    return run;
}

std::vector<Shape> closed_form_shapes() {
    const double c60 = 0.5, s60 = std::sqrt(3.0) / 2;
    const auto triangle = [](double r, double s) {
        std::vector<TestSphere> spheres;
        const double rho = s / std::sqrt(3.0);
        for (int k = 0; k < 3; ++k)
            spheres.push_back({rho * std::cos(2.0944 * k), rho * std::sin(2.0944 * k), 0, r});
        return spheres;
    };
    return {
        {"two touching spheres, regular torus", {{0, 0, 0, 2}, {4, 0, 0, 2}}, 1.5},
        {"two overlapping spheres, regular torus", {{0, 0, 0, 2}, {3, 0, 0, 1.6}}, 1.5},
        {"two spheres apart, singular torus", {{0, 0, 0, 1.5}, {5.5, 0, 0, 1.5}}, 1.5},
        {"two unequal spheres apart, singular torus", {{0, 0, 0, 1.2}, {6.5, 0, 0, 1.9}}, 2},
        {"a sphere between two free tori", {{0, 0, 0, 5}, {6, 0, 0, 1}, {6 * c60, 6 * s60, 0, 1}}, 1.5},
        {"three spheres", triangle(1.5, 3.5), 1.5},
        {"three spheres, narrow gaps", triangle(1.5, 3.05), 1.5},
        {"tetrahedron", surface_testing::tetrahedron(3.0, 1.6), 1.5},
        {"cube corners", surface_testing::cube_corners(3.2, 1.5), 1.5},
        {"thick ring", surface_testing::thick_ring(12, 6, 1.4, 1.6, 0.2), 1.5},
    };
}

TEST(TriangulatedSurface, ShapesGiveClosedMeshesOfTheirGenus) {
    for (const Shape& shape : closed_form_shapes()) {
        for (const double density : {1.0, 3.0}) {
            SCOPED_TRACE(shape.name + " density " + number_text(density));
            TempDir dir;
            const MeshRun run = run_and_check(shape, density, dir);
            ASSERT_EQ(run.result.status, 0) << run.result.out << run.result.err;
            EXPECT_EQ(run.result.out.find("Genus mismatch"), std::string::npos) << run.result.out;
            ASSERT_FALSE(run.checks.empty()) << run.result.out;
            for (const auto& check : run.checks) EXPECT_TRUE(check.ok()) << check.report();
        }
    }
}

TEST(TriangulatedSurface, ClustersWithSmallProbesGiveClosedMeshes) {
    for (const unsigned seed : {1u, 2u, 3u, 4u})
        for (const double probe : {0.5, 0.8, 1.0}) {
            const Shape shape{"cluster " + std::to_string(seed) + " probe " + number_text(probe),
                              surface_testing::random_cluster(60, seed), probe};
            SCOPED_TRACE(shape.name);
            TempDir dir;
            const MeshRun run = run_and_check(shape, 1.0, dir);
            ASSERT_EQ(run.result.status, 0) << run.result.out << run.result.err;
            EXPECT_EQ(run.result.out.find("Genus mismatch"), std::string::npos) << run.result.out;
            ASSERT_FALSE(run.checks.empty());
            for (const auto& check : run.checks) EXPECT_TRUE(check.ok()) << check.report();
        }
}

// Clusters with a contact face whose inner cycle is three short arcs: the
// face is an annulus, not a disk and a triangle over the hole, so the mesh
// keeps the analytical genus.
TEST(TriangulatedSurface, AHoleOfThreePointsInAContactFaceStaysOpen) {
    for (const unsigned seed : {13u, 58u}) {
        const Shape shape{"cluster 300 seed " + std::to_string(seed), surface_testing::random_cluster(300, seed), 0.8};
        SCOPED_TRACE(shape.name);
        TempDir dir;
        const MeshRun run = run_and_check(shape, 1.0, dir);
        ASSERT_EQ(run.result.status, 0) << run.result.out << run.result.err;
        EXPECT_EQ(run.result.out.find("WARNING"), std::string::npos) << run.result.out;
        ASSERT_EQ(run.checks.size(), 1u);
        EXPECT_TRUE(run.checks[0].ok()) << run.checks[0].report();
    }
}

// Clusters in which the probe touching the extreme sphere's far side, tried
// only at the smaller-x position of each triple, would sit in a cavity behind
// that sphere: the surface written alone, and the first of all components,
// is still the outside of the cluster, and every cavity lies inside it.
TEST(TriangulatedSurface, TheFirstComponentIsTheOutsideOfTheCluster) {
    struct Cluster {
        int count;
        unsigned seed;
        double probe;
        std::size_t components;  // with -all_components: the outside and its cavities
    };
    for (const Cluster& cluster : {Cluster{150, 252, 1.0, 7}, Cluster{150, 79, 1.2, 2}})
        for (const bool all : {false, true}) {
            SCOPED_TRACE("cluster " + std::to_string(cluster.count) + " seed " + std::to_string(cluster.seed) +
                         (all ? " all components" : ""));
            TempDir dir;
            write_file(dir.file("s.xyz"), sphere_file(surface_testing::random_cluster(cluster.count, cluster.seed)));
            std::vector<std::string> args = {"-if", dir.file("s.xyz"), "-of", dir.file("m"), "-probe_radius",
                                             number_text(cluster.probe)};
            if (all) args.push_back("-all_components");
            const auto result = run_capture(args);
            ASSERT_EQ(result.status, 0) << result.out << result.err;
            const auto report = parse_report(result.out);
            std::vector<surface_testing::Mesh> meshes;
            for (const auto& row : report.volumes) {
                const std::string base = dir.file(mesh_name("m", row.component));
                meshes.push_back(surface_testing::read_mesh(base + ".vert", base + ".face"));
            }
            ASSERT_EQ(meshes.size(), all ? cluster.components : 1u);
            EXPECT_GT(report.volumes[0].volume, 0);
            const auto surrounding = surface_testing::surrounding_meshes(meshes);
            EXPECT_TRUE(surrounding[0].empty());
            for (std::size_t m = 1; m < meshes.size(); ++m) {
                EXPECT_EQ(surrounding[m], std::vector<int>{0}) << "component " << m;
                EXPECT_LT(report.volumes[m].volume, 0) << "component " << m;
            }
        }
}

// Small pieces of larger inputs where the triangulation went wrong:
// - 17 atoms of a protein at probe 1.5 where the probe rolling about two
//   spheres is stopped by a third, which it meets and leaves again 39
//   degrees further on (a pair of twin faces): at density 3 the toric grid
//   has vertices in that stretch, which must not be on a probe inside the
//   third sphere;
// - 22 random spheres at probe 1: a contact face with a hole of two long
//   arcs on small circles, sampled by three points, which the front closed
//   as a disk of its own (a closed mesh one handle short).
TEST(TriangulatedSurface, PiecesOfLargerInputsGiveClosedMeshesOfTheirGenus) {
    const struct {
        const char* file;
        double probe;
    } cases[] = {{"twin_faces_apart.xyz", 1.5}, {"coarse_hole.xyz", 1.0}};
    for (const auto& c : cases) {
        const Shape shape{c.file, surface_testing::read_spheres(std::string(ZELMAR_FIXTURES) + "/spheres/" + c.file),
                          c.probe};
        for (const double density : {1.0, 3.0}) {
            SCOPED_TRACE(shape.name + " density " + number_text(density));
            TempDir dir;
            const MeshRun run = run_and_check(shape, density, dir);
            ASSERT_EQ(run.result.status, 0) << run.result.out << run.result.err;
            EXPECT_EQ(run.result.out.find("Genus mismatch"), std::string::npos) << run.result.out;
            ASSERT_EQ(run.checks.size(), 1u);
            EXPECT_TRUE(run.checks[0].ok()) << run.checks[0].report();
        }
    }
}

}  // namespace

namespace {

// The volume inside the solvent-excluded surface of two spheres on the x
// axis, a solid of revolution: its radius at x is the larger of the two
// spheres' and, between the two contact circles, that of the torus' inner
// side (R - sqrt(p^2 - (x - a)^2), a the torus centre, R its radius, none
// where that is negative); the volume is the integral of pi radius^2.
double two_sphere_volume(const TestSphere& s1, const TestSphere& s2, double p) {
    const double d = s2.x - s1.x, e1 = s1.r + p, e2 = s2.r + p;
    const double a = (d * d + e1 * e1 - e2 * e2) / (2 * d);
    const double big = std::sqrt(e1 * e1 - a * a);
    const double x1 = s1.x + a * s1.r / e1, x2 = s1.x + a + (d - a) * (1 - s2.r / e2);
    const auto radius = [&](double x) {
        double r = 0;
        for (const TestSphere& s : {s1, s2})
            if (std::fabs(x - s.x) < s.r) r = std::max(r, std::sqrt(s.r * s.r - (x - s.x) * (x - s.x)));
        if (x > x1 && x < x2) r = std::max(r, big - std::sqrt(std::max(0.0, p * p - (x - s1.x - a) * (x - s1.x - a))));
        return r;
    };
    const double from = s1.x - s1.r, to = s2.x + s2.r;
    const int steps = 200000;
    const double h = (to - from) / steps;
    double sum = 0;
    for (int k = 0; k < steps; ++k) {
        const double r = radius(from + (k + 0.5) * h);
        sum += 3.14159265358979 * r * r * h;
    }
    return sum;
}

TEST(TriangulatedSurface, AreaAndVolumeConvergeAsTheDensityGrows) {
    const auto shapes = closed_form_shapes();
    for (const std::string name : {"two overlapping spheres, regular torus", "two spheres apart, singular torus",
                                   "three spheres", "tetrahedron"}) {
        const Shape* shape = nullptr;
        for (const Shape& s : shapes)
            if (s.name == name) shape = &s;
        ASSERT_NE(shape, nullptr);
        SCOPED_TRACE(name);
        // The pair's volume in closed form, the others' by points.
        const bool pair = shape->spheres.size() == 2;
        const double volume = pair ? two_sphere_volume(shape->spheres[0], shape->spheres[1], shape->probe)
                                   : surface_testing::ExcludedRegion(shape->spheres, shape->probe).volume(400000);
        double last_area_error = 1, last_volume_error = 1;
        for (const double density : {1.0, 4.0, 16.0}) {
            TempDir dir;
            const MeshRun run = run_and_check(*shape, density, dir);
            ASSERT_EQ(run.result.status, 0) << run.result.out;
            ASSERT_EQ(run.report.volumes.size(), 1u);
            for (const auto& check : run.checks) EXPECT_TRUE(check.ok()) << check.report();
            const double area_error = std::fabs(1 - run.report.volumes[0].area / run.report.areas[0].ses);
            const double volume_error = std::fabs(1 - run.report.volumes[0].volume / volume);
            EXPECT_LT(area_error, last_area_error) << density;
            // Down to the estimate's own error, for those by points.
            EXPECT_LT(volume_error, std::max(last_volume_error, pair ? 0.005 : 0.01)) << density;
            last_area_error = area_error;
            last_volume_error = volume_error;
        }
        EXPECT_LT(last_area_error, 0.01);
        EXPECT_LT(last_volume_error, 0.02);
    }
}

// Real proteins at probes that make many probe spheres overlap: 1tii has
// faces on the same three spheres on both sides of them, several edges on
// one singular circle, and four probe spheres through one point. Every
// overlap is cut (no warning that any was left in place) and the mesh closes
// with the analytical surface's genus.
TEST(TriangulatedSurface, ProteinsGiveClosedMeshes) {
    for (const std::string name : {"1hpv.xyz", "1tii.xyz"})
        for (const double probe : {1.5, 3.0}) {
            SCOPED_TRACE(name + " probe " + number_text(probe));
            const Shape shape{name, surface_testing::read_spheres(std::string(ZELMAR_FIXTURES) + "/spheres/" + name),
                              probe};
            TempDir dir;
            const MeshRun run = run_and_check(shape, 1.0, dir);
            ASSERT_EQ(run.result.status, 0) << run.result.out;
            EXPECT_EQ(run.result.out.find("WARNING"), std::string::npos) << run.result.out;
            ASSERT_EQ(run.checks.size(), 1u);
            EXPECT_TRUE(run.checks[0].ok()) << run.checks[0].report() << run.result.out;
        }
}

}  // namespace

namespace {

// Two toric faces of a sphere in a protein at probe 1 meet it along two
// contact arcs between the same two vertices (a contact cycle of two arcs),
// each swept in one rotation step: the arcs need a point between their ends,
// or both are one chord that four triangles share.
TEST(TriangulatedSurface, AContactCycleOfTwoArcsClosesWithoutARestart) {
    const Shape shape{"two-arc contact cycle",
                      surface_testing::read_spheres(std::string(ZELMAR_FIXTURES) + "/spheres/two_arc_contact_cycle.xyz"),
                      1.0};
    for (const double density : {1.0, 3.0}) {
        SCOPED_TRACE(density);
        TempDir dir;
        const MeshRun run = run_and_check(shape, density, dir);
        ASSERT_EQ(run.result.status, 0) << run.result.out;
        EXPECT_EQ(run.result.out.find("try again"), std::string::npos) << run.result.out;
        EXPECT_EQ(run.result.out.find("WARNING"), std::string::npos) << run.result.out;
        ASSERT_EQ(run.checks.size(), 1u);
        EXPECT_TRUE(run.checks[0].ok()) << run.checks[0].report();
    }
}

}  // namespace
