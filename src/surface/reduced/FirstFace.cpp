#include "surface/reduced/FirstFace.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "surface/Console.h"
#include "surface/reduced/FreeCircle.h"
#include "surface/tree/Geometry.h"

namespace velmesh {

namespace {

// The two probe positions on a, b, c: `first` on the side of the normal of
// (a, b, c), `second` on the other.
struct OrientedPositions {
    Vec3 first;
    Vec3 second;
    double half_chord = 0;
};

bool oriented_positions(const RSContext& context, const Torus& torus, int a, int b, int c,
                        OrientedPositions& oriented) {
    ProbePositions positions;
    if (probe_positions(torus, context.centre(c), context.radius(c), context.p, positions) != 0) return false;
    const Vec3& ca = context.centre(a);
    const Vec3 normal = cross(context.centre(b) - ca, context.centre(c) - context.centre(b));
    const bool first_up = dot(positions.first - ca, normal) >= dot(positions.second - ca, normal);
    oriented.first = first_up ? positions.first : positions.second;
    oriented.second = first_up ? positions.second : positions.first;
    oriented.half_chord = positions.half_chord;
    return true;
}

FaceCandidate face_at_first(int a, int b, int c, const OrientedPositions& at) {
    return FaceCandidate{a, b, c, at.first, at.half_chord, true};
}

FaceCandidate face_at_second(int a, int b, int c, const OrientedPositions& at) {
    return FaceCandidate{a, c, b, at.second, at.half_chord, false};
}

void refuse_identical_centres(const RSContext& context, const char* search, int a, int b) {
    if (!(context.centre(a) == context.centre(b))) return;
    print_err("ERROR: %s: atoms %d and %d have identical centers \n", search, a, b);
    exit_run(1);
}

bool torus_of(const RSContext& context, int a, int b, Torus& torus) {
    return torus_of_two_spheres(context.centre(a), context.radius(a), context.centre(b), context.radius(b), context.p,
                                torus) == 0;
}

// The spheres that can touch the circle of a's torus with b, in the order of
// a's neighbours (see RSContext::near): the third spheres of its faces and
// all that can block a probe on it.
std::span<const int> near_circle(RSContext& context, int a, const Torus& torus) {
    std::vector<int>& found = context.near_circle;
    found.clear();
    for (const int c : context.near(a)) {
        const double reach = torus.radius + context.p + context.radius(c);
        if (squared_distance(torus.centre, context.centre(c)) <= reach * reach) found.push_back(c);
    }
    return found;
}

bool marked(const RSContext& context, int sphere) { return context.run.atoms[sphere].no_rs_edge != 0; }

// Whether the circle of a's torus with b can hold a free probe position; a
// circle found covered is remembered for the rest of the stage.
bool may_hold_free_probe(RSContext& context, int a, int b, const Torus& torus, std::span<const int> near) {
    if (context.circle_known_covered(a, b)) return false;
    if (circle_has_free_point(context, a, b, torus, near)) return true;
    context.remember_covered_circle(a, b);
    return false;
}

// The first free position of (a, b, c) over the spheres c near the circle
// that the filter accepts.
template <class Accept>
std::optional<FaceCandidate> face_on_torus(RSContext& context, int a, int b, const Torus& torus, Accept accept) {
    if (context.circle_known_covered(a, b)) return std::nullopt;
    const std::span<const int> near = near_circle(context, a, torus);
    if (!may_hold_free_probe(context, a, b, torus, near)) return std::nullopt;
    OrientedPositions at;
    for (const int c : near) {
        if (c == a || c == b || !accept(c)) continue;
        if (!oriented_positions(context, torus, a, b, c, at)) continue;
        if (context.probe_is_free(at.first, near, a, b, c)) return face_at_first(a, b, c, at);
        if (context.probe_is_free(at.second, near, a, b, c)) return face_at_second(a, b, c, at);
    }
    return std::nullopt;
}

}  // namespace

std::optional<FaceCandidate> find_first_rs_face(RSContext& context, int a) {
    const std::span<const int> near = context.near(a);
    Torus torus;
    for (const int b : near) {
        if (b == a || marked(context, b)) continue;
        refuse_identical_centres(context, "find_first_rs_face", a, b);
        if (!torus_of(context, a, b, torus)) continue;
        if (auto face = face_on_torus(context, a, b, torus, [&](int c) { return !marked(context, c); })) return face;
    }
    return std::nullopt;
}

namespace {

// The neighbour whose reach (its radius plus p) the probe meets first as it
// rolls over sphere a from `start` (a free position touching a, at unit
// direction `outward` from a's centre) along a great circle, with the torus
// of a and that neighbour and the probe's place on its circle. Every position
// on the way is free: each other neighbour blocks a cap of a's probe sphere
// that lies further from `start`. False when no neighbour is in reach.
struct FirstTouch {
    int b = -1;
    Torus torus;
    Vec3 probe;
};

bool first_touch(RSContext& context, int a, const Vec3& outward, FirstTouch& touch) {
    const Vec3& ca = context.centre(a);
    double nearest = std::numeric_limits<double>::max();
    Torus torus;
    for (const int s : context.near(a)) {
        if (s == a) continue;
        refuse_identical_centres(context, "find_first_rs_face_external", a, s);
        if (!torus_of(context, a, s, torus) || torus.radius <= kTiny) continue;
        // The cap of a's probe sphere inside s's reach: its centre is the
        // direction to s, its angular radius the angle to the torus circle.
        const double cap = std::atan2(torus.radius, dot(torus.centre - ca, torus.axis));
        const double gap = angle_of_cosine(dot(outward, torus.axis)) - cap;
        if (gap >= nearest) continue;
        nearest = gap;
        touch.b = s;
        touch.torus = torus;
    }
    if (touch.b < 0) return false;
    // The circle's point nearest `outward`: the torus axis turned towards it
    // by the cap's angle.
    const Vec3& axis = touch.torus.axis;
    Vec3 across = outward - dot(outward, axis) * axis;
    across = norm(across) > kTiny ? normalised(across) : perpendicular(axis);
    touch.probe = touch.torus.centre + touch.torus.radius * across;
    return true;
}

// The angle in [0, 2 pi) that turns the direction from the centre to `from`
// into that to `to` about the axis.
double turn_about(const Vec3& centre, const Vec3& axis, const Vec3& from, const Vec3& to) {
    const Vec3 u = from - centre;
    const Vec3 w = to - centre;
    const double angle = std::atan2(dot(cross(u, w), axis), dot(u, w));
    return angle < 0 ? angle + 2 * std::numbers::pi : angle;
}

// The face that the probe meets rolling about the axis of a and b from the
// free position `start` on their torus circle: the third sphere whose probe
// position comes first, taken with the spheres in the order that puts the
// probe on the side of the face's normal. The first free one is taken, so a
// tie in the rolling cannot yield a blocked position.
std::optional<FaceCandidate> face_rolled_to(RSContext& context, int a, const FirstTouch& touch) {
    const int b = touch.b;
    const Torus& torus = touch.torus;
    struct Stop {
        double angle;
        int c;
        Vec3 probe;
    };
    std::vector<Stop> stops;
    const std::span<const int> circle = near_circle(context, a, torus);
    ProbePositions positions;
    for (const int c : circle) {
        if (c == a || c == b) continue;
        if (probe_positions(torus, context.centre(c), context.radius(c), context.p, positions) != 0) continue;
        for (const Vec3& probe : {positions.first, positions.second})
            stops.push_back({turn_about(torus.centre, torus.axis, touch.probe, probe), c, probe});
    }
    std::sort(stops.begin(), stops.end(), [](const Stop& s, const Stop& t) { return s.angle < t.angle; });
    OrientedPositions at;
    for (const Stop& stop : stops) {
        if (!context.probe_is_free(stop.probe, circle, a, b, stop.c)) continue;
        if (!oriented_positions(context, torus, a, b, stop.c, at)) continue;
        const bool first = squared_distance(stop.probe, at.first) <= squared_distance(stop.probe, at.second);
        return first ? face_at_first(a, b, stop.c, at) : face_at_second(a, b, stop.c, at);
    }
    return std::nullopt;
}

// The search of the spheres' order: the neighbours b by least x - r, and
// for each c near their torus only the position with the smaller x.
std::optional<FaceCandidate> face_of_least_x(RSContext& context, int a) {
    const std::span<const int> near = context.near(a);
    context.order.assign(near.begin(), near.end());
    std::erase(context.order, a);
    const auto reach = [&](int s) { return context.centre(s).x - context.radius(s); };
    std::stable_sort(context.order.begin(), context.order.end(), [&](int s, int t) { return reach(s) < reach(t); });

    Torus torus;
    OrientedPositions at;
    for (const int b : context.order) {
        refuse_identical_centres(context, "find_first_rs_face_external", a, b);
        if (!torus_of(context, a, b, torus)) continue;
        const std::span<const int> circle = near_circle(context, a, torus);
        for (const int c : circle) {
            if (c == a || c == b) continue;
            if (!oriented_positions(context, torus, a, b, c, at)) continue;
            const FaceCandidate face =
                at.first.x <= at.second.x ? face_at_first(a, b, c, at) : face_at_second(a, b, c, at);
            if (context.probe_is_free(face.probe, circle, a, b, c)) return face;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<FaceCandidate> find_first_rs_face_external(RSContext& context, int a, const Vec3& outward) {
    const Vec3 start = context.centre(a) + (context.radius(a) + context.p) * outward;
    if (!context.probe_is_free(start, context.near(a), a, -1, -1)) return face_of_least_x(context, a);
    FirstTouch touch;
    if (!first_touch(context, a, outward, touch)) return std::nullopt;
    return face_rolled_to(context, a, touch);
}

std::optional<FaceCandidate> find_first_rs_face_cavity(RSContext& context, std::span<const int> spheres) {
    if (spheres.size() < 2) return std::nullopt;
    const int a = spheres[0];
    const int b = spheres[1];
    refuse_identical_centres(context, "find_first_rs_face_cavity", a, b);
    Torus torus;
    if (!torus_of(context, a, b, torus)) return std::nullopt;
    if (spheres.size() == 2)
        return face_on_torus(context, a, b, torus,
                             [&](int c) { return context.run.atoms[c].component_number == kNoComponent; });
    const int c = spheres[2];
    refuse_identical_centres(context, "find_first_rs_face_cavity", a, c);
    refuse_identical_centres(context, "find_first_rs_face_cavity", b, c);
    OrientedPositions at;
    if (!oriented_positions(context, torus, a, b, c, at)) return std::nullopt;
    const std::span<const int> circle = near_circle(context, a, torus);
    if (context.probe_is_free(at.first, circle, a, b, c)) return face_at_first(a, b, c, at);
    if (context.probe_is_free(at.second, circle, a, b, c)) return face_at_second(a, b, c, at);
    return std::nullopt;
}

void find_free_faces_above(RSContext& context, int a, const std::function<void(const FaceCandidate&)>& take) {
    const std::span<const int> near = context.near(a);
    Torus torus;
    OrientedPositions at;
    for (const int b : near) {
        if (b <= a) continue;
        refuse_identical_centres(context, "find_first_rs_face", a, b);
        if (!torus_of(context, a, b, torus)) continue;
        // A list of its own: `take` may search again.
        const std::span<const int> found = near_circle(context, a, torus);
        std::vector<int>& circle = context.near_sweep;
        circle.assign(found.begin(), found.end());
        if (!may_hold_free_probe(context, a, b, torus, circle)) continue;
        for (const int c : circle) {
            if (c <= a || c == b) continue;
            if (!oriented_positions(context, torus, a, b, c, at)) continue;
            if (context.probe_is_free(at.first, circle, a, b, c)) take(face_at_first(a, b, c, at));
            if (context.probe_is_free(at.second, circle, a, b, c)) take(face_at_second(a, b, c, at));
        }
    }
}

}  // namespace velmesh
