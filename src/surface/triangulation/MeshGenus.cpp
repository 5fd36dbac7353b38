#include "surface/triangulation/MeshGenus.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace velmesh {

MeshCounts count_mesh(const TriangulationTables& tables) {
    MeshCounts counts;
    const int vertex_count = tables.vertex_count();
    std::vector<std::uint8_t> used(vertex_count, 0);
    // Each directed edge as (smaller << 32 | larger) << 1 | direction.
    std::vector<std::uint64_t> edges;
    edges.reserve(3 * static_cast<std::size_t>(tables.face_count()));
    for (int b = 0; b < tables.faces.block_count(); ++b) {
        const MeshFace* faces = tables.faces.block(b);
        for (int f = 0; f < tables.faces.block_size(b); ++f) {
            ++counts.faces;
            for (int k = 0; k < 3; ++k) {
                const auto from = static_cast<std::uint32_t>(faces[f].vertices[k]);
                const auto to = static_cast<std::uint32_t>(faces[f].vertices[(k + 1) % 3]);
                if (from < static_cast<std::uint32_t>(vertex_count)) used[from] = 1;
                const std::uint64_t low = std::min(from, to), high = std::max(from, to);
                edges.push_back(((low << 32 | high) << 1) | (from < to ? 1U : 0U));
            }
        }
    }
    counts.vertices = std::count(used.begin(), used.end(), std::uint8_t{1});
    std::sort(edges.begin(), edges.end());
    for (std::size_t k = 0; k < edges.size();) {
        std::size_t end = k;
        int forward = 0, backward = 0;
        while (end < edges.size() && edges[end] >> 1 == edges[k] >> 1) {
            ((edges[end] & 1U) != 0 ? forward : backward) += 1;
            ++end;
        }
        ++counts.edges;
        if (forward != 1 || backward != 1) ++counts.open_edges;
        k = end;
    }
    return counts;
}

}  // namespace velmesh
