#pragma once
// Where a reentrant face lies on its probe sphere: whether a point of the
// sphere is inside the face, and how much of the sphere lies to the left of
// one of its boundary cycles.
#include "surface/ses/SESRecords.h"

namespace velmesh {

// How many times the face's boundary edges [begin, end) wind about the
// direction from the probe centre to x (sampled along each arc): about +1 or
// -1 for a point inside a face that keeps within a hemisphere, 0 outside.
double boundary_winding(const SES_face& face, int begin, int end, const Vec3& probe, const Vec3& x);

// Whether x lies within the spherical triangle of the face's three corners
// seen from the probe centre, where every reentrant face lies.
bool inside_corner_triangle(const SES_face& face, const Vec3& probe, const Vec3& x);

// Whether x (on the probe sphere) lies inside the face.
bool inside_reentrant_face(const SES_face& face, const Vec3& probe, const Vec3& x);

// The area of the probe sphere to the left of the closed cycle [begin, end)
// of the face, seen from inside the probe (Gauss-Bonnet over its arcs and
// corners). An outer cycle of a face within a hemisphere leaves less than
// half the sphere to its left, a hole's cycle more.
double area_left_of_cycle(const SES_face& face, int begin, int end, const Vec3& probe, double p);

}  // namespace velmesh
