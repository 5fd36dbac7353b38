#include "surface/reduced/FaceCreation.h"

#include <algorithm>
#include <cmath>

#include "surface/reduced/RSTopology.h"
#include "surface/tree/Geometry.h"

namespace velmesh {

namespace {

constexpr double kAngleSlack = 0.00001;

double angle_between(const Vec3& a, const Vec3& b) {
    return angle_of_cosine(dot(a, b));
}

// Seen from `at`, whether the direction to the point lies within the angle
// between the directions to `to1` and `to2`.
bool within_angle(const Vec3& at, const Vec3& to1, const Vec3& to2, const Vec3& point) {
    Vec3 u1, u2, up;
    double length = 0;
    unit_difference(at, to1, u1, length);
    unit_difference(at, to2, u2, length);
    if (!unit_difference(at, point, up, length)) return true;
    return angle_between(u1, u2) + kAngleSlack >= angle_between(u1, up) + angle_between(u2, up);
}

RS_face& new_rs_face(RSContext& context, RS_component& component, const FaceCandidate& candidate) {
    const int id = component.faces.count();
    RS_face& face = component.faces.emplace_back();
    face.i = candidate.i;
    face.j = candidate.j;
    face.k = candidate.k;
    face.id = id;
    face.component_number = component.number;
    face.probe = candidate.probe;
    face.normal = tri_norm(context.centre(face.i), context.centre(face.j), context.centre(face.k));
    face.singular = is_singular_face(context, face.i, face.j, face.k, face.probe, candidate.half_chord) ? 1 : 0;
    component.singular_face_count += face.singular;
    return face;
}

void attach(RS_face& face, int slot, RS_edge& edge, std::uint8_t orientation) {
    face.edges[slot] = &edge;
    face.edge_orientations[slot] = orientation;
    if (edge.face1 == nullptr)
        edge.face1 = &face;
    else
        edge.face2 = &face;
}

}  // namespace

bool is_singular_face(const RSContext& context, int a, int b, int c, const Vec3& probe, double half_chord) {
    if (!(context.p > half_chord)) return false;
    const Vec3& ca = context.centre(a);
    const Vec3& cb = context.centre(b);
    const Vec3& cc = context.centre(c);
    Vec3 normal = cross(cb - ca, cc - cb);
    normalise(normal);
    const Vec3 foot = probe - dot(probe - ca, normal) * normal;
    return within_angle(ca, cb, cc, foot) && within_angle(cb, cc, ca, foot);
}

RS_face& create_first_face(RSContext& context, RS_component& component, const FaceCandidate& candidate) {
    RS_face& face = new_rs_face(context, component, candidate);
    const int spheres[3] = {face.i, face.j, face.k};
    for (int slot = 0; slot < 3; ++slot)
        attach(face, slot, new_rs_edge(context.run, component, spheres[slot], spheres[(slot + 1) % 3], false), 1);
    return face;
}

RS_face& create_rolled_face(RSContext& context, RS_component& component, RS_face& from, int slot,
                            const FaceCandidate& candidate) {
    RS_edge& shared = *from.edges[slot];
    const std::uint8_t reversed = from.edge_orientations[slot] != 0 ? 0 : 1;
    RS_face& face = new_rs_face(context, component, candidate);
    attach(face, 0, shared, reversed);
    attach(face, 1, new_rs_edge(context.run, component, face.j, face.k, false), 1);
    attach(face, 2, new_rs_edge(context.run, component, face.k, face.i, false), 1);
    return face;
}

}  // namespace velmesh
