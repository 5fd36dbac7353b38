#include "surface/reduced/RollAboutEdge.h"

#include <cmath>
#include <numbers>

#include "surface/reduced/RSTopology.h"

namespace velmesh {

namespace {

constexpr double kNoAngle = 6.29;
constexpr double kTieAngle = 0.000001;
constexpr double kOnCircle = 0.00001;

Vec3 unit(const Vec3& from, const Vec3& to) {
    Vec3 u;
    double length = 0;
    unit_difference(from, to, u, length);
    return u;
}

// Two spheres k and b stop the probe at once on edge (i, j): whether k should
// take b's place. k wins when its face (j, i, k) exists, or when the face that
// would complete the quadrilateral (i, j, k, b) with it exists: (k, i, b)
// when b lies further round from j than k seen from i, else (j, k, b).
bool tie_goes_to(const RSContext& context, const RS_component& component, int i, int j, int k, int b) {
    const Vec3& ci = context.centre(i);
    const Vec3 u = unit(ci, context.centre(j));
    const Vec3 to_k = unit(ci, context.centre(k));
    const Vec3 to_b = unit(ci, context.centre(b));
    Vec3 n = cross(u, to_k);
    normalise(n);
    if (find_rs_face(context.run, component, j, i, k) != nullptr) return true;
    const bool b_further = oriented_angle(u, to_b, n) > oriented_angle(u, to_k, n);
    return b_further ? find_rs_face(context.run, component, k, i, b) != nullptr
                     : find_rs_face(context.run, component, j, k, b) != nullptr;
}

// Whether sphere k reaches the probe where it starts (within the slack of
// the free test) and the probe, turning about the axis, moves into it: four
// spheres touch that position, and the probe meets k at once, at an angle a
// hair's breadth below 2 pi.
bool stops_at_start(const RSContext& context, const RS_face& from, const Torus& torus, int k) {
    if (k == from.i || k == from.j || k == from.k) return false;
    const double reach = context.radius(k) + context.p + kFreeProbeSlack;
    if (!(squared_distance(from.probe, context.centre(k)) < reach * reach)) return false;
    const Vec3 moving = cross(torus.axis, from.probe - torus.centre);
    return dot(moving, context.centre(k) - from.probe) > 0;
}

}  // namespace

bool roll_about_edge(RSContext& context, const RS_component& component, const RS_face& from, int slot, Roll& roll) {
    const RS_edge& edge = *from.edges[slot];
    const bool forwards = from.edge_orientations[slot] != 0;
    const int i = forwards ? edge.i : edge.j;
    const int j = forwards ? edge.j : edge.i;
    Torus& torus = roll.torus;
    if (torus_of_two_spheres(context.centre(i), context.radius(i), context.centre(j), context.radius(j), context.p,
                             torus) != 0)
        return false;
    const Vec3 start = unit(torus.centre, from.probe);

    int best = -1;
    double best_angle = kNoAngle;
    ProbePositions positions;
    // Every sphere the rolling probe can meet is a neighbour of i.
    for (const int k : context.near(i)) {
        if (k == i || k == j) continue;
        const double reach = torus.radius + context.p + context.radius(k);
        if (squared_distance(torus.centre, context.centre(k)) > reach * reach) continue;
        if (probe_positions(torus, context.centre(k), context.radius(k), context.p, positions) != 0) continue;
        // The first position is where the probe, turning about the axis,
        // starts to overlap sphere k.
        const Vec3& probe = positions.first;
        const Vec3 offset = probe - torus.centre;
        if (std::fabs(norm(offset) - torus.radius) > kOnCircle) continue;
        double angle = oriented_angle(start, unit(torus.centre, probe), torus.axis);
        if (angle > std::numbers::pi && stops_at_start(context, from, torus, k)) angle = 0;
        const bool tie = best >= 0 && std::fabs(angle - best_angle) <= kTieAngle;
        if (tie ? !tie_goes_to(context, component, i, j, k, best) : !(angle < best_angle)) continue;
        best = k;
        best_angle = angle;
        roll.face = FaceCandidate{j, i, k, probe, positions.half_chord};
    }
    if (best < 0) return false;
    roll.angle = best_angle;
    return true;
}

}  // namespace velmesh
