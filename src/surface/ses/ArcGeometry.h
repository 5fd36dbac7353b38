#pragma once
// Measures of an SES arc on its circle: how far it turns, its latitude on its
// sphere, its direction at a point, and the turn between two arcs at their
// common vertex.
#include <cstdint>

#include "surface/ses/SESRecords.h"

namespace velmesh {

// The angle from the start vertex to the end vertex about -n, in [0, 2 pi),
// both taken as directions from the circle's centre; 0 for a full circle.
double arc_sweep(const SES_edge& edge);

// The latitude theta of a circle (centre c, plane normal n pointing into the
// face) on the sphere (centre s, radius r): sin theta = -n . (c - s) / r.
double arc_latitude(const Vec3& n, const Vec3& c, const Vec3& s, double r);

// The unit direction in which a face that traverses the arc with the
// orientation moves at the point x of the arc; zero when the arc's circle
// has no extent there.
Vec3 arc_tangent(const SES_edge& edge, std::uint8_t orientation, const Vec3& x);

// The turn in (-pi, pi] from the incoming direction to the outgoing one at a
// corner of a face whose outward normal there is `outward`: positive for a
// left turn seen from outside, the exterior angle of a convex corner.
double turning_angle(const Vec3& incoming, const Vec3& outgoing, const Vec3& outward);

}  // namespace velmesh
