#include "surface/ses/SingularCircles.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <unordered_map>
#include <utility>
#include <vector>

#include "surface/tree/Geometry.h"

namespace velmesh {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

// One edge of a circle: the arc of probe centres it rolls over, turning
// counter-clockwise about the circle's axis from probe `from` to probe `to`.
struct CircleEdge {
    RS_edge* edge;
    int from;
    int to;
    double azimuth;  // of `from`
};

class Circle {
public:
    Circle(const SESContext& context, const ProbeSpheres& probes, const std::vector<RS_edge*>& edges)
        : probes_(probes) {
        const RS_edge& first = *edges.front();
        axis_ = normalised(context.centre(std::max(first.i, first.j)) - context.centre(std::min(first.i, first.j)));
        centre_ = first.torus_centre;
        const Vec3 reference = first.face1->probe - centre_;
        e1_ = normalised(reference - dot(reference, axis_) * axis_);
        e2_ = cross(axis_, e1_);
        for (RS_edge* edge : edges) {
            int from = probes.index_of(edge->face1);
            int to = probes.index_of(edge->face2);
            // The edge turns its first face's probe into its second's about
            // its own axis, from its sphere i to its sphere j.
            if (dot(edge->axis, axis_) < 0) std::swap(from, to);
            edges_.push_back({edge, from, to, azimuth(probes[from].centre)});
        }
        std::sort(edges_.begin(), edges_.end(),
                  [](const CircleEdge& a, const CircleEdge& b) { return a.azimuth < b.azimuth; });
    }

    const std::vector<CircleEdge>& edges() const { return edges_; }
    const Vec3& centre() const { return centre_; }

    // The probes at the ends of the gap after edge k.
    int gap_end(std::size_t k) const { return edges_[k].to; }
    int gap_start(std::size_t k) const { return edges_[(k + 1) % edges_.size()].from; }

    // The unit direction in the circle's plane at the middle of the gap
    // after edge k.
    Vec3 gap_middle(std::size_t k) const {
        const double from = azimuth(probes_[gap_end(k)].centre);
        double to = azimuth(probes_[gap_start(k)].centre);
        if (to < from) to += kTwoPi;
        const double middle = (from + to) / 2;
        return std::cos(middle) * e1_ + std::sin(middle) * e2_;
    }

private:
    double azimuth(const Vec3& x) const {
        const Vec3 d = x - centre_;
        const double a = std::atan2(dot(d, e2_), dot(d, e1_));
        return a < 0 ? a + kTwoPi : a;
    }

    const ProbeSpheres& probes_;
    std::vector<CircleEdge> edges_;
    Vec3 axis_, centre_, e1_, e2_;
};

// The singular vertices of the arcs, one per singular point: the first met
// replaces the others, which are removed. Returns them (twice the same where
// the points coincide).
std::array<SES_vertex*, 2> share_singular_vertices(SES_component& ses, const RS_edge& first,
                                                   const std::vector<SES_edge*>& arcs, bool& removed) {
    const bool one_point = first.singular_kind == 1;
    const Vec3 points[2] = {to_double(first.singular_points[0]), to_double(first.singular_points[1])};
    std::array<SES_vertex*, 2> shared{nullptr, nullptr};
    std::unordered_map<SES_vertex*, int> side;
    for (SES_edge* arc : arcs)
        for (SES_vertex* end : {arc->start, arc->end}) {
            if (end->kind != kSingularVertex || side.contains(end)) continue;
            const Vec3 at = to_double(end->position);
            const int which = one_point || squared_distance(at, points[0]) <= squared_distance(at, points[1]) ? 0 : 1;
            if (shared[which] == nullptr) shared[which] = end;
            side[end] = which;
        }
    if (shared[1] == nullptr) shared[1] = shared[0];
    if (shared[0] == nullptr) shared[0] = shared[1];
    for (SES_edge* arc : arcs) {
        if (const auto found = side.find(arc->start); found != side.end()) arc->start = shared[found->second];
        if (const auto found = side.find(arc->end); found != side.end()) arc->end = shared[found->second];
    }
    for (const auto& [vertex, which] : side)
        if (vertex != shared[0] && vertex != shared[1]) {
            --ses.singular_vertex_count;
            ses.vertices.erase(*vertex);
            removed = true;
        }
    return shared;
}

}  // namespace

bool CircleHalf::holds(const Vec3& x) const {
    return dot(x - centre, towards_gap) > 0;
}

SingularCircles find_singular_circles(SESContext& context, RS_component& component, ProbeSpheres& probes) {
    // The singular edges by pair of spheres, in edge-list order.
    std::map<std::pair<int, int>, std::vector<RS_edge*>> by_pair;
    for (RS_edge& edge : component.edges)
        if (edge.singular_kind != 0 && edge.face1 != nullptr && edge.face2 != nullptr &&
            probes.index_of(edge.face1) >= 0 && probes.index_of(edge.face2) >= 0)
            by_pair[{std::min(edge.i, edge.j), std::max(edge.i, edge.j)}].push_back(&edge);
    SingularCircles result;
    for (const auto& [pair, edges] : by_pair) {
        const Circle circle(context, probes, edges);
        // The arcs the face walk built along the circle's edges, in the faces
        // of both ends of each (its singular arc, or the reentrant arcs that
        // meet at its singular vertex).
        std::vector<SES_edge*> arcs;
        for (const CircleEdge& edge : circle.edges())
            for (const int end : {edge.from, edge.to})
                for (const SES_face* face : probes[end].faces)
                    for (SES_edge* arc : face->edges)
                        if (arc->rs_edge == edge.edge) arcs.push_back(arc);
        const std::array<SES_vertex*, 2> ends =
            share_singular_vertices(context.ses, *edges.front(), arcs, result.vertices_removed);
        for (SES_vertex* end : ends)
            if (end != nullptr && (result.singular_vertices.empty() || result.singular_vertices.back() != end))
                result.singular_vertices.push_back(end);

        std::vector<int> members;
        for (const CircleEdge& edge : circle.edges()) {
            members.push_back(edge.from);
            members.push_back(edge.to);
        }
        std::sort(members.begin(), members.end());
        members.erase(std::unique(members.begin(), members.end()), members.end());
        for (std::size_t x = 0; x < members.size(); ++x)
            for (std::size_t y = x + 1; y < members.size(); ++y) {
                probes.add_circle_mates(members[x], members[y], false);
                CircleHalf half;
                half.ends[0] = ends[0];
                half.ends[1] = ends[1];
                half.centre = circle.centre();
                half.lone_edge = edges.size() == 1;
                result.halves[SingularCircles::key(members[x], members[y])].push_back(half);
            }
        for (std::size_t k = 0; k < circle.edges().size(); ++k) {
            const int a = circle.gap_end(k);
            const int b = circle.gap_start(k);
            if (a == b) continue;
            probes.add_circle_mates(a, b, true);
            // This circle's half, the last one added for the pair.
            CircleHalf& half = result.halves[SingularCircles::key(a, b)].back();
            half.across_gap = true;
            half.towards_gap = circle.gap_middle(k);
        }
    }
    probes.finish_circles();
    return result;
}

}  // namespace velmesh
