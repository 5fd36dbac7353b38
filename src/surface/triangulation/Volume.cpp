#include "surface/triangulation/Volume.h"

#include "surface/tree/Geometry.h"

namespace velmesh {

namespace {

Vec3 point_of(const TriangulationTables& tables, int vertex) {
    const auto& p = tables.vertices[vertex].point;
    return {p[0], p[1], p[2]};
}

}  // namespace

void compute_volume(const TriangulationTables& tables, double& volume, double& area) {
    double total_area = 0;
    double sum = 0;
    for (int b = 0; b < tables.faces.block_count(); ++b) {
        const MeshFace* faces = tables.faces.block(b);
        const int count = tables.faces.block_size(b);
        for (int f = 0; f < count; ++f) {
            const Vec3 p1 = point_of(tables, faces[f].vertices[0]);
            const Vec3 p2 = point_of(tables, faces[f].vertices[1]);
            const Vec3 p3 = point_of(tables, faces[f].vertices[2]);
            const double a = triangle_area(p1, p2, p3);
            if (a == 0) continue;
            total_area += a;
            const Vec3 centroid = (p1 + p2 + p3) * 0.3333333;
            sum += a * dot(centroid, tri_norm(p1, p2, p3));
        }
    }
    volume = sum / 3;
    area = total_area;
}

}  // namespace velmesh
