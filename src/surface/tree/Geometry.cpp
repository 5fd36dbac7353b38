#include "surface/tree/Geometry.h"

#include <algorithm>
#include <functional>
#include <numbers>

#include "surface/Console.h"

namespace velmesh {

bool unit_difference(const Vec3& a, const Vec3& b, Vec3& unit, double& length) {
    unit = b - a;
    length = norm(unit);
    if (length <= kTiny) {
        length = 0;
        return false;
    }
    unit = unit / length;
    return true;
}

bool unit_difference(const Vec3f& a, const Vec3f& b, Vec3f& unit, float& length) {
    unit = b - a;
    length = std::sqrt(unit.x * unit.x + unit.y * unit.y + unit.z * unit.z);
    if (length <= kTiny) {
        length = 0;
        return false;
    }
    unit = {unit.x / length, unit.y / length, unit.z / length};
    return true;
}

void normalise(Vec3& a) {
    const double length = norm(a);
    if (length > kTiny) a = a / length;
}

Vec3 rotate(const Vec3& v, const Vec3& k, double angle) {
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    return c * v + s * cross(k, v) + (1 - c) * dot(k, v) * k;
}

Vec3 perpendicular(const Vec3& a) {
    int smallest = 0;
    if (std::fabs(a.y) < std::fabs(a.x)) smallest = 1;
    if (std::fabs(a.z) < std::fabs(a[smallest])) smallest = 2;
    Vec3 e;
    e[smallest] = 1;
    Vec3 result = cross(a, e);
    normalise(result);
    return result;
}

int torus_of_two_spheres(const Vec3& c1, double r1, const Vec3& c2, double r2, double p, Torus& torus) {
    const Vec3 along = c2 - c1;
    const double d2 = dot(along, along);
    const double d = std::sqrt(d2);
    const double e1 = r1 + p;
    const double e2 = r2 + p;
    if (e1 + e2 < d) return -1;
    if (d < std::fabs(r1 - r2)) return -2;
    if (d2 == 0) return -3;
    const double fraction = (d2 + e1 * e1 - e2 * e2) / (2 * d2);
    const double offset = fraction * d;
    torus.centre = c1 + fraction * along;
    // Spheres that just touch leave a radicand a rounding below zero.
    torus.radius = std::sqrt(std::max(0.0, e1 * e1 - offset * offset));
    torus.axis = along / d;
    torus.distance = d;
    return 0;
}

int probe_positions(const Torus& torus, const Vec3& c, double r, double p, ProbePositions& positions) {
    const Vec3& u = torus.axis;
    const double h = dot(torus.centre - c, u);
    const double rho2 = (r + p) * (r + p) - h * h;
    if (rho2 < kTiny) return -1;
    const double rho = std::sqrt(rho2);
    const Vec3 v = (c + h * u) - torus.centre;
    const double length2 = dot(v, v);
    const double length = std::sqrt(length2);
    if (length < kTiny) return -2;
    const double big = torus.radius;
    if (length2 > (rho + big) * (rho + big)) return -3;
    if (length2 < (big - rho) * (big - rho)) return -4;
    const double factor = (length2 + big * big - rho2) / (2 * length2);
    const Vec3 middle = torus.centre + factor * v;
    const double along = length * factor;
    const double s = std::sqrt(std::max(0.0, big * big - along * along));
    const Vec3 w = cross(v / length, u);
    positions.first = middle + s * w;
    positions.second = middle - s * w;
    positions.half_chord = s;
    return 0;
}

int circle_of_two_equal_spheres(const Vec3& a, const Vec3& b, double x, Vec3& midpoint, double& half_chord) {
    const double d2 = squared_distance(a, b);
    if (d2 > 4 * x * x) return -1;
    midpoint = 0.5 * (a + b);
    const double radicand = x * x - d2 / 4;
    if (radicand < kTiny) {
        half_chord = 0;
        return 0;
    }
    half_chord = std::sqrt(radicand);
    return 1;
}

namespace {

constexpr double kCircleTolerance = 0.0001;
constexpr double kOnCircleTolerance = 0.001;

bool on_both_circles(const Vec3& point, const Vec3& a, double ra, const Vec3& b, double rb) {
    return std::fabs(squared_distance(point, a) - ra * ra) < kOnCircleTolerance &&
           std::fabs(squared_distance(point, b) - rb * rb) < kOnCircleTolerance;
}

// Keeps the candidates that lie on both circles, in order, from points[0].
int keep_common(const Vec3* candidates, int count, const Vec3& a, double ra, const Vec3& b, double rb,
                std::array<Vec3, 2>& points) {
    int kept = 0;
    for (int i = 0; i < count; ++i)
        if (on_both_circles(candidates[i], a, ra, b, rb)) points[kept++] = candidates[i];
    return kept;
}

}  // namespace

int intersect_circles(const Vec3& a, double ra, const Vec3& m, const Vec3& b, double rb, const Vec3& n,
                      std::array<Vec3, 2>& points) {
    const Vec3 ab = b - a;
    const double d = norm(ab);
    if (d < kCircleTolerance) return std::fabs(ra - rb) < kCircleTolerance ? 3 : 0;

    const Vec3 mn = cross(m, n);
    const double sine = norm(mn);
    if (sine < kCircleTolerance) {
        // Parallel planes: the circles can meet only in one plane, at distance
        // l from a along the line of centres and h across it.
        const Vec3 in_plane = ab - (dot(ab, m) / dot(m, m)) * m;
        const double d_in = norm(in_plane);
        if (d_in < kCircleTolerance) return 0;
        const double l = (ra * ra + d_in * d_in - rb * rb) / (2 * d_in);
        if (ra * ra - l * l <= 0) return 0;
        const double h = std::sqrt(ra * ra - l * l);
        const Vec3 u = in_plane / d_in;
        Vec3 across = cross(m, u);
        normalise(across);
        const Vec3 candidates[2] = {a + l * u - h * across, a + l * u + h * across};
        return keep_common(candidates, 2, a, ra, b, rb, points);
    }

    // The planes meet in a line of direction e; p0 is the foot of the
    // perpendicular from a onto that line (in plane 1, and on plane 2).
    const Vec3 e = mn / sine;
    Vec3 q = cross(m, e);
    normalise(q);
    const Vec3 p0 = a + (dot(ab, n) / dot(q, n)) * q;
    const double c2 = ra * ra - squared_distance(p0, a);
    if (c2 <= -kCircleTolerance) return 0;
    const double c = std::sqrt(std::max(0.0, c2));
    if (c <= kCircleTolerance) return keep_common(&p0, 1, a, ra, b, rb, points);
    const Vec3 candidates[2] = {p0 - c * e, p0 + c * e};
    return keep_common(candidates, 2, a, ra, b, rb, points);
}

double oriented_angle(const Vec3& a, const Vec3& b, const Vec3& n) {
    const Vec3 c = cross(a, b);
    const double cosine = dot(a, b);
    if (norm(c) < 0.00001) return cosine > 0 ? 0.0 : std::numbers::pi;
    const double angle = angle_of_cosine(cosine);
    return dot(c, n) > 0 ? angle : 2 * std::numbers::pi - angle;
}

namespace {

// A fixed unit vector perpendicular to the unit axis.
Vec3 fixed_perpendicular(const Vec3& axis) {
    Vec3 w = (std::fabs(axis.x) > 0.3 || std::fabs(axis.y) > 0.3) ? Vec3{axis.y, -axis.x, 0}
                                                                 : Vec3{0, axis.z, -axis.y};
    normalise(w);
    return w;
}

}  // namespace

bool probe_circle_clash(const Vec3& centre, double radius, const Vec3& axis, double p, const Vec3& sphere_centre,
                        double c) {
    const Vec3 to_sphere = sphere_centre - centre;
    Vec3 w = to_sphere - dot(to_sphere, axis) * axis;
    const double off_axis = norm(w);
    w = off_axis < 0.1 ? fixed_perpendicular(axis) : w / off_axis;
    const Vec3 nearest = centre + radius * w;
    return squared_distance(nearest, sphere_centre) < (p + c) * (p + c);
}

Vec3 tri_norm(const Vec3& a, const Vec3& b, const Vec3& c) {
    const Vec3 n = cross(b - a, c - b);
    const double length = norm(n);
    if (length == 0) {
        print_err("tri_norm: face with normal vector of lenght 0\n");
        return {1, 0, 0};
    }
    return n / length;
}

double triangle_area(const Vec3& a, const Vec3& b, const Vec3& c) {
    std::array<double, 3> s = {norm(b - a), norm(c - b), norm(a - c)};
    std::sort(s.begin(), s.end(), std::greater<>());
    const double product =
        (s[0] + (s[1] + s[2])) * (s[2] - (s[0] - s[1])) * (s[2] + (s[0] - s[1])) * (s[0] + (s[1] - s[2]));
    return product > 0 ? 0.25 * std::sqrt(product) : 0.0;
}

}  // namespace velmesh
