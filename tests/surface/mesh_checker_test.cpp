#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "surface/support/MeshChecker.h"

using surface_testing::check_mesh;
using surface_testing::FaceRow;
using surface_testing::Mesh;
using surface_testing::MeshCheckOptions;
using surface_testing::VertexRow;

namespace {

// An octahedron of the given half-diagonal around (cx, cy, cz), outward, its
// vertices on the sphere given.
void add_octahedron(Mesh& mesh, double cx, double cy, double cz, int sphere, double size = 1) {
    const int base = static_cast<int>(mesh.vertices.size());
    const double d[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (const auto& n : d) {
        VertexRow v;
        v.point = {cx + size * n[0], cy + size * n[1], cz + size * n[2]};
        v.normal = {n[0], n[1], n[2]};
        v.sphere = sphere;
        mesh.vertices.push_back(v);
    }
    // +x, -x, +y, -y, +z, -z are 1..6.
    const int faces[8][3] = {{1, 3, 5}, {3, 2, 5}, {2, 4, 5}, {4, 1, 5}, {3, 1, 6}, {2, 3, 6}, {4, 2, 6}, {1, 4, 6}};
    for (const auto& f : faces) {
        FaceRow row;
        row.vertices = {base + f[0], base + f[1], base + f[2]};
        mesh.faces.push_back(row);
    }
}

// A torus grid of 4 x 4 quads, outward: genus 1.
Mesh torus_mesh() {
    Mesh mesh;
    const int n = 4;
    const double big = 3, small = 1;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            const double u = 2 * M_PI * i / n, v = 2 * M_PI * j / n;
            VertexRow row;
            row.point = {(big + small * std::cos(v)) * std::cos(u), (big + small * std::cos(v)) * std::sin(u),
                         small * std::sin(v)};
            row.normal = {std::cos(v) * std::cos(u), std::cos(v) * std::sin(u), std::sin(v)};
            row.sphere = 1;
            mesh.vertices.push_back(row);
        }
    auto at = [&](int i, int j) { return (i % n) * n + (j % n) + 1; };
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            mesh.faces.push_back(FaceRow{{at(i, j), at(i + 1, j), at(i + 1, j + 1)}, 1, 1});
            mesh.faces.push_back(FaceRow{{at(i, j), at(i + 1, j + 1), at(i, j + 1)}, 1, 1});
        }
    return mesh;
}

MeshCheckOptions unit_sphere_at_origin() {
    MeshCheckOptions options;
    options.spheres = {{0, 0, 0, 1}};
    return options;
}

TEST(MeshChecker, AcceptsAClosedOutwardMesh) {
    Mesh mesh;
    add_octahedron(mesh, 0, 0, 0, 1);
    MeshCheckOptions options = unit_sphere_at_origin();
    options.printed_volume = 4.0 / 3;
    const auto check = check_mesh(mesh, options);
    EXPECT_TRUE(check.ok()) << check.report();
    EXPECT_EQ(check.pieces, 1);
    EXPECT_NEAR(check.volume, 4.0 / 3, 1e-12);
    EXPECT_NEAR(check.area, 8 * std::sqrt(3.0) / 2, 1e-12);
}

TEST(MeshChecker, CountsPiecesAndTheirGenus) {
    Mesh two;
    add_octahedron(two, 0, 0, 0, 1);
    add_octahedron(two, 5, 0, 0, 2);
    MeshCheckOptions options;
    options.spheres = {{0, 0, 0, 1}, {5, 0, 0, 1}};
    const auto check = check_mesh(two, options);
    EXPECT_TRUE(check.ok()) << check.report();
    EXPECT_EQ(check.pieces, 2);
    EXPECT_EQ(check.euler, (std::vector<int>{2, 2}));

    const Mesh torus = torus_mesh();
    MeshCheckOptions torus_options;
    torus_options.spheres = {{0, 0, 0, 100}};
    torus_options.probe_radius = 1;
    torus_options.probes = {};
    torus_options.position_tolerance = 1e9;  // positions are not the point here
    EXPECT_FALSE(check_mesh(torus, torus_options).ok());
    torus_options.genus = {1};
    const auto torus_check = check_mesh(torus, torus_options);
    EXPECT_TRUE(torus_check.ok()) << torus_check.report();
    EXPECT_EQ(torus_check.euler, (std::vector<int>{0}));
}

Mesh octahedron(double cx, double size, bool inward = false) {
    Mesh mesh;
    add_octahedron(mesh, cx, 0, 0, 1, size);
    if (inward)
        for (FaceRow& f : mesh.faces) std::swap(f.vertices[0], f.vertices[1]);
    return mesh;
}

TEST(MeshChecker, TellsCavitiesFromSurfacesFacingOutByHowTheyNest) {
    const Mesh outer = octahedron(0, 10);
    EXPECT_NEAR(surface_testing::winding_number(outer, {1, 2, 0.5}), 1, 1e-9);
    EXPECT_NEAR(surface_testing::winding_number(outer, {11, 0, 0}), 0, 1e-9);
    EXPECT_NEAR(surface_testing::winding_number(octahedron(0, 10, true), {1, 2, 0.5}), -1, 1e-9);

    // The outer surface, a cavity in it holding a cluster of its own, a
    // second cavity and a lone sphere apart, in a run's order.
    const std::vector<Mesh> run = {octahedron(0, 10), octahedron(-3, 2.5, true), octahedron(-3, 1),
                                   octahedron(4, 1, true), octahedron(20, 1)};
    const auto surrounding = surface_testing::surrounding_meshes(run);
    EXPECT_EQ(surrounding, (std::vector<std::vector<int>>{{}, {0}, {0, 1}, {0}, {}}));
    EXPECT_EQ(surface_testing::volume_signs(surrounding), (std::vector<int>{1, -1, 1, -1, 1}));
}

struct Fault {
    const char* name;
    std::function<void(Mesh&, MeshCheckOptions&)> apply;
    const char* expected;  // a text the report must hold
};

TEST(MeshChecker, CatchesEachKindOfFault) {
    const Fault faults[] = {
        {"missing triangle", [](Mesh& m, MeshCheckOptions&) { m.faces.pop_back(); }, "reverse in 0"},
        {"one triangle turned over",
         [](Mesh& m, MeshCheckOptions&) { std::swap(m.faces[0].vertices[0], m.faces[0].vertices[1]); },
         "in 2 triangle(s)"},
        {"all triangles turned over",
         [](Mesh& m, MeshCheckOptions&) {
             for (FaceRow& f : m.faces) std::swap(f.vertices[0], f.vertices[1]);
         },
         "has the wrong sign"},
        {"a cavity's surface facing out",
         [](Mesh&, MeshCheckOptions& o) { o.volume_sign = -1; }, "has the wrong sign"},
        {"index out of range", [](Mesh& m, MeshCheckOptions&) { m.faces[3].vertices[2] = 7; }, "out of 1..6"},
        {"index zero", [](Mesh& m, MeshCheckOptions&) { m.faces[3].vertices[2] = 0; }, "out of 1..6"},
        {"repeated vertex", [](Mesh& m, MeshCheckOptions&) { m.faces[0].vertices[2] = m.faces[0].vertices[0]; },
         "repeats a vertex"},
        {"duplicated triangle", [](Mesh& m, MeshCheckOptions&) { m.faces.push_back(m.faces[0]); }, "in 2 triangle(s)"},
        {"vertex off its sphere", [](Mesh& m, MeshCheckOptions&) { m.vertices[2].point[1] = 1.05; },
         "1 vertex(es) whose probe touches no sphere (by up to 0.05 at vertex 3)"},
        {"a probe entering another sphere",
         [](Mesh&, MeshCheckOptions& o) { o.spheres.push_back({2.5, 0, 0, 1}); },
         "1 vertex(es) whose probe enters a sphere (by up to 2.5 at vertex 1)"},
        {"a vertex inside another sphere",
         [](Mesh&, MeshCheckOptions& o) { o.spheres.push_back({0.5, 0, 0, 0.6}); },
         "1 vertex(es) inside a sphere"},
        {"wrong sphere number", [](Mesh& m, MeshCheckOptions&) { m.vertices[4].sphere = 2; }, "names sphere 2"},
        {"normal not unit", [](Mesh& m, MeshCheckOptions&) { m.vertices[0].normal = {0.5, 0, 0}; }, "not unit"},
        {"unused vertex",
         [](Mesh& m, MeshCheckOptions&) {
             VertexRow extra = m.vertices[0];
             m.vertices.push_back(extra);
         },
         "in no triangle"},
        {"a triangle of no area",
         [](Mesh& m, MeshCheckOptions&) {
             // Vertex 5 (+z) moved onto the edge from +x to +y, a face's corners in a line.
             m.vertices[4].point = {0.5, 0.5, 0};
         },
         "triangle(s) of no area (the first 1)"},
        {"printed volume disagrees", [](Mesh&, MeshCheckOptions& o) { o.printed_volume = 1.4; }, "but printed"},
    };
    for (const Fault& fault : faults) {
        Mesh mesh;
        add_octahedron(mesh, 0, 0, 0, 1);
        MeshCheckOptions options = unit_sphere_at_origin();
        fault.apply(mesh, options);
        const auto check = check_mesh(mesh, options);
        EXPECT_FALSE(check.ok()) << fault.name;
        EXPECT_NE(check.report().find(fault.expected), std::string::npos) << fault.name << ": " << check.report();
    }
}

TEST(MeshChecker, AcceptsVerticesWhoseProbeTouchesWithoutEntering) {
    // Vertex 1 moved off its sphere to (1.2, 0.4, 0): with the normal (0, 1, 0)
    // its probe centre (1.2, 0.9, 0) touches the unit sphere (gap 0.5 = p);
    // with (0, -1, 0) the probe (1.2, -0.1, 0) enters it.
    MeshCheckOptions options = unit_sphere_at_origin();
    options.probe_radius = 0.5;
    auto check_vertex = [&](double normal_y) {
        Mesh mesh;
        add_octahedron(mesh, 0, 0, 0, 1);
        mesh.vertices[0].point = {1.2, 0.4, 0};
        mesh.vertices[0].normal = {0, normal_y, 0};
        return check_mesh(mesh, options);
    };
    EXPECT_TRUE(check_vertex(1).ok()) << check_vertex(1).report();
    EXPECT_NE(check_vertex(-1).report().find("whose probe enters a sphere"), std::string::npos);

    // With probe centres given, the vertex must lie on one of them.
    Mesh mesh;
    add_octahedron(mesh, 0, 0, 0, 1);
    mesh.vertices[0].point = {1.3, 0, 0};
    options.probes = {{1.8, 0, 0}};
    EXPECT_EQ(check_mesh(mesh, options).report().find("vertex 1 lies on neither"), std::string::npos);
    options.probes = {{2.0, 0, 0}};
    EXPECT_NE(check_mesh(mesh, options).report().find("vertex 1 lies on neither"), std::string::npos);
}

}  // namespace
