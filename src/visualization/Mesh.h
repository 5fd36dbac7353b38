#pragma once
// A triangle mesh of a species in its body frame: consecutive vertex triples
// are triangles, and each vertex carries its triangle's normal.
#include <cstddef>
#include <vector>

#include "visualization/CVector.h"

// The unit normal of triangle p, q, r (counter-clockwise seen from its
// front); the zero vector for a degenerate triangle.
CVector triangle_normal(const CVector& p, const CVector& q, const CVector& r);

struct Mesh {
    std::vector<CVector> vertices;  // Å, body frame of the species
    std::vector<CVector> normals;   // as many as vertices

    void add_triangle(const CVector& p, const CVector& q, const CVector& r);
    std::size_t triangle_count() const { return vertices.size() / 3; }
    bool empty() const { return vertices.empty(); }
};
