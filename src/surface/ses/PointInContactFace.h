#pragma once
// Whether a point of a sphere lies in a region of that sphere bounded by
// cycles of arcs, such as a contact face.
#include <cstdint>
#include <span>

#include "surface/RunState.h"

namespace velmesh {

// One arc of a region's boundary, with the orientation in which the region
// traverses it (counter-clockwise seen from outside the sphere).
struct BoundaryArc {
    const SES_edge* edge;
    std::uint8_t orientation;
};

// 1 when the point (on the sphere) lies inside the region, -1 outside, 0
// when it lies within `tolerance` (0.001 at least; radians on the sphere,
// measured along a great circle through it) of the boundary or no decision
// is possible.
//
// The test follows a great circle from a point in the middle of one boundary
// arc to the point: which side of the region it starts on is known from that
// arc's direction, and every crossing with the boundary on the way flips it.
// A great circle that touches an arc, passes through a vertex or crosses the
// whole boundary an odd number of times is given up for one through another
// arc. A boundary shorter than 0.001 radians in all, which no great circle
// crosses reliably, is decided by its turning instead: a small region on its
// left or a small hole in the rest of the sphere.
int point_in_spherical_region(const Vec3& point, const Vec3& centre, double radius,
                              std::span<const BoundaryArc> boundary, double tolerance);

// The same for a contact face of the run.
int is_point_in_contact_face(const RunState& run, const Vec3& point, const SES_face& face, double tolerance);

}  // namespace velmesh
