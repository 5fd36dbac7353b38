#include "visualization/Mesh.h"

CVector triangle_normal(const CVector& p, const CVector& q, const CVector& r) {
    return cross(p.to(q), p.to(r)).normalized();
}

void Mesh::add_triangle(const CVector& p, const CVector& q, const CVector& r) {
    const CVector n = triangle_normal(p, q, r);
    vertices.insert(vertices.end(), {p, q, r});
    normals.insert(normals.end(), {n, n, n});
}
