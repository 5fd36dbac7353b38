#pragma once
// The vertex and face tables of one triangulated component. Faces are stored
// by kind, toric first, then reentrant, then contact, and the file writer
// derives each face's type from its place; likewise vertices are stored so
// that their type follows from their index (see vertex_type).
#include <array>
#include <cstdint>

#include "surface/triangulation/BlockTable.h"

namespace velmesh {

struct MeshVertex {
    std::array<float, 3> normal;
    std::array<float, 3> point;
    int sphere;  // index of its sphere
    int face;    // its SES face number
};
static_assert(sizeof(MeshVertex) == 32);

struct MeshFace {
    std::array<int, 3> vertices;  // global vertex indices from 0
    int face;                     // SES face number
};
static_assert(sizeof(MeshFace) == 16);

enum class FaceKind { contact = 1, reentrant = 2, toric = 3 };

struct TriangulationTables {
    BlockTable<MeshFace> faces;
    BlockTable<MeshVertex> vertices;
    int toric_face_count = 0;
    int reentrant_face_count = 0;
    // Vertices with an index up to last_type2_vertex are of type 2, then up
    // to last_type3_vertex of type 3, the rest of type 1.
    int last_type2_vertex = -1;
    int last_type3_vertex = -1;
    int next_vertex = 0;     // the index the next vertex gets
    int problem_count = 0;   // reentrant faces that could not be closed
    int unused_vertices = 0; // vertices made for faces but left in no triangle
    bool allocated = false;

    // Allocates the first blocks; a failure is reported and thrown on as
    // std::bad_alloc.
    void allocate();
    // Appends; a block that cannot be allocated is reported and thrown on.
    void add_face(int a, int b, int c, int face, FaceKind kind);
    void add_vertex(const std::array<float, 3>& point, const std::array<float, 3>& normal, int sphere, int face);
    // Frees the blocks and zeroes the counters.
    void release();

    int face_count() const { return faces.size(); }
    int vertex_count() const { return vertices.size(); }
    int face_type(int index) const;
    int vertex_type(int index) const;
};

}  // namespace velmesh
