#include "surface/triangulation/MeshGenus.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace velmesh {

namespace {

// Each directed edge of a triangle as (smaller << 32 | larger) << 1 | direction.
std::uint64_t edge_key(const MeshFace& face, int k) {
    const auto from = static_cast<std::uint32_t>(face.vertices[k]);
    const auto to = static_cast<std::uint32_t>(face.vertices[(k + 1) % 3]);
    const std::uint64_t low = std::min(from, to), high = std::max(from, to);
    return ((low << 32 | high) << 1) | (from < to ? 1U : 0U);
}

template <class Visit>
void for_each_face(const TriangulationTables& tables, Visit&& visit) {
    for (int b = 0; b < tables.faces.block_count(); ++b) {
        const MeshFace* faces = tables.faces.block(b);
        for (int f = 0; f < tables.faces.block_size(b); ++f) visit(faces[f]);
    }
}

// The distinct undirected edges of the sorted directed keys, each with
// whether it is met once in each direction.
template <class Visit>
void for_each_edge(const std::vector<std::uint64_t>& sorted, Visit&& visit) {
    for (std::size_t k = 0; k < sorted.size();) {
        std::size_t end = k;
        int forward = 0, backward = 0;
        while (end < sorted.size() && sorted[end] >> 1 == sorted[k] >> 1) {
            ((sorted[end] & 1U) != 0 ? forward : backward) += 1;
            ++end;
        }
        visit(sorted[k] >> 1, forward == 1 && backward == 1);
        k = end;
    }
}

std::vector<std::uint64_t> sorted_edges(const TriangulationTables& tables) {
    std::vector<std::uint64_t> edges;
    edges.reserve(3 * static_cast<std::size_t>(tables.face_count()));
    for_each_face(tables, [&](const MeshFace& face) {
        for (int k = 0; k < 3; ++k) edges.push_back(edge_key(face, k));
    });
    std::sort(edges.begin(), edges.end());
    return edges;
}

}  // namespace

MeshCounts count_mesh(const TriangulationTables& tables) {
    MeshCounts counts;
    const int vertex_count = tables.vertex_count();
    std::vector<std::uint8_t> used(vertex_count, 0);
    for_each_face(tables, [&](const MeshFace& face) {
        ++counts.faces;
        for (const int v : face.vertices)
            if (static_cast<std::uint32_t>(v) < static_cast<std::uint32_t>(vertex_count)) used[v] = 1;
    });
    counts.vertices = std::count(used.begin(), used.end(), std::uint8_t{1});
    for_each_edge(sorted_edges(tables), [&](std::uint64_t, bool closed) {
        ++counts.edges;
        if (!closed) ++counts.open_edges;
    });
    return counts;
}

std::vector<int> faces_at_open_edges(const TriangulationTables& tables) {
    std::vector<std::uint64_t> open;
    for_each_edge(sorted_edges(tables), [&](std::uint64_t edge, bool closed) {
        if (!closed) open.push_back(edge);
    });
    std::vector<int> faces;
    if (open.empty()) return faces;
    for_each_face(tables, [&](const MeshFace& face) {
        for (int k = 0; k < 3; ++k)
            if (std::binary_search(open.begin(), open.end(), edge_key(face, k) >> 1)) faces.push_back(face.face);
    });
    std::sort(faces.begin(), faces.end());
    faces.erase(std::unique(faces.begin(), faces.end()), faces.end());
    return faces;
}

}  // namespace velmesh
