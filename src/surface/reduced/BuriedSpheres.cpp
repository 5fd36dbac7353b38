#include "surface/reduced/BuriedSpheres.h"

#include <algorithm>
#include <cmath>

#include "surface/reduced/ConvexCell.h"
#include "surface/reduced/RSContext.h"

namespace velmesh {

namespace {

// The cube around the probe sphere: its faces lie beyond the sphere, so a
// cell reaching them reaches outside it.
constexpr double kCubeMargin = 1.01;
// Corners this close to the probe sphere (relative) do not count as inside.
constexpr double kInside = 1e-9;

}  // namespace

bool BuriedSpheres::cut_cell(int a, bool stop_inside) {
    const Vec3& ca = context_.centre(a);
    const double big = context_.radius(a) + context_.p;
    planes_.clear();
    for (const int b : context_.near(a)) {
        if (b == a) continue;
        const Vec3 w = context_.centre(b) - ca;
        const double d = std::sqrt(w.x * w.x + w.y * w.y + w.z * w.z);
        if (d <= 0) return false;
        const double reach = context_.radius(b) + context_.p - kFreeProbeSlack;
        // pow_a(y) <= pow_b(y): y . w / d <= (d^2 + R_a^2 - R_b^2) / 2d.
        planes_.push_back({w / d, (d * d + big * big - reach * reach) / (2 * d)});
    }
    // The nearest planes first: they cut the cell down soonest.
    std::sort(planes_.begin(), planes_.end(), [](const Plane& p, const Plane& q) { return p.offset < q.offset; });
    cell_.reset_cube(kCubeMargin * big);
    const double inside = big * big * (1 - kInside);
    for (const Plane& plane : planes_) {
        if (!cell_.cut(plane.normal, plane.offset)) return false;
        if (stop_inside && cell_.farthest_squared() < inside) return true;
    }
    return true;
}

bool BuriedSpheres::buried(int a) {
    const double big = context_.radius(a) + context_.p;
    return cut_cell(a, true) && cell_.farthest_squared() < big * big * (1 - kInside);
}

bool BuriedSpheres::free_corners(int a, std::vector<Vec3>& corners) {
    corners.clear();
    if (!cut_cell(a, false)) return false;
    const Vec3& ca = context_.centre(a);
    const double big = context_.radius(a) + context_.p;
    cell_.for_each_edge([&](const Vec3& p, const Vec3& q) {
        // |p + t (q - p)| = big for t in [0, 1].
        const Vec3 e = q - p;
        const double qa = e.x * e.x + e.y * e.y + e.z * e.z;
        const double qb = 2 * (p.x * e.x + p.y * e.y + p.z * e.z);
        const double qc = p.x * p.x + p.y * p.y + p.z * p.z - big * big;
        const double discriminant = qb * qb - 4 * qa * qc;
        if (qa <= 0 || discriminant < 0) return;
        const double root = std::sqrt(discriminant);
        for (const double t : {(-qb - root) / (2 * qa), (-qb + root) / (2 * qa)})
            if (t >= 0 && t <= 1) corners.push_back(ca + p + t * e);
    });
    return true;
}

}  // namespace velmesh
