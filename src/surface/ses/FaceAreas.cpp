#include "surface/ses/FaceAreas.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "surface/ses/ArcGeometry.h"
#include "surface/ses/FaceCycles.h"
#include "surface/tree/Geometry.h"

namespace velmesh {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2 * std::numbers::pi;

double sign_of(std::uint8_t orientation) {
    return orientation != 0 ? 1.0 : -1.0;
}

// The exterior angle of the reentrant face at the vertex where edge `in`
// ends and edge `out` begins.
double corner_angle(const SES_face& face, int in, int out) {
    const SES_edge& a = *face.edges[in];
    const SES_edge& b = *face.edges[out];
    const SES_vertex& vertex = *traversal_end(face, in);
    if (vertex.geometric_angle == 0) {
        const double cosine = dot(sign_of(face.orientations[in]) * a.normal(), sign_of(face.orientations[out]) * b.normal());
        return angle_of_cosine(cosine);
    }
    const Vec3 at = to_double(vertex.position);
    Vec3 outward = face.rs_face->probe - at;  // the solvent lies inside the probe
    normalise(outward);
    return turning_angle(arc_tangent(a, face.orientations[in], at), arc_tangent(b, face.orientations[out], at),
                         outward);
}

// The area of a torus band swept through the angle phi by the arc of the
// probe circle from the direction of the axis (0) to the angle theta on
// either side: phi (p R theta - p^2 sin theta).
double band(double phi, double p, double torus_radius, double theta) {
    return phi * (p * torus_radius * theta - p * p * std::sin(theta));
}

// A band from the contact at theta to where the probe circle meets the axis.
double singular_band(double phi, double p, double torus_radius, double theta) {
    const double c = angle_of_cosine(torus_radius / p);
    return band(phi, p, torus_radius, theta) - band(phi, p, torus_radius, c);
}

}  // namespace

double reentrant_face_area(const SES_face& face, double p) {
    const int count = static_cast<int>(face.edges.size());
    double angles = 0, curvature = 0;
    int cycles = 0;
    for (int begin = 0; begin < count; ++cycles) {
        const int end = cycle_end(face, begin);
        for (int k = begin; k < end; ++k) {
            const int next = k + 1 < end ? k + 1 : begin;
            const double angle = corner_angle(face, k, next);
            traversal_end(face, k)->corner_angle = static_cast<float>(angle);
            angles += angle;
            const SES_edge& edge = *face.edges[k];
            if (edge.type != kReentrantArc) curvature += std::sin(edge.angle) * arc_sweep(edge);
        }
        begin = end;
    }
    return p * p * ((2 - cycles) * kTwoPi - angles + curvature);
}

double contact_face_area(const SES_face& face, double r) {
    double angles = 0, curvature = 0, caps = 0;
    int full_circles = 0;
    for (const SES_edge* edge : face.edges) {
        if (edge->full_circle()) {
            caps += edge->cap_area;
            ++full_circles;
            continue;
        }
        angles += kPi - edge->start->corner_angle;
        curvature += std::sin(edge->angle) * edge->torus_angle;
    }
    return r * r * (curvature + (full_circles - face.cycle_count + 2) * kTwoPi - angles) - caps;
}

double toric_face_area(const SES_face& face, double p) {
    const RS_edge& edge = *face.rs_edge;
    const double phi = edge.angle;
    const double torus_radius = edge.torus_radius;
    const auto& arcs = face.edges;
    const bool regular = face.type == kToricFace ? arcs.size() == 4 : arcs.size() == 3;
    if (regular) {
        const int first = face.type == kToricFace ? 1 : 0;
        const int second = face.type == kToricFace ? 3 : 2;
        return band(phi, p, torus_radius, arcs[first]->angle) + band(phi, p, torus_radius, arcs[second]->angle);
    }
    const int last = std::min<int>(3, static_cast<int>(arcs.size()));
    for (int k = 0; k < last; ++k)
        if ((arcs[k]->type & kContactArc) != 0) return singular_band(phi, p, torus_radius, arcs[k]->angle);
    return 0;
}

}  // namespace velmesh
