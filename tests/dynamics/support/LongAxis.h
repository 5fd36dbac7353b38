#pragma once
// The long axis of a set of atoms computed directly: the eigenvector of the
// largest eigenvalue of their mass-weighted second-moment matrix, by power
// iteration, as a reference for the engine's grid search of directions.
#include <array>
#include <cmath>
#include <vector>

#include "dynamics/species/ATOM.h"

namespace dynamics_testing {

inline std::array<double, 3> long_axis(const std::vector<ATOM>& atoms) {
    double c[3][3] = {};
    for (const ATOM& a : atoms) {
        const double r[3] = {a.x, a.y, a.z};
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) c[i][j] += a.mass * r[i] * r[j];
    }
    std::array<double, 3> v = {0.577, 0.578, 0.579};
    for (int step = 0; step < 2000; ++step) {
        std::array<double, 3> w{};
        for (int i = 0; i < 3; ++i) w[i] = c[i][0] * v[0] + c[i][1] * v[1] + c[i][2] * v[2];
        const double norm = std::sqrt(w[0] * w[0] + w[1] * w[1] + w[2] * w[2]);
        for (int i = 0; i < 3; ++i) v[i] = w[i] / norm;
    }
    return v;
}

// The angle in degrees between two axes (directions without sign).
inline double axis_angle(const std::array<double, 3>& a, const std::array<double, 3>& b) {
    const double cosine =
        std::fabs(a[0] * b[0] + a[1] * b[1] + a[2] * b[2]) /
        std::sqrt((a[0] * a[0] + a[1] * a[1] + a[2] * a[2]) * (b[0] * b[0] + b[1] * b[1] + b[2] * b[2]));
    return std::acos(std::fmin(1.0, cosine)) * 180.0 / 3.141592653589793;
}

}  // namespace dynamics_testing
