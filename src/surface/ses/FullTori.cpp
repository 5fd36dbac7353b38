#include "surface/ses/FullTori.h"


#include "surface/ses/ReentrantSides.h"
#include "surface/ses/SESRecordMakers.h"
#include "surface/ses/ToricFaces.h"
#include "surface/tree/Geometry.h"

namespace velmesh {

namespace {

constexpr double kTwoPi = 6.2831853;

// A full contact circle on the sphere, starting and ending at the vertex,
// with the cap beyond it.
SES_edge& full_circle(SESContext& context, RS_edge& edge, int sphere, SES_vertex* vertex) {
    SES_edge& circle = contact_arc(context, edge, sphere, vertex, vertex);
    const double r = context.radius(sphere);
    const Vec3 towards_centre = to_double(circle.circle_centre) - context.centre(sphere);
    circle.cap_area = static_cast<float>((r + dot(circle.normal(), towards_centre)) * kTwoPi * r);
    return circle;
}

// The seam from `from` to `to` on the probe sphere at the start position,
// along the plane through the probe and the axis.
SES_edge& seam(SESContext& context, RS_edge& edge, SES_vertex* from, SES_vertex* to) {
    const Vec3& probe = edge.start_probe;
    Vec3 ui = context.centre(edge.i) - probe;
    Vec3 uj = context.centre(edge.j) - probe;
    normalise(ui);
    normalise(uj);
    Vec3 n = cross(uj, ui);
    normalise(n);
    return new_ses_edge(context.ses, kReentrantArc, from, to, &edge, probe, context.p, n);
}

SES_face& torus_face(SESContext& context, RS_edge& edge, short type) {
    SES_face& face = new_ses_face(context.ses, type);
    face.rs_edge = &edge;
    return face;
}

// The seam borders its face on both sides.
void append_seam(SES_face& face, SES_edge& seam) {
    append_edge(face, seam, 1);
    seam.second_face = &face;
}

SES_vertex& apex(SESContext& context, const Vec3f& point, int sphere, const Vec3& normal) {
    SES_vertex& vertex = new_ses_vertex(context.ses, kSingularVertex, to_double(point), sphere, normal);
    vertex.geometric_angle = 1;
    return vertex;
}

void full_torus(SESContext& context, RS_edge& edge) {
    SES_vertex* on_i = &contact_vertex(context, edge.start_probe, edge.i);
    SES_vertex* on_j = &contact_vertex(context, edge.start_probe, edge.j);
    SES_face& face = torus_face(context, edge, kFullTorusFace);
    append_edge(face, full_circle(context, edge, edge.i, on_i), 1);
    if (edge.singular_kind == 0) {
        append_seam(face, seam(context, edge, on_i, on_j));
        append_edge(face, full_circle(context, edge, edge.j, on_j), 1);
        return;
    }
    // The solvent lies between the two apexes, where the probe passes the axis.
    SES_vertex* apex_i = &apex(context, edge.singular_points[0], edge.i, edge.axis);
    SES_vertex* apex_j = &apex(context, edge.singular_points[1], edge.j, -edge.axis);
    append_seam(face, seam(context, edge, on_i, apex_i));
    SES_face& half = torus_face(context, edge, kSingularTorusHalfFace);
    append_edge(half, full_circle(context, edge, edge.j, on_j), 1);
    append_seam(half, seam(context, edge, apex_j, on_j));
}

}  // namespace

void build_full_tori(SESContext& context, RS_component& component) {
    for (RS_edge& edge : component.free_edges) full_torus(context, edge);
}

}  // namespace velmesh
