#include "surface/ses/ToricFaces.h"

#include "surface/ses/ArcGeometry.h"
#include "surface/ses/SESRecordMakers.h"

namespace velmesh {

SES_edge& contact_arc(SESContext& context, RS_edge& edge, int sphere, SES_vertex* from, SES_vertex* to) {
    const int side = sphere == edge.i ? 0 : 1;
    // The axis runs from i to j; the normal points away from the other sphere.
    const Vec3 n = side == 0 ? -edge.axis : edge.axis;
    const Vec3& centre = edge.contact_points[side];
    SES_edge& arc =
        new_ses_edge(context.ses, kContactArc, from, to, &edge, centre, edge.contact_radii[side], n);
    arc.angle = static_cast<float>(arc_latitude(n, centre, context.centre(sphere), context.radius(sphere)));
    arc.torus_angle = static_cast<float>(edge.angle);
    return arc;
}

void build_toric_faces(SESContext& context, RS_edge& edge, const SideArcs& x, const SideArcs& y) {
    SES_edge& on_a = contact_arc(context, edge, x.a, x.corner_a, y.corner_b);
    SES_edge& on_b = contact_arc(context, edge, x.b, y.corner_a, x.corner_b);
    if (edge.singular_kind == 0) {
        SES_face& face = new_ses_face(context.ses, kToricFace);
        face.rs_edge = &edge;
        append_edge(face, *x.first(), 0);
        append_edge(face, on_a, 1);
        append_edge(face, *y.first(), 0);
        append_edge(face, on_b, 1);
        return;
    }
    SES_face& half_a = new_ses_face(context.ses, kToricFace);
    half_a.rs_edge = &edge;
    append_edge(half_a, *x.first(), 0);
    append_edge(half_a, on_a, 1);
    append_edge(half_a, *y.last(), 0);
    SES_face& half_b = new_ses_face(context.ses, kToricFace);
    half_b.rs_edge = &edge;
    append_edge(half_b, *x.last(), 0);
    append_edge(half_b, *y.first(), 0);
    append_edge(half_b, on_b, 1);
}

}  // namespace velmesh
