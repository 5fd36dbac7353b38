#include "surface/support/TemplateCheck.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "surface/tree/Geometry.h"

namespace surface_testing {

std::vector<std::string> template_problems(const velmesh::SphereTemplate& t) {
    std::vector<std::string> problems;
    auto problem = [&](const std::string& text) {
        if (problems.size() < 10) problems.push_back(text);
    };
    const int n = t.point_count();
    if (n == 0) {
        if (t.triangle_count() != 0 || t.edge_count() != 0) problem("empty template with triangles or edges");
        return problems;
    }
    if (t.triangle_count() != 2 * n - 4) problem("triangles " + std::to_string(t.triangle_count()) + " for " + std::to_string(n) + " points");
    if (t.edge_count() != 3 * n - 6) problem("edges " + std::to_string(t.edge_count()));
    for (const velmesh::TemplatePoint& p : t.points) {
        const double length = std::sqrt(p.direction.x * p.direction.x + p.direction.y * p.direction.y + p.direction.z * p.direction.z);
        if (std::fabs(length - 1) > 1e-6) problem("point off the unit sphere");
    }
    std::map<std::pair<int, int>, int> directed;
    std::vector<std::set<int>> neighbours(n);
    std::vector<std::set<int>> triangles_of(n);
    for (int i = 0; i < t.triangle_count(); ++i) {
        const auto& v = t.triangles[i].points;
        for (int k = 0; k < 3; ++k) {
            ++directed[{v[k], v[(k + 1) % 3]}];
            neighbours[v[k]].insert(v[(k + 1) % 3]);
            neighbours[v[(k + 1) % 3]].insert(v[k]);
            triangles_of[v[k]].insert(i);
        }
        const velmesh::Vec3 a = velmesh::to_double(t.points[v[0]].direction);
        const velmesh::Vec3 b = velmesh::to_double(t.points[v[1]].direction);
        const velmesh::Vec3 c = velmesh::to_double(t.points[v[2]].direction);
        if (velmesh::dot(velmesh::cross(b - a, c - b), a + b + c) <= 0) problem("triangle " + std::to_string(i) + " faces inwards");
        if (t.triangles[i].neighbour_count != 3 || t.triangles[i].edge_count != 3) problem("triangle " + std::to_string(i) + " adjacency");
    }
    for (const auto& [edge, count] : directed) {
        const auto back = directed.find({edge.second, edge.first});
        if (count != 1 || back == directed.end() || back->second != 1)
            problem("edge " + std::to_string(edge.first) + "-" + std::to_string(edge.second) + " not shared once each way");
    }
    for (int p = 0; p < n; ++p) {
        const velmesh::TemplatePoint& point = t.points[p];
        const std::set<int> listed(point.neighbours.begin(), point.neighbours.begin() + point.neighbour_count);
        if (listed != neighbours[p]) problem("point " + std::to_string(p) + " neighbour list");
        const std::set<int> listed_triangles(point.triangles.begin(), point.triangles.begin() + point.triangle_count);
        if (listed_triangles != triangles_of[p]) problem("point " + std::to_string(p) + " triangle list");
    }
    for (const velmesh::TemplateEdge& e : t.edges) {
        if (e.second_triangle < 0) {
            problem("edge with one triangle");
            continue;
        }
        const auto& first = t.triangles[e.first_triangle].points;
        bool forward = false;
        for (int k = 0; k < 3; ++k)
            if (first[k] == e.first_point && first[(k + 1) % 3] == e.second_point) forward = true;
        if (!forward) problem("edge's first triangle does not hold it first to second");
    }
    return problems;
}

}  // namespace surface_testing
