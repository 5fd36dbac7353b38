#pragma once
// A sphere template: a triangulated unit sphere whose point count follows the
// sphere's area and the wanted density. Points lie on rings of latitude about
// the x axis, from the pole (1, 0, 0) to the pole (-1, 0, 0); the triangles
// between neighbouring rings are oriented outwards.
#include <array>
#include <cstdint>
#include <vector>

#include "surface/Vec3.h"

namespace velmesh {

inline constexpr int kTemplateNeighbours = 10;
inline constexpr int kTemplatePointTriangles = 12;
// The largest template: beyond it a density or radius is taken as a mistake.
inline constexpr int kMaxTemplatePoints = 4'000'000;

struct TemplatePoint {
    Vec3f direction;  // unit length
    std::array<int, kTemplateNeighbours> neighbours{};
    std::array<int, kTemplatePointTriangles> triangles{};
    std::uint8_t neighbour_count = 0;
    std::uint8_t triangle_count = 0;
    std::uint8_t ring = 0;
    std::uint8_t flag = 0;  // scratch of the face triangulation, 0 at rest
};

struct TemplateTriangle {
    std::array<int, 3> points{};
    std::array<int, 3> neighbours{};
    std::array<int, 3> edges{};
    std::uint8_t used = 0;
    std::uint8_t neighbour_count = 0;
    std::uint8_t edge_count = 0;
};

struct TemplateEdge {
    int first_point = 0;
    int second_point = 0;
    int first_triangle = -1;   // holds first_point -> second_point
    int second_triangle = -1;  // the other way round; -1 while the edge has one triangle
    std::uint8_t flag = 0;
};

struct SphereTemplate {
    std::vector<TemplatePoint> points;
    std::vector<TemplateTriangle> triangles;
    std::vector<TemplateEdge> edges;
    float radius = 0;  // the sphere radius the template is made for
    float h = 0;       // half the distance between points 0 and 1
    int triangle_capacity = 0;

    int point_count() const { return static_cast<int>(points.size()); }
    int triangle_count() const { return static_cast<int>(triangles.size()); }
    int edge_count() const { return static_cast<int>(edges.size()); }
};

// Builds the template for its radius at the density (points per square
// unit). With 4 pi r^2 density of 4 or less, or too few points for three
// rings, the template is left empty. A template of more than
// kMaxTemplatePoints points ends the run with status 1.
void mesh_template(float density, SphereTemplate& sphere_template);

}  // namespace velmesh
