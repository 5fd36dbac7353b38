#pragma once
// The genus of a triangulation from its real counts: vertices in triangles,
// distinct edges and triangles. A mesh with holes has edges with one
// triangle, which lower its Euler characteristic, so its genus shows them.
#include <vector>

#include "surface/triangulation/TriangulationTables.h"

namespace velmesh {

struct MeshCounts {
    long vertices = 0;  // used by some triangle
    long edges = 0;     // distinct, in either direction
    long faces = 0;
    long open_edges = 0;  // edges not met once in each direction
};

MeshCounts count_mesh(const TriangulationTables& tables);

// The SES face numbers of the triangles along edges that are not met once in
// each direction, ascending, each once (none for a closed, consistently
// wound mesh).
std::vector<int> faces_at_open_edges(const TriangulationTables& tables);

}  // namespace velmesh
