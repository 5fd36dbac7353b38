#pragma once
// The small vector and sphere-geometry routines that every surface stage
// uses: probe placement on two and three spheres, torus circles, circle
// intersections, oriented angles and triangle measures.
#include <algorithm>
#include <array>
#include <cmath>

#include "surface/Vec3.h"

namespace velmesh {

// Lengths at or below this count as zero.
inline constexpr double kTiny = 1.1920929e-7;

inline double dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
inline double norm(const Vec3& a) { return std::sqrt(dot(a, a)); }
inline double squared_distance(const Vec3& a, const Vec3& b) {
    const Vec3 d = b - a;
    return dot(d, d);
}
inline Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline Vec3f cross(const Vec3f& a, const Vec3f& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
// b - a.
inline Vec3 difference(const Vec3& a, const Vec3& b) { return b - a; }

// (b - a) / |b - a| and |b - a|. When the length is not above kTiny the
// length is 0, the vector is b - a unnormalised and the result is false.
bool unit_difference(const Vec3& a, const Vec3& b, Vec3& unit, double& length);
bool unit_difference(const Vec3f& a, const Vec3f& b, Vec3f& unit, float& length);

// The angle in [0, pi] of the cosine, clamped into [-1, 1] first: a cosine
// of unit vectors that rounding carries just past 1 or -1 gives 0 or pi, not
// NaN.
inline double angle_of_cosine(double cosine) { return std::acos(std::clamp(cosine, -1.0, 1.0)); }

// a / |a| in place; a tiny vector is left unchanged.
void normalise(Vec3& a);
// a / |a|; a tiny vector as it is.
inline Vec3 normalised(Vec3 a) {
    normalise(a);
    return a;
}

// v turned by the angle about the unit axis k (right-handed).
Vec3 rotate(const Vec3& v, const Vec3& k, double angle);

// A unit vector perpendicular to a: a x e, e the unit axis of a's smallest
// component in magnitude (x unless y is strictly smaller; z when strictly
// smallest of all).
Vec3 perpendicular(const Vec3& a);

// The circle that a probe of radius p traces while it touches two spheres.
struct Torus {
    Vec3 centre;
    double radius = 0;
    Vec3 axis;            // unit vector from the first sphere to the second
    double distance = 0;  // between the two centres
};

// 0 and the torus; -1 when the enlarged spheres do not reach each other,
// -2 when one sphere lies inside the other, -3 when the centres coincide.
// Enlarged spheres that just touch give a torus of radius 0.
int torus_of_two_spheres(const Vec3& c1, double r1, const Vec3& c2, double r2, double p, Torus& torus);

// The two places where a probe touching both spheres of a torus also touches
// a third sphere (c, r): first = m + s (v/L x u), second = m - s (v/L x u).
struct ProbePositions {
    Vec3 first;
    Vec3 second;
    double half_chord = 0;  // s
};

// 0 and the positions; -1 when the probe sphere around c does not reach the
// torus plane, -2 when c projects onto the torus centre, -3 when the circles
// lie apart, -4 when one circle lies inside the other.
int probe_positions(const Torus& torus, const Vec3& c, double r, double p, ProbePositions& positions);

// The circle where two spheres of the same radius x meet: its centre (the
// midpoint) and its radius (the half chord). -1 when they do not meet, 0 when
// they only touch (the half chord is 0), 1 for a proper circle.
int circle_of_two_equal_spheres(const Vec3& a, const Vec3& b, double x, Vec3& midpoint, double& half_chord);

// Common points of circle 1 (centre a, radius ra, plane normal m) and
// circle 2 (centre b, radius rb, plane normal n): 0, 1 or 2 points, written
// from points[0]; 3 when the circles have the same centre and radius.
int intersect_circles(const Vec3& a, double ra, const Vec3& m, const Vec3& b, double rb, const Vec3& n,
                      std::array<Vec3, 2>& points);

// The angle in [0, 2 pi) that turns unit vector a into unit vector b about
// the axis n. Parallel vectors give 0, opposite ones pi.
double oriented_angle(const Vec3& a, const Vec3& b, const Vec3& n);

// Whether a probe of radius p, rolling on the circle (centre, radius, unit
// axis), comes within p + c of the sphere (sphere_centre, c) at the circle
// point nearest to that sphere.
bool probe_circle_clash(const Vec3& centre, double radius, const Vec3& axis, double p, const Vec3& sphere_centre,
                        double c);

// The unit normal (b - a) x (c - b) of the triangle (a, b, c). A degenerate
// triangle reports on standard error and gets the normal (1, 0, 0).
Vec3 tri_norm(const Vec3& a, const Vec3& b, const Vec3& c);

// The triangle's area from its three side lengths (Heron's formula in its
// numerically stable order); 0 for a degenerate triangle.
double triangle_area(const Vec3& a, const Vec3& b, const Vec3& c);

// a - (b + d - c) / 2: with a the shell count and b, c, d the vertex, edge
// and face counts, the genus of a closed surface.
inline float genus(double a, double b, double c, double d) { return static_cast<float>(a - (b + d - c) / 2); }

}  // namespace velmesh
