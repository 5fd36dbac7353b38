#pragma once
// How finely the triangulation samples the surface: the run's density, or its
// high density for faces and arcs that touch a sphere whose sixth column is 1.
#include <initializer_list>

#include "surface/RunState.h"

namespace velmesh {

struct Spacing {
    double sqrt_density = 1;
    int circle_points = 6;  // points on a circle of unit radius
    bool high = false;
};

inline Spacing spacing_of(const RunState& run, bool high) {
    if (high) return {run.sqrt_hdensity, run.hcircle_points, true};
    return {run.sqrt_density, run.circle_points, false};
}

// Whether any of the spheres (indices, -1 for none) asks for the high density.
inline bool wants_high_density(const RunState& run, std::initializer_list<int> spheres) {
    for (const int s : spheres)
        if (s >= 0 && s < run.atom_count() && run.atoms[s].sixth_column == 1) return true;
    return false;
}

// Steps of `step` that cover `length`: truncated, one more when the fraction
// exceeds 0.8, at least 1.
inline int step_count(double length, double step) {
    const double ratio = length / step;
    int count = static_cast<int>(ratio);
    if (ratio - count > 0.8) ++count;
    return count < 1 ? 1 : count;
}

}  // namespace velmesh
