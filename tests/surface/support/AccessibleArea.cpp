#include "surface/support/AccessibleArea.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace surface_testing {

namespace {

constexpr double kPi = 3.141592653589793;

struct Direction {
    double x, y, z;
};

// Points on the unit sphere along a golden-angle spiral, each standing for
// an equal share of the area.
std::vector<Direction> spiral(int count) {
    std::vector<Direction> points;
    points.reserve(static_cast<std::size_t>(count));
    const double turn = kPi * (3 - std::sqrt(5.0));
    for (int k = 0; k < count; ++k) {
        const double z = 1 - (2 * k + 1.0) / count;
        const double ring = std::sqrt(1 - z * z);
        points.push_back({ring * std::cos(turn * k), ring * std::sin(turn * k), z});
    }
    return points;
}

}  // namespace

AccessibleArea accessible_area(const std::vector<TestSphere>& spheres, double probe_radius, int points_per_sphere) {
    double reach = 0;
    for (const TestSphere& s : spheres) reach = std::max(reach, s.r + probe_radius);
    const double cell = 2 * reach;
    using Key = std::tuple<long, long, long>;
    const auto key = [&](double x, double y, double z) {
        return Key{static_cast<long>(std::floor(x / cell)), static_cast<long>(std::floor(y / cell)),
                   static_cast<long>(std::floor(z / cell))};
    };
    std::map<Key, std::vector<int>> grid;
    for (int s = 0; s < static_cast<int>(spheres.size()); ++s) grid[key(spheres[s].x, spheres[s].y, spheres[s].z)].push_back(s);

    const std::vector<Direction> directions = spiral(points_per_sphere);
    AccessibleArea result;
    result.per_sphere.assign(spheres.size(), 0.0);
    std::vector<int> near;
    for (int s = 0; s < static_cast<int>(spheres.size()); ++s) {
        const TestSphere& a = spheres[s];
        if (a.flags == 0) continue;
        const double grown = a.r + probe_radius;
        near.clear();
        const auto [cx, cy, cz] = key(a.x, a.y, a.z);
        for (long dx = -1; dx <= 1; ++dx)
            for (long dy = -1; dy <= 1; ++dy)
                for (long dz = -1; dz <= 1; ++dz) {
                    const auto found = grid.find({cx + dx, cy + dy, cz + dz});
                    if (found == grid.end()) continue;
                    for (const int t : found->second) {
                        if (t == s) continue;
                        const TestSphere& b = spheres[t];
                        const double d2 = (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z);
                        const double both = grown + b.r + probe_radius;
                        if (d2 < both * both) near.push_back(t);
                    }
                }
        int open = 0;
        for (const Direction& d : directions) {
            const double x = a.x + grown * d.x, y = a.y + grown * d.y, z = a.z + grown * d.z;
            const bool covered = std::any_of(near.begin(), near.end(), [&](int t) {
                const TestSphere& b = spheres[t];
                const double q = b.r + probe_radius;
                return (x - b.x) * (x - b.x) + (y - b.y) * (y - b.y) + (z - b.z) * (z - b.z) < q * q;
            });
            if (!covered) ++open;
        }
        result.per_sphere[s] = 4 * kPi * grown * grown * open / points_per_sphere;
        result.total += result.per_sphere[s];
    }
    return result;
}

}  // namespace surface_testing
