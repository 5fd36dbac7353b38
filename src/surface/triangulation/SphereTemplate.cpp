#include "surface/triangulation/SphereTemplate.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <new>

#include "surface/Console.h"
#include "surface/tree/Geometry.h"

namespace velmesh {

namespace {

constexpr double kPi = 3.14159265;
constexpr double kFourPi = 12.5663706;

void remove_triangle(TemplatePoint& p, int t) {
    auto* end = p.triangles.begin() + p.triangle_count;
    auto* found = std::find(p.triangles.begin(), end, t);
    if (found == end) return;
    std::copy(found + 1, end, found);
    --p.triangle_count;
}

// The vertex of the triangle that follows point a in its cyclic order.
int after(const TemplateTriangle& t, int a) {
    for (int i = 0; i < 3; ++i)
        if (t.points[i] == a) return t.points[(i + 1) % 3];
    return -1;
}

class TemplateBuilder {
public:
    TemplateBuilder(SphereTemplate& t, int wanted_points) : t_(t), wanted_(wanted_points) {}

    void build() {
        const int e = static_cast<int>(std::sqrt(wanted_ * kPi));
        const int rings = std::max(1, static_cast<int>(e * 0.5));
        // Fewer than three rings (two poles) cannot enclose anything.
        if (rings < 2) return;
        allocate();
        make_rings(e, rings);
        const Vec3f d = t_.points[1].direction - t_.points[0].direction;
        t_.h = 0.5f * std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
        for (std::size_t k = 0; k + 2 < ring_first_.size(); ++k) join_rings(k);
        flip_edges();
        link_triangles();
    }

private:
    void allocate() {
        try {
            t_.points.reserve(wanted_);
            neighbour_edge_.resize(wanted_);
        } catch (const std::bad_alloc&) {
            fail("mesh_template: malloc failed for v\n");
        }
        try {
            t_.edges.reserve(3 * static_cast<std::size_t>(wanted_));
        } catch (const std::bad_alloc&) {
            fail("mesh_template: malloc failed for a\n");
        }
        try {
            t_.triangle_capacity = 2 * wanted_;
            t_.triangles.reserve(t_.triangle_capacity);
        } catch (const std::bad_alloc&) {
            fail("mesh_template: malloc failed for f\n");
        }
    }

    [[noreturn]] void fail(const char* message) {
        t_ = SphereTemplate{};
        print_err("%s", message);
        exit_run(1);
    }

    void make_rings(int e, int rings) {
        for (int k = 0; k <= rings && t_.point_count() < wanted_; ++k) {
            const double phi = k * kPi / rings;
            const int size = std::max(1, static_cast<int>(e * std::sin(phi)));
            const double step = 2 * kPi / size;
            ring_first_.push_back(t_.point_count());
            for (int i = 0; i < size && t_.point_count() < wanted_; ++i) {
                const double theta = i * step;
                TemplatePoint p;
                p.direction = {static_cast<float>(std::cos(phi)), static_cast<float>(std::sin(phi) * std::cos(theta)),
                               static_cast<float>(std::sin(phi) * std::sin(theta))};
                p.ring = static_cast<std::uint8_t>(std::min(k, 255));
                t_.points.push_back(p);
            }
        }
        ring_first_.push_back(t_.point_count());
    }

    int ring_size(std::size_t k) const { return ring_first_[k + 1] - ring_first_[k]; }

    // Triangles between ring k and ring k + 1, walking along ring k: its point
    // j joins the points of ring k + 1 from the one nearest in longitude to j
    // up to the one nearest to j + 1, and then j + 1. Each triangle faces
    // outwards.
    void join_rings(std::size_t k) {
        const int a = ring_size(k);
        const int b = ring_size(k + 1);
        const int first_a = ring_first_[k];
        const int first_b = ring_first_[k + 1];
        auto A = [&](int j) { return first_a + j % a; };
        auto B = [&](int t) { return first_b + t % b; };
        if (a == 1) {
            for (int t = 0; t < b; ++t) add_triangle(A(0), B(t), B(t + 1));
            return;
        }
        if (b == 1) {
            for (int j = 0; j < a; ++j) add_triangle(A(j), B(0), A(j + 1));
            return;
        }
        auto nearest = [&](int j) {
            return std::min(b, static_cast<int>(std::floor(static_cast<double>(j) * b / a + 0.5)));
        };
        for (int j = 0; j < a; ++j) {
            const int from = nearest(j);
            const int to = nearest(j + 1);
            for (int t = from; t < to; ++t) add_triangle(A(j), B(t), B(t + 1));
            add_triangle(A(j), B(to), A(j + 1));
        }
    }

    void add_triangle(int a, int b, int c) {
        if (t_.triangle_count() >= t_.triangle_capacity) {
            print_err("ERROR too many faces\n");
            return;
        }
        const int index = t_.triangle_count();
        TemplateTriangle triangle;
        triangle.points = {a, b, c};
        t_.triangles.push_back(triangle);
        bool room = true;
        for (const int p : {a, b, c})
            if (t_.points[p].neighbour_count > kTemplateNeighbours - 2 ||
                t_.points[p].triangle_count >= kTemplatePointTriangles)
                room = false;
        if (!room) print_err("ERROR: too many neighbors for template vertex\n");
        register_edge(a, b, index, room);
        register_edge(b, c, index, room);
        register_edge(c, a, index, room);
        if (room)
            for (const int p : {a, b, c}) {
                TemplatePoint& point = t_.points[p];
                point.triangles[point.triangle_count++] = index;
            }
    }

    // The edge between two points, found through the first one's
    // neighbours; -1 when they are not neighbours.
    int edge_between(int p, int q) const {
        const TemplatePoint& point = t_.points[p];
        for (int k = 0; k < point.neighbour_count; ++k)
            if (point.neighbours[k] == q) return neighbour_edge_[p][k];
        return -1;
    }

    void link(int p, int q, int edge) {
        TemplatePoint& point = t_.points[p];
        neighbour_edge_[p][point.neighbour_count] = edge;
        point.neighbours[point.neighbour_count++] = q;
    }

    void unlink(int p, int q) {
        TemplatePoint& point = t_.points[p];
        for (int k = 0; k < point.neighbour_count; ++k) {
            if (point.neighbours[k] != q) continue;
            for (int m = k + 1; m < point.neighbour_count; ++m) {
                point.neighbours[m - 1] = point.neighbours[m];
                neighbour_edge_[p][m - 1] = neighbour_edge_[p][m];
            }
            --point.neighbour_count;
            return;
        }
    }

    void register_edge(int from, int to, int triangle, bool room) {
        const int existing = edge_between(from, to);
        if (existing >= 0) {
            TemplateEdge& edge = t_.edges[existing];
            if (edge.second_triangle < 0) edge.second_triangle = triangle;
            return;
        }
        if (t_.edge_count() >= 2 * t_.triangle_capacity) {
            print_err("Error not enough edges allocated\n");
            return;
        }
        const int index = t_.edge_count();
        t_.edges.push_back(TemplateEdge{from, to, triangle, -1, 0});
        if (room) {
            link(from, to, index);
            link(to, from, index);
        }
    }

    // One pass over the edges in creation order: an edge whose opposite
    // point y lies above the plane of its first triangle is replaced by the
    // edge between the two opposite points.
    void flip_edges() {
        for (int e = 0; e < t_.edge_count(); ++e) {
            const TemplateEdge edge = t_.edges[e];
            if (edge.second_triangle < 0) continue;
            const int a = edge.first_point;
            const int b = edge.second_point;
            const int t1 = edge.first_triangle;
            const int t2 = edge.second_triangle;
            const int x = after(t_.triangles[t1], b);
            const int y = after(t_.triangles[t2], a);
            if (x < 0 || y < 0 || x == y) continue;
            const Vec3 pa = to_double(t_.points[a].direction);
            const Vec3 pb = to_double(t_.points[b].direction);
            const Vec3 px = to_double(t_.points[x].direction);
            const Vec3 py = to_double(t_.points[y].direction);
            const Vec3 normal = cross(pb - pa, px - pb);
            const double length = norm(normal);
            if (length == 0 || dot(py - pa, normal / length) <= 0.00001) continue;
            if (edge_between(x, y) >= 0) continue;
            const TemplatePoint& qx = t_.points[x];
            const TemplatePoint& qy = t_.points[y];
            if (qx.neighbour_count >= kTemplateNeighbours || qy.neighbour_count >= kTemplateNeighbours ||
                qx.triangle_count >= kTemplatePointTriangles || qy.triangle_count >= kTemplatePointTriangles)
                continue;
            flip(e, a, b, x, y, t1, t2);
        }
    }

    // (a, b, x) and (b, a, y) become (x, y, b) and (y, x, a).
    void flip(int e, int a, int b, int x, int y, int t1, int t2) {
        move_edge(edge_between(x, a), t1, t2);
        move_edge(edge_between(y, b), t2, t1);
        t_.triangles[t1].points = {x, y, b};
        t_.triangles[t2].points = {y, x, a};
        TemplateEdge& edge = t_.edges[e];
        edge.first_point = x;
        edge.second_point = y;
        unlink(a, b);
        unlink(b, a);
        link(x, y, e);
        link(y, x, e);
        remove_triangle(t_.points[a], t1);
        remove_triangle(t_.points[b], t2);
        TemplatePoint& qx = t_.points[x];
        TemplatePoint& qy = t_.points[y];
        qy.triangles[qy.triangle_count++] = t1;
        qx.triangles[qx.triangle_count++] = t2;
    }

    void move_edge(int index, int from_triangle, int to_triangle) {
        if (index < 0) return;
        TemplateEdge& edge = t_.edges[index];
        if (edge.first_triangle == from_triangle)
            edge.first_triangle = to_triangle;
        else if (edge.second_triangle == from_triangle)
            edge.second_triangle = to_triangle;
    }

    // Each triangle's edges and its neighbours across them.
    void link_triangles() {
        for (int e = 0; e < t_.edge_count(); ++e) {
            const TemplateEdge& edge = t_.edges[e];
            TemplateTriangle& first = t_.triangles[edge.first_triangle];
            if (first.edge_count < 3) first.edges[first.edge_count++] = e;
            if (edge.second_triangle < 0) continue;
            TemplateTriangle& second = t_.triangles[edge.second_triangle];
            if (second.edge_count < 3) second.edges[second.edge_count++] = e;
            if (first.neighbour_count < 3) first.neighbours[first.neighbour_count++] = edge.second_triangle;
            if (second.neighbour_count < 3) second.neighbours[second.neighbour_count++] = edge.first_triangle;
        }
    }

    SphereTemplate& t_;
    int wanted_;
    std::vector<int> ring_first_;
    // Per point, the edge to each of its neighbours, in the order of its list.
    std::vector<std::array<int, kTemplateNeighbours>> neighbour_edge_;
};

}  // namespace

void mesh_template(float density, SphereTemplate& sphere_template) {
    const float radius = sphere_template.radius;
    sphere_template = SphereTemplate{};
    sphere_template.radius = radius;
    const double wanted = kFourPi * radius * radius * density;
    if (!(wanted > 4)) return;
    if (wanted > kMaxTemplatePoints) {
        print_err("mesh_template: %.0f points asked for radius %f at density %f, more than %d\n", wanted, radius,
                  density, kMaxTemplatePoints);
        exit_run(1);
    }
    TemplateBuilder(sphere_template, static_cast<int>(wanted)).build();
}

}  // namespace velmesh
