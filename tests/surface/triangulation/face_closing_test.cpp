// The pieces of the triangulation on small fixtures: the planar front and
// its corner-by-corner way out, the mesh counts behind the genus check, and
// what the triangulation of a component does when a face fails or the mesh
// does not close.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "support/TempDir.h"
#include "surface/Run.h"
#include "surface/Stages.h"
#include "surface/input/RadiusClasses.h"
#include "surface/support/MeshChecker.h"
#include "surface/support/SESChecker.h"
#include "surface/support/SphereSets.h"
#include "surface/support/VelmeshRun.h"
#include "surface/triangulation/MeshGenus.h"
#include "surface/triangulation/PlanarFront.h"
#include "surface/triangulation/Triangulate.h"

using velmesh::PlanePoint;

namespace {

using Triangle = std::array<int, 3>;

double orient(const PlanePoint& a, const PlanePoint& b, const PlanePoint& c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// Checks that the triangles close the boundary cycles: every boundary edge
// once in its own direction (the triangle beside it runs along it), every other edge once each way, the Euler
// characteristic of a disk with holes, and (when `planar`) every triangle
// counter-clockwise and their areas adding up to the region's.
void expect_closes(const std::vector<PlanePoint>& points, const std::vector<std::vector<int>>& cycles,
                   const std::vector<Triangle>& triangles, bool planar) {
    std::map<std::pair<int, int>, int> directed;
    double area = 0;
    for (const Triangle& t : triangles) {
        for (int k = 0; k < 3; ++k) ++directed[{t[k], t[(k + 1) % 3]}];
        const double twice = orient(points[t[0]], points[t[1]], points[t[2]]);
        if (planar) {
            EXPECT_GT(twice, 0) << t[0] << " " << t[1] << " " << t[2];
        }
        area += twice / 2;
    }
    double region = 0;
    std::map<std::pair<int, int>, int> boundary;
    for (const auto& cycle : cycles)
        for (std::size_t k = 0; k < cycle.size(); ++k) {
            const int a = cycle[k], b = cycle[(k + 1) % cycle.size()];
            ++boundary[{a, b}];
            region += (points[a].x * points[b].y - points[b].x * points[a].y) / 2;
        }
    int edges = 0;
    for (const auto& [edge, count] : directed) {
        EXPECT_EQ(count, 1) << edge.first << "->" << edge.second;
        const bool on_boundary = boundary.count(edge) != 0;
        const bool reverse = directed.count({edge.second, edge.first}) != 0;
        EXPECT_NE(on_boundary, reverse) << edge.first << "->" << edge.second;
        if (!reverse || edge.first < edge.second) ++edges;
    }
    for (const auto& [edge, count] : boundary)
        EXPECT_EQ(directed.count(edge), 1u) << "boundary " << edge.first << "->" << edge.second;
    std::map<int, int> used;
    for (const Triangle& t : triangles)
        for (const int v : t) used[v] = 1;
    const int euler = static_cast<int>(used.size()) - edges + static_cast<int>(triangles.size());
    EXPECT_EQ(euler, 2 - static_cast<int>(cycles.size()));
    if (planar) {
        EXPECT_NEAR(area, region, 1e-9 * std::fabs(region) + 1e-12);
    }
}

struct FrontCase {
    std::string name;
    std::vector<PlanePoint> points;
    std::vector<std::vector<int>> cycles;  // region on the left
    int free_points;                       // the points after the cycles' ones
};

std::vector<FrontCase> front_cases() {
    std::vector<FrontCase> cases;
    // A comb: chords from its teeth's tips leave the region beside a notch.
    cases.push_back({"comb",
                     {{0, 0}, {6, 0}, {6, 3}, {5, 3}, {4, 1}, {3, 3}, {2, 1}, {1, 3}, {0, 3}},
                     {{0, 1, 2, 3, 4, 5, 6, 7, 8}},
                     0});
    // A thin spike between two long sides.
    cases.push_back({"spike", {{0, 0}, {3, 0.1}, {0.2, 0.15}, {3, 0.3}, {0, 1}}, {{0, 1, 2, 3, 4}}, 0});
    // A square ring: the hole runs clockwise.
    cases.push_back({"ring",
                     {{0, 0}, {4, 0}, {4, 4}, {0, 4}, {1, 1}, {1, 3}, {3, 3}, {3, 1}},
                     {{0, 1, 2, 3}, {4, 5, 6, 7}},
                     0});
    // A hole of three points (a contact face's cycle of three short arcs):
    // its three segments run clockwise round it and are no triangle to close.
    cases.push_back({"square with a triangular hole",
                     {{0, 0}, {4, 0}, {4, 4}, {0, 4}, {1, 1}, {2, 3}, {3, 1}},
                     {{0, 1, 2, 3}, {4, 5, 6}},
                     0});
    cases.push_back({"square with a sliver of a hole",
                     {{0, 0}, {4, 0}, {4, 4}, {0, 4}, {1, 2}, {2, 2.01}, {3, 2}},
                     {{0, 1, 2, 3}, {4, 5, 6}},
                     0});
    // A disk of a regular 12-gon around a grid of free points, some of them
    // cocircular.
    FrontCase disk{"disk with free points", {}, {{}}, 0};
    for (int k = 0; k < 12; ++k) {
        disk.points.push_back({3 * std::cos(k * 0.5235987756), 3 * std::sin(k * 0.5235987756)});
        disk.cycles[0].push_back(k);
    }
    for (int i = -2; i <= 2; ++i)
        for (int j = -2; j <= 2; ++j)
            if (i * i + j * j <= 5) {
                disk.points.push_back({i * 1.0, j * 1.0});
                ++disk.free_points;
            }
    cases.push_back(disk);
    return cases;
}

TEST(PlanarFront, ClosesRegionsWithCounterClockwiseTriangles) {
    for (const FrontCase& c : front_cases()) {
        SCOPED_TRACE(c.name);
        velmesh::PlanarFront front;
        for (const PlanePoint& p : c.points) front.add_point(p);
        for (const auto& cycle : c.cycles)
            for (std::size_t k = 0; k < cycle.size(); ++k) front.add_segment(cycle[k], cycle[(k + 1) % cycle.size()]);
        ASSERT_TRUE(front.run());
        EXPECT_EQ(front.unused_points(), 0);
        expect_closes(c.points, c.cycles, front.triangles(), true);
    }
}

// Two boundary points in the same place (an arc of no length between them,
// where two vertices of a face coincide): the front closes that zero-length
// segment with a neighbour into a triangle without area, and the rest as
// usual, with no need of the corner clipping.
TEST(PlanarFront, ClosesABoundaryWithAZeroLengthSegment) {
    struct Case {
        const char* name;
        std::vector<PlanePoint> points;
        std::vector<int> cycle;
        int twin_a, twin_b;  // the two points in one place
        double area;
    };
    const Case cases[] = {
        {"at a corner", {{0, 0}, {2, 0}, {2, 0}, {2, 2}, {0, 2}}, {0, 1, 2, 3, 4}, 1, 2, 4},
        {"inside a side", {{0, 0}, {1, 0}, {1, 0}, {2, 0}, {2, 2}, {0, 2}}, {0, 1, 2, 3, 4, 5}, 1, 2, 4},
        {"with free points", {{0, 0}, {3, 0}, {3, 0}, {3, 3}, {0, 3}, {1, 1}, {2, 1.5}, {1, 2}}, {0, 1, 2, 3, 4}, 1, 2, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        velmesh::PlanarFront front;
        for (const PlanePoint& p : c.points) front.add_point(p);
        for (std::size_t k = 0; k < c.cycle.size(); ++k)
            front.add_segment(c.cycle[k], c.cycle[(k + 1) % c.cycle.size()]);
        ASSERT_TRUE(front.run());
        EXPECT_EQ(front.unused_points(), 0);
        expect_closes(c.points, {c.cycle}, front.triangles(), false);
        double area = 0;
        int flat = 0;
        for (const Triangle& t : front.triangles()) {
            const double twice = orient(c.points[t[0]], c.points[t[1]], c.points[t[2]]);
            const bool has_twins =
                std::count(t.begin(), t.end(), c.twin_a) + std::count(t.begin(), t.end(), c.twin_b) == 2;
            if (has_twins) {
                EXPECT_EQ(twice, 0);
                ++flat;
            } else {
                EXPECT_GT(twice, 0) << t[0] << " " << t[1] << " " << t[2];
            }
            area += twice / 2;
        }
        EXPECT_EQ(flat, 1);
        EXPECT_NEAR(area, c.area, 1e-12);
    }
}

TEST(PlanarFront, CornersCloseEvenACycleWhoseChordsCross) {
    // A figure eight: no planar triangulation exists, but a disk does.
    const std::vector<PlanePoint> points = {{0, 0}, {2, 2}, {2, 0}, {0, 2}, {-1, 1}};
    const std::vector<int> cycle = {0, 1, 2, 3, 4};
    std::vector<Triangle> triangles;
    ASSERT_TRUE(velmesh::clip_ears(points, cycle, triangles));
    EXPECT_EQ(triangles.size(), 3u);
    expect_closes(points, {cycle}, triangles, false);
}

TEST(MeshCounts, CountRealEdgesSoThatHolesShow) {
    velmesh::TriangulationTables tables;
    tables.allocate();
    for (int v = 0; v < 4; ++v) tables.add_vertex({1.0f * (v == 1), 1.0f * (v == 2), 1.0f * (v == 3)}, {0, 0, 1}, 0, 0);
    const std::vector<Triangle> tetrahedron = {{0, 2, 1}, {0, 1, 3}, {0, 3, 2}, {1, 2, 3}};
    for (std::size_t k = 0; k < 3; ++k) tables.add_face(tetrahedron[k][0], tetrahedron[k][1], tetrahedron[k][2], 0,
                                                         velmesh::FaceKind::contact);
    velmesh::MeshCounts open = velmesh::count_mesh(tables);
    EXPECT_EQ(open.edges, 6);
    EXPECT_EQ(open.open_edges, 3);
    EXPECT_EQ(open.vertices - open.edges + open.faces, 1);  // a disk: genus 0.5 for one shell
    tables.add_face(1, 2, 3, 0, velmesh::FaceKind::contact);
    const velmesh::MeshCounts closed = velmesh::count_mesh(tables);
    EXPECT_EQ(closed.edges, 6);
    EXPECT_EQ(closed.open_edges, 0);
    EXPECT_EQ(closed.vertices - closed.edges + closed.faces, 2);
}

// Three spheres whose reentrant face loses its reduced face (so it cannot be
// closed): with a restart to follow, the triangulation stops before the
// contact faces; without one it finishes every other face.
TEST(TriangulateComponent, AFailedReentrantFaceReturnsEarlyOnlyWhenARestartFollows) {
    for (const bool restart : {true, false}) {
        SCOPED_TRACE(restart ? "restart follows" : "no restart");
        const double s = 3.5, rho = s / std::sqrt(3.0);
        std::vector<surface_testing::TestSphere> spheres;
        for (int k = 0; k < 3; ++k) spheres.push_back({rho * std::cos(2.0944 * k), rho * std::sin(2.0944 * k), 0, 1.5});
        velmesh::RunState run = surface_testing::run_of(spheres, 1.5);
        run.density = 1;
        run.sqrt_density = 1;
        run.hdensity = 3;
        run.sqrt_hdensity = std::sqrt(3.0f);
        run.want_triangulation = {true, true, true};
        run.restart = restart;
        velmesh::reset_radius_classes(run);
        for (auto& atom : run.atoms) atom.radius_class = static_cast<short>(velmesh::radius_class_of(run, atom.r));
        velmesh::build_templates(run);
        surface_testing::CapturedConsole console;
        ASSERT_EQ(surface_testing::compute_analytical_surface(run), 0);
        velmesh::SES_component& component = *run.ses_components.first();
        velmesh::SES_face* reentrant = nullptr;
        for (velmesh::SES_face& face : component.faces)
            if (face.type == velmesh::kReentrantFace && reentrant == nullptr) reentrant = &face;
        ASSERT_NE(reentrant, nullptr);
        reentrant->rs_face = nullptr;

        EXPECT_EQ(velmesh::triangulate_component(run, component), 1);
        EXPECT_EQ(reentrant->bad, 1);
        const auto& tables = run.triangulation;
        const int contact_triangles = tables.face_count() - tables.toric_face_count - tables.reentrant_face_count;
        EXPECT_GT(tables.reentrant_face_count, 0);
        if (restart)
            EXPECT_EQ(contact_triangles, 0);
        else
            EXPECT_GT(contact_triangles, 0);
    }
}

}  // namespace

namespace {

// A run over two spheres with its templates, ready for the surface stages.
velmesh::RunState two_sphere_run() {
    velmesh::RunState run = surface_testing::run_of({{0, 0, 0, 2}, {3, 0, 0, 1.6}}, 1.5);
    run.density = 1;
    run.sqrt_density = 1;
    run.hdensity = 3;
    run.sqrt_hdensity = std::sqrt(3.0f);
    run.want_triangulation = {true, true, true};
    velmesh::reset_radius_classes(run);
    for (auto& atom : run.atoms) atom.radius_class = static_cast<short>(velmesh::radius_class_of(run, atom.r));
    velmesh::build_templates(run);
    return run;
}

// A triangle turned over, or one moved off its neighbour's edge: the counts
// the genus uses see neither, the check of the edges sees both and marks the
// face the triangle belongs to.
TEST(TriangulateComponent, AFoldOrAHoleInTheMeshIsAFaceProblem) {
    struct Fault {
        const char* name;
        void (*apply)(velmesh::MeshFace&);
    };
    const Fault faults[] = {
        {"turned over", [](velmesh::MeshFace& f) { std::swap(f.vertices[0], f.vertices[1]); }},
        {"moved to another vertex", [](velmesh::MeshFace& f) { f.vertices[2] = f.vertices[2] == 0 ? 1 : 0; }},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.name);
        velmesh::RunState run = two_sphere_run();
        surface_testing::CapturedConsole console;
        ASSERT_EQ(surface_testing::compute_analytical_surface(run), 0);
        velmesh::SES_component& component = *run.ses_components.first();
        ASSERT_EQ(velmesh::triangulate_component(run, component), 0);
        ASSERT_EQ(velmesh::check_triangulated_surface(run, component), 0);
        velmesh::MeshFace& triangle = run.triangulation.faces[run.triangulation.face_count() / 2];
        fault.apply(triangle);
        EXPECT_GE(velmesh::check_triangulated_surface(run, component), 1);
        for (const velmesh::SES_face& face : component.faces)
            if (face.id == triangle.face) {
                EXPECT_EQ(face.bad, 1);
            }
    }
}

// The stages of the program, but the triangulation folds one triangle of the
// mesh on its first `folds` calls (of the component numbered `only`, when
// given) before it checks it.
class FoldingStages final : public velmesh::SurfaceStages {
public:
    explicit FoldingStages(int folds, int only = -1) : folds_(folds), only_(only) {}
    int reduced_surface(velmesh::RunState& run) override { return real_.reduced_surface(run); }
    int solvent_excluded_surface(velmesh::RunState& run, velmesh::RS_component& c) override {
        return real_.solvent_excluded_surface(run, c);
    }
    void analytical_areas(velmesh::RunState& run) override { real_.analytical_areas(run); }
    int triangulate(velmesh::RunState& run, velmesh::SES_component& component) override {
        const int problems = real_.triangulate(run, component);
        if (problems != 0 || folds_ == 0 || (only_ >= 0 && component.number != only_)) return problems;
        --folds_;
        std::swap(run.triangulation.faces[0].vertices[0], run.triangulation.faces[0].vertices[1]);
        return velmesh::check_triangulated_surface(run, component);
    }

private:
    int folds_;
    int only_;
    velmesh::VelmeshStages real_;
};

// A mesh that is not closed is never written: with restarts the run tries
// again, without them it fails.
TEST(TriangulateComponent, AMeshThatIsNotClosedIsRestartedOrFailsTheRun) {
    for (const bool restarts : {true, false}) {
        SCOPED_TRACE(restarts ? "with restarts" : "without restarts");
        testing_support::TempDir dir;
        testing_support::write_file(dir.file("s.xyz"), "0 0 0 2\n3 0 0 1.6\n");
        std::vector<std::string> args = {"-if", dir.file("s.xyz"), "-of", dir.file("m")};
        if (!restarts) args.push_back("-no_rest");
        FoldingStages stages(1);
        surface_testing::CapturedConsole console;
        const int status = velmesh::run_velmesh(args, stages);
        if (restarts) {
            EXPECT_EQ(status, 0) << console.out();
            EXPECT_NE(console.out().find("Failed during triangulation, try again 2\n"), std::string::npos);
            EXPECT_NE(console.out().find("    problem in the triangulation: the mesh of component 0 is open along "),
                      std::string::npos)
                << console.out();
            surface_testing::MeshCheckOptions options;
            options.check_positions = false;  // the restart grew the radii
            const auto check = surface_testing::check_mesh_files(dir.file("m.vert"), dir.file("m.face"), options);
            EXPECT_TRUE(check.ok()) << check.report();
        } else {
            EXPECT_EQ(status, 1) << console.out();
            EXPECT_NE(console.out().find("failed to triangulate component 0"), std::string::npos) << console.out();
            EXPECT_FALSE(std::filesystem::exists(dir.file("m.vert")));
            EXPECT_FALSE(std::filesystem::exists(dir.file("m.face")));
        }
    }
}

// The files of a run appear together when it succeeds: a run whose second
// component fails writes none of the first's either, and the files of an
// earlier run stay whole as they were.
TEST(TriangulateComponent, ARunThatFailsLeavesNoSurfaceFiles) {
    testing_support::TempDir dir;
    testing_support::write_file(dir.file("s.xyz"), "0 0 0 2.2\n30 0 0 1.6\n");
    const std::vector<std::string> args = {"-if", dir.file("s.xyz"), "-of", dir.file("m"), "-all_components",
                                           "-no_rest"};
    {
        surface_testing::CapturedConsole console;
        velmesh::VelmeshStages stages;
        ASSERT_EQ(velmesh::run_velmesh(args, stages), 0) << console.out();
    }
    for (const char* name : {"m.vert", "m.face", "m_1.vert", "m_1.face"}) EXPECT_TRUE(std::filesystem::exists(dir.file(name)));
    const std::string before = testing_support::read_file(dir.file("m.vert"));
    testing_support::write_file(dir.file("s.xyz"), "0 0 0 2\n30 0 0 1.6\n");
    FoldingStages stages(1, 1);
    surface_testing::CapturedConsole console;
    EXPECT_EQ(velmesh::run_velmesh(args, stages), 1) << console.out();
    EXPECT_NE(console.out().find("failed to triangulate component 1"), std::string::npos) << console.out();
    EXPECT_EQ(testing_support::read_file(dir.file("m.vert")), before);
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path())) ++files;
    EXPECT_EQ(files, 5);
}

}  // namespace
