#include "surface/triangulation/TriangulationTables.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "surface/Console.h"

namespace velmesh {

namespace {

// Reports as perror does ("text: reason") and fails the triangulation: a
// mesh that lost records would be written as if it were whole. The run
// answers it as any stage that runs out of memory (Run.cpp).
[[noreturn]] void out_of_block_memory(const char* what) {
    print_err("%s: %s\n", what, std::strerror(ENOMEM));
    throw std::bad_alloc();
}

}  // namespace

void TriangulationTables::allocate() {
    release();
    try {
        faces.reserve_first_block();
    } catch (const std::bad_alloc&) {
        out_of_block_memory("Malloc fail for fata");
    }
    try {
        vertices.reserve_first_block();
    } catch (const std::bad_alloc&) {
        out_of_block_memory("Malloc fail for sota");
    }
    allocated = true;
}

void TriangulationTables::add_face(int a, int b, int c, int face, FaceKind kind) {
    try {
        faces.push_back(MeshFace{{a, b, c}, face});
    } catch (const std::bad_alloc&) {
        out_of_block_memory("Malloc fail for fata");
    }
    if (kind == FaceKind::toric)
        ++toric_face_count;
    else if (kind == FaceKind::reentrant)
        ++reentrant_face_count;
}

void TriangulationTables::add_vertex(const std::array<float, 3>& point, const std::array<float, 3>& normal,
                                     int sphere, int face) {
    try {
        vertices.push_back(MeshVertex{normal, point, sphere, face});
    } catch (const std::bad_alloc&) {
        out_of_block_memory("Malloc fail for sota");
    }
}

void TriangulationTables::release() {
    faces.clear();
    vertices.clear();
    toric_face_count = 0;
    reentrant_face_count = 0;
    last_type2_vertex = -1;
    last_type3_vertex = -1;
    next_vertex = 0;
    problem_count = 0;
    unused_vertices = 0;
    allocated = false;
}

int TriangulationTables::face_type(int index) const {
    if (index < toric_face_count) return 3;
    if (index < toric_face_count + reentrant_face_count) return 2;
    return 1;
}

int TriangulationTables::vertex_type(int index) const {
    if (index <= last_type2_vertex) return 2;
    if (index <= last_type3_vertex) return 3;
    return 1;
}

}  // namespace velmesh
