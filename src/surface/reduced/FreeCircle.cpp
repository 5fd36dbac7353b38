#include "surface/reduced/FreeCircle.h"

#include <algorithm>
#include <cmath>

namespace velmesh {

namespace {

// A monotone stand-in for the angle of the plane vector (x, y), in [0, 4):
// cheaper than atan2, and intervals sorted by it are sorted by angle.
double pseudo_angle(double x, double y) {
    const double t = y / (std::fabs(x) + std::fabs(y));
    return x >= 0 ? (y >= 0 ? t : 4 + t) : 2 - t;
}

constexpr double kFullTurn = 4;

}  // namespace

bool circle_has_free_point(RSContext& context, int a, int b, const Torus& torus, std::span<const int> near) {
    const Vec3 e1 = perpendicular(torus.axis);
    const Vec3 e2 = cross(torus.axis, e1);
    const double big = torus.radius;
    auto& covered = context.covered;
    covered.clear();
    for (const int c : near) {
        if (c == a || c == b) continue;
        const Vec3 v = context.centre(c) - torus.centre;
        const double reach = context.radius(c) + context.p - kFreeProbeSlack;
        if (big <= kTiny) {
            if (dot(v, v) < reach * reach) return false;
            continue;
        }
        // The point at angle t lies inside where x cos t + y sin t > k, an
        // interval of half-width acos(k / m) about the direction (x, y).
        const double x = dot(v, e1), y = dot(v, e2);
        const double m = std::sqrt(x * x + y * y);
        const double k = (dot(v, v) + big * big - reach * reach) / (2 * big);
        if (m <= kTiny) {
            if (k < 0) return false;
            continue;
        }
        if (k >= m) continue;
        if (k <= -m) return false;
        const double cos_half = k / m;
        const double sin_half = std::sqrt(1 - cos_half * cos_half);
        const double ux = x / m, uy = y / m;
        const double from = pseudo_angle(ux * cos_half + uy * sin_half, uy * cos_half - ux * sin_half);
        const double to = pseudo_angle(ux * cos_half - uy * sin_half, uy * cos_half + ux * sin_half);
        if (from <= to) {
            covered.emplace_back(from, to);
        } else {
            covered.emplace_back(from, kFullTurn);
            covered.emplace_back(0, to);
        }
    }
    if (covered.empty()) return true;
    std::sort(covered.begin(), covered.end());
    double at = 0;
    for (const auto& [from, to] : covered) {
        if (from > at) return true;
        at = std::max(at, to);
    }
    return at < kFullTurn;
}

}  // namespace velmesh
