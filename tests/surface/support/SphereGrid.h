#pragma once
// Spheres binned in a uniform grid of cubic cells, for the checks that ask,
// of many points, how far each lies outside the nearest sphere surface.
#include <array>
#include <cmath>
#include <limits>
#include <unordered_map>
#include <vector>

namespace surface_testing {

class SphereGrid {
public:
    struct Ball {
        std::array<double, 3> centre{};
        double radius = 0;
    };

    // `reach`: how far beyond a sphere's surface a query must still see it.
    SphereGrid(std::vector<Ball> balls, double reach) : balls_(std::move(balls)) {
        double largest = 0;
        for (const Ball& b : balls_) largest = std::max(largest, b.radius);
        cell_ = std::max(1.0, largest + reach);
        for (int k = 0; k < static_cast<int>(balls_.size()); ++k) cells_[key(cell_of(balls_[k].centre))].push_back(k);
    }

    // The least of |x - c| - r over the spheres within reach of x (so
    // negative inside one), and the sphere it belongs to; infinity and -1
    // when none is within reach.
    std::pair<double, int> nearest_gap(const std::array<double, 3>& x) const {
        std::pair<double, int> best{std::numeric_limits<double>::infinity(), -1};
        const std::array<long long, 3> c = cell_of(x);
        for (long long i = -1; i <= 1; ++i)
            for (long long j = -1; j <= 1; ++j)
                for (long long k = -1; k <= 1; ++k) {
                    const auto found = cells_.find(key({c[0] + i, c[1] + j, c[2] + k}));
                    if (found == cells_.end()) continue;
                    for (const int s : found->second) {
                        const Ball& b = balls_[s];
                        const double dx = x[0] - b.centre[0], dy = x[1] - b.centre[1], dz = x[2] - b.centre[2];
                        const double gap = std::sqrt(dx * dx + dy * dy + dz * dz) - b.radius;
                        if (gap < best.first) best = {gap, s};
                    }
                }
        return best;
    }

private:
    std::array<long long, 3> cell_of(const std::array<double, 3>& x) const {
        return {static_cast<long long>(std::floor(x[0] / cell_)), static_cast<long long>(std::floor(x[1] / cell_)),
                static_cast<long long>(std::floor(x[2] / cell_))};
    }
    static long long key(const std::array<long long, 3>& c) {
        return ((c[0] & 0x1fffff) << 42) | ((c[1] & 0x1fffff) << 21) | (c[2] & 0x1fffff);
    }

    std::vector<Ball> balls_;
    double cell_ = 1;
    std::unordered_map<long long, std::vector<int>> cells_;
};

}  // namespace surface_testing
