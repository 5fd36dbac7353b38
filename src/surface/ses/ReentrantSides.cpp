#include "surface/ses/ReentrantSides.h"

#include <algorithm>
#include <cmath>

#include "surface/ses/ArcGeometry.h"
#include "surface/ses/SESRecordMakers.h"
#include "surface/tree/Geometry.h"

namespace velmesh {

namespace {

// The walk's mark on a reduced-surface face, beside its edge-done bits.
constexpr std::uint8_t kVisited = 8;

// Cross products of unit vectors shorter than this leave a plane undefined.
constexpr double kDegenerate = 1e-6;

bool is_real(const RunState& run, const RS_face& face) {
    return !(run.atoms[face.i].collision_only() && run.atoms[face.j].collision_only() &&
             run.atoms[face.k].collision_only());
}

// The unit normal of the plane through the probe and the spheres a and b,
// pointing towards the third sphere c: the great circle that the side's
// reentrant arcs follow. `degenerate` tells that the probe lies on the line
// of a and b, where the third sphere alone decides the plane.
Vec3 side_plane_normal(const SESContext& context, const Vec3& probe, int a, int b, int c, bool& degenerate) {
    const Vec3 ua = normalised(context.centre(a) - probe);
    const Vec3 ub = normalised(context.centre(b) - probe);
    const Vec3 n = cross(ub, ua);
    const double length = norm(n);
    degenerate = length < kDegenerate;
    if (!degenerate) return n / length;
    const Vec3 w = normalised(context.centre(b) - context.centre(a));
    const Vec3 uc = normalised(context.centre(c) - probe);
    return normalised(uc - dot(uc, w) * w);
}

int nearer_sphere(const SESContext& context, const RS_edge& edge, const Vec3& point) {
    const double to_i = squared_distance(point, context.centre(edge.i));
    const double to_j = squared_distance(point, context.centre(edge.j));
    return to_j < to_i ? edge.j : edge.i;
}

SES_vertex& singular_vertex(SESContext& context, const RS_edge& edge, const Vec3f& point, const Vec3& probe,
                            const Vec3& other_probe) {
    const Vec3 at = to_double(point);
    SES_vertex& vertex =
        new_ses_vertex(context.ses, kSingularVertex, at, nearer_sphere(context, edge, at), (probe - at) / context.p);
    set_second_normal(vertex, (other_probe - at) / context.p);
    vertex.geometric_angle = 1;
    return vertex;
}

void make_singular_vertices(SESContext& context, const RS_edge& edge, const Vec3& probe, const Vec3& other_probe,
                            EdgeSingularities& shared) {
    if (shared.near_i != nullptr) return;
    shared.near_i = &singular_vertex(context, edge, edge.singular_points[0], probe, other_probe);
    shared.near_j = edge.singular_kind == 1
                        ? shared.near_i
                        : &singular_vertex(context, edge, edge.singular_points[1], probe, other_probe);
}

// The arc from `from` to `to` where the probe sphere of the side meets the
// other probe sphere, on the side's face. Its normal points to the side's
// probe; the second point of its centre data is the direction from its
// centre to its midpoint.
SES_edge& singular_arc(SESContext& context, RS_edge& edge, SES_vertex* from, SES_vertex* to, const Vec3& probe,
                       const Vec3& other_probe, const Vec3& side_normal) {
    const double p = context.p;
    const Vec3 apart = probe - other_probe;
    const double d = norm(apart);
    Vec3 centre = 0.5 * (probe + other_probe);
    Vec3 n = side_normal;
    double radius = p;
    if (d > kTiny) {
        n = apart / d;
        radius = std::sqrt(std::max(0.0, p * p - d * d / 4));
    } else {
        centre = probe;
    }
    SES_edge& arc = new_ses_edge(context.ses, kSingularArc, from, to, &edge, centre, radius, n);
    arc.angle = static_cast<float>(arc_latitude(n, centre, probe, p));
    const Vec3 start = normalised(to_double(from->position) - centre);
    const Vec3 middle = rotate(start, -n, arc_sweep(arc) / 2);
    for (int c = 0; c < 3; ++c) arc.centre_data[3 + c] = middle[c];
    return arc;
}

}  // namespace

SES_vertex& contact_vertex(SESContext& context, const Vec3& probe, int sphere) {
    const Vec3 c = context.centre(sphere);
    const double r = context.radius(sphere);
    const Vec3 u = (probe - c) / (r + context.p);
    return new_ses_vertex(context.ses, kContactVertex, c + r * u, sphere, u);
}

bool walk_visited(const RS_face& face) {
    return (face.flags & kVisited) != 0;
}

SES_face* open_reentrant_face(SESContext& context, RS_face& face) {
    face.flags |= kVisited;
    if (!is_real(context.run, face)) return nullptr;
    SES_face& reentrant = new_ses_face(context.ses, kReentrantFace);
    reentrant.rs_face = &face;
    for (int slot = 0; slot < 3; ++slot) reentrant.corners[slot] = &contact_vertex(context, face.probe, face.sphere(slot));
    face.reentrant_face = &reentrant;
    return &reentrant;
}

SideArcs build_side(SESContext& context, RS_face& side, int slot, const RS_face& other, EdgeSingularities& shared) {
    RS_edge& edge = *side.edges[slot];
    SES_face* const face = side.reentrant_face;
    SideArcs result;
    result.a = side.sphere(slot);
    result.b = side.sphere((slot + 1) % 3);
    const int c = side.sphere((slot + 2) % 3);
    if (face != nullptr) {
        result.corner_a = face->corners[slot];
        result.corner_b = face->corners[(slot + 1) % 3];
    } else {
        result.corner_a = &contact_vertex(context, side.probe, result.a);
        result.corner_b = &contact_vertex(context, side.probe, result.b);
    }
    bool degenerate = false;
    const Vec3 n = side_plane_normal(context, side.probe, result.a, result.b, c, degenerate);
    if (degenerate) result.corner_a->geometric_angle = result.corner_b->geometric_angle = 1;

    const auto add = [&](SES_edge& arc, std::uint8_t orientation) {
        result.arcs[result.count++] = &arc;
        if (face != nullptr) append_edge(*face, arc, orientation);
    };
    const auto reentrant_arc = [&](SES_vertex* from, SES_vertex* to) {
        add(new_ses_edge(context.ses, kReentrantArc, from, to, &edge, side.probe, context.p, n), 1);
    };

    if (edge.singular_kind == 0) {
        reentrant_arc(result.corner_a, result.corner_b);
        return result;
    }
    make_singular_vertices(context, edge, side.probe, other.probe, shared);
    const bool a_is_i = result.a == edge.i;
    SES_vertex* const near_a = a_is_i ? shared.near_i : shared.near_j;
    SES_vertex* const near_b = a_is_i ? shared.near_j : shared.near_i;
    if (edge.singular_kind == 1) {
        reentrant_arc(result.corner_a, near_a);
        reentrant_arc(near_a, result.corner_b);
        return result;
    }
    reentrant_arc(result.corner_a, near_a);
    if (shared.arc == nullptr) {
        shared.arc = &singular_arc(context, edge, near_a, near_b, side.probe, other.probe, n);
        add(*shared.arc, 1);
    } else {
        add(*shared.arc, 0);
    }
    reentrant_arc(near_b, result.corner_b);
    return result;
}

}  // namespace velmesh
