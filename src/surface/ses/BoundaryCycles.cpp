#include "surface/ses/BoundaryCycles.h"

#include <numbers>

#include "surface/ses/ArcGeometry.h"
#include "surface/ses/PointInContactFace.h"
#include "surface/tree/Geometry.h"

namespace velmesh {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

// How far the face turns to the left at the vertex `at`, leaving `in` for
// `out`, seen from inside the probe.
double turn_at(const FaceArc& in, const FaceArc& out, const Vec3& probe) {
    const Vec3 at = to_double(in.to()->position);
    const Vec3 outward = normalised(probe - at);
    return turning_angle(arc_tangent(*in.edge, in.orientation, at), arc_tangent(*out.edge, out.orientation, at),
                         outward);
}

}  // namespace

std::vector<FaceArc> arcs_of(const SES_face& face) {
    std::vector<FaceArc> arcs;
    arcs.reserve(face.edges.size());
    for (std::size_t k = 0; k < face.edges.size(); ++k) arcs.push_back({face.edges[k], face.orientations[k]});
    return arcs;
}

std::vector<int> chain_into_cycles(std::vector<FaceArc>& arcs, const Vec3& probe) {
    const int count = static_cast<int>(arcs.size());
    std::vector<std::uint8_t> used(count, 0);
    std::vector<FaceArc> ordered;
    ordered.reserve(count);
    std::vector<int> ends;
    for (int first = 0; first < count; ++first) {
        if (used[first] != 0) continue;
        used[first] = 1;
        ordered.push_back(arcs[first]);
        const SES_vertex* start = arcs[first].from();
        while (true) {
            const FaceArc& last = ordered.back();
            const SES_vertex* at = last.to();
            int best = -1;
            double best_turn = 0;
            bool close = false;
            const auto consider = [&](int k, bool closing) {
                const double turn = turn_at(last, closing ? arcs[first] : arcs[k], probe);
                if (best < 0 || turn > best_turn) {
                    best = k;
                    best_turn = turn;
                    close = closing;
                }
            };
            if (at == start) consider(first, true);
            // Faces hold few arcs: a plain search is quickest.
            for (int k = first + 1; k < count; ++k)
                if (used[k] == 0 && arcs[k].from() == at) consider(k, false);
            if (best < 0) return {};
            if (close) break;
            used[best] = 1;
            ordered.push_back(arcs[best]);
        }
        ends.push_back(static_cast<int>(ordered.size()));
    }
    arcs = std::move(ordered);
    return ends;
}

double area_left_of_cycle(std::span<const FaceArc> cycle, const Vec3& probe, double p) {
    double turning = 0, curvature = 0;
    const std::size_t count = cycle.size();
    for (std::size_t k = 0; k < count; ++k) {
        turning += turn_at(cycle[k], cycle[(k + 1) % count], probe);
        const SES_edge& edge = *cycle[k].edge;
        if (edge.type != kReentrantArc) curvature += std::sin(edge.angle) * arc_sweep(edge);
    }
    return p * p * (kTwoPi - turning + curvature);
}

int inside_cycle(std::span<const FaceArc> cycle, const Vec3& probe, double p, const Vec3& x) {
    // The region test wants its boundary counter-clockwise seen from outside
    // the sphere; seen from inside the probe it runs the other way.
    std::vector<BoundaryArc> boundary;
    boundary.reserve(cycle.size());
    for (const FaceArc& arc : cycle) boundary.push_back({arc.edge, static_cast<std::uint8_t>(1 - arc.orientation)});
    return point_in_spherical_region(x, probe, p, boundary, 0);
}

}  // namespace velmesh
