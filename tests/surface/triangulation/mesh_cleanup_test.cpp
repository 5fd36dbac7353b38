// The last pass over a closed mesh: triangles of no area go, by a flip or a
// collapse, the mesh stays closed, oriented and of its genus, and its volume
// does not change; on real meshes every triangle keeps some area.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <vector>

#include "surface/support/MeshChecker.h"
#include "surface/triangulation/MeshCleanup.h"

namespace {

using velmesh::TriangulationTables;

struct Solid {
    std::vector<std::array<float, 3>> points;
    std::vector<std::array<int, 3>> faces;  // from 0, outward
};

// The unit octahedron: +x, -x, +y, -y, +z, -z are 0..5.
Solid octahedron() {
    return {{{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}},
            {{0, 2, 4}, {2, 1, 4}, {1, 3, 4}, {3, 0, 4}, {2, 0, 5}, {1, 2, 5}, {3, 1, 5}, {0, 3, 5}}};
}

TriangulationTables tables_of(const Solid& solid) {
    TriangulationTables tables;
    tables.allocate();
    for (const auto& p : solid.points) tables.add_vertex(p, p, 0, 0);
    for (const auto& f : solid.faces) tables.add_face(f[0], f[1], f[2], 0, velmesh::FaceKind::contact);
    tables.next_vertex = static_cast<int>(solid.points.size());
    tables.last_type2_vertex = tables.last_type3_vertex = -1;
    return tables;
}

surface_testing::Mesh mesh_of(const TriangulationTables& tables) {
    surface_testing::Mesh mesh;
    for (int v = 0; v < tables.vertex_count(); ++v) {
        surface_testing::VertexRow row;
        for (int k = 0; k < 3; ++k) row.point[k] = tables.vertices[v].point[k];
        row.normal = {1, 0, 0};
        row.sphere = 1;
        mesh.vertices.push_back(row);
    }
    for (int f = 0; f < tables.face_count(); ++f) {
        surface_testing::FaceRow row;
        for (int k = 0; k < 3; ++k) row.vertices[k] = tables.faces[f].vertices[k] + 1;
        mesh.faces.push_back(row);
    }
    return mesh;
}

struct Case {
    const char* name;
    std::function<void(Solid&)> spoil;
    int flats;  // triangles of no area it makes
    int faces;  // the faces left
};

TEST(MeshCleanup, TrianglesOfNoAreaGoAndTheSolidStays) {
    const Case cases[] = {
        // A point on the edge from +x to +y, joined to both ends: a triangle
        // whose corners lie in a line, its longest side flipped away.
        {"a corner on a side",
         [](Solid& s) {
             s.points.push_back({0.5f, 0.5f, 0});
             s.faces[0] = {0, 6, 4};
             s.faces.push_back({6, 2, 4});
             s.faces.push_back({0, 2, 6});
         },
         1, 10},
        // +z doubled: its fan split between the two, closed by two triangles
        // of no width along the sides to +x and -x: the two collapse into one.
        {"a corner printed twice",
         [](Solid& s) {
             s.points.push_back({0, 0, 1});
             s.faces[2] = {1, 3, 6};
             s.faces[3] = {3, 0, 6};
             s.faces.push_back({4, 1, 6});
             s.faces.push_back({6, 0, 4});
         },
         2, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Solid solid = octahedron();
        c.spoil(solid);
        TriangulationTables tables = tables_of(solid);
        surface_testing::MeshCheckOptions options;
        options.check_positions = false;
        options.check_genus = true;
        const auto before = surface_testing::check_mesh(mesh_of(tables), options);
        ASSERT_NE(before.report().find(std::to_string(c.flats) + " triangle(s) of no area"), std::string::npos)
            << before.report();
        const velmesh::MeshCleanup done = velmesh::clean_mesh(tables);
        EXPECT_EQ(done.flat_left, 0);
        const auto after = surface_testing::check_mesh(mesh_of(tables), options);
        EXPECT_TRUE(after.ok()) << after.report();
        EXPECT_NEAR(after.volume, before.volume, 1e-6);
        EXPECT_EQ(tables.face_count(), c.faces);
    }
}

}  // namespace
