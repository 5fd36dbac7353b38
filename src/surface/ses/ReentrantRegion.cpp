#include "surface/ses/ReentrantRegion.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "surface/ses/ArcGeometry.h"
#include "surface/ses/FaceCycles.h"
#include "surface/tree/Geometry.h"

namespace velmesh {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
// Sampling step along an arc, in radians of its circle.
constexpr double kSampleStep = 0.02;

double sweep_of(const SES_edge& edge) {
    return edge.full_circle() ? kTwoPi : arc_sweep(edge);
}

// Calls visit(point) at points along the edge in the face's direction of
// traversal, from its start up to (not including) its end.
template <class Visit>
void sample_edge(const SES_face& face, int index, Visit&& visit) {
    const SES_edge& edge = *face.edges[index];
    const Vec3 centre = to_double(edge.circle_centre);
    const Vec3 e1 = normalised(to_double(edge.start->position) - centre);
    const Vec3 e2 = cross(-edge.normal(), e1);
    const double sweep = sweep_of(edge);
    const int steps = std::max(4, static_cast<int>(std::ceil(sweep / kSampleStep)));
    const bool forward = face.orientations[index] != 0;
    for (int s = 0; s < steps; ++s) {
        const double t = (forward ? s : steps - s) * sweep / steps;
        visit(centre + edge.radius * (std::cos(t) * e1 + std::sin(t) * e2));
    }
}

}  // namespace

double boundary_winding(const SES_face& face, int begin, int end, const Vec3& probe, const Vec3& x) {
    const Vec3 axis = normalised(x - probe);
    const Vec3 e1 = perpendicular(axis);
    const Vec3 e2 = cross(axis, e1);
    double total = 0;
    for (int k = begin; k < end; ++k) {
        bool first = true;
        double previous = 0;
        sample_edge(face, k, [&](const Vec3& point) {
            const Vec3 d = point - probe;
            const double angle = std::atan2(dot(d, e2), dot(d, e1));
            if (!first) total += std::remainder(angle - previous, kTwoPi);
            first = false;
            previous = angle;
        });
        // Close the edge at its end vertex (the next edge's first sample).
        const Vec3 d = to_double(traversal_end(face, k)->position) - probe;
        total += std::remainder(std::atan2(dot(d, e2), dot(d, e1)) - previous, kTwoPi);
    }
    return total / kTwoPi;
}

bool inside_corner_triangle(const SES_face& face, const Vec3& probe, const Vec3& x) {
    std::array<Vec3, 3> u;
    for (int k = 0; k < 3; ++k) {
        if (face.corners[k] == nullptr) return true;
        u[k] = to_double(face.corners[k]->position) - probe;
    }
    const Vec3 d = x - probe;
    const double whole = dot(u[0], cross(u[1], u[2]));
    if (std::fabs(whole) <= kTiny) return true;
    // d = a u0 + b u1 + c u2 with a, b, c >= 0 (Cramer's rule).
    return dot(d, cross(u[1], u[2])) / whole >= 0 && dot(u[0], cross(d, u[2])) / whole >= 0 &&
           dot(u[0], cross(u[1], d)) / whole >= 0;
}

bool inside_reentrant_face(const SES_face& face, const Vec3& probe, const Vec3& x) {
    // Within the triangle the winding cannot count the antipode instead.
    if (!inside_corner_triangle(face, probe, x)) return false;
    return std::fabs(boundary_winding(face, 0, static_cast<int>(face.edges.size()), probe, x)) > 0.5;
}

double area_left_of_cycle(const SES_face& face, int begin, int end, const Vec3& probe, double p) {
    double turning = 0, curvature = 0;
    for (int k = begin; k < end; ++k) {
        const int next = k + 1 < end ? k + 1 : begin;
        const SES_vertex& vertex = *traversal_end(face, k);
        const Vec3 at = to_double(vertex.position);
        const Vec3 outward = normalised(probe - at);
        turning += turning_angle(arc_tangent(*face.edges[k], face.orientations[k], at),
                                 arc_tangent(*face.edges[next], face.orientations[next], at), outward);
        const SES_edge& edge = *face.edges[k];
        if (edge.type != kReentrantArc) curvature += std::sin(edge.angle) * sweep_of(edge);
    }
    return p * p * (kTwoPi - turning + curvature);
}

}  // namespace velmesh
