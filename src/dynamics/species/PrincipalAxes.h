#pragma once
// The principal axes of a species and its equivalent prolate ellipsoid,
// found by searching a grid of directions for the one of least moment of
// inertia: the long axis.
//
// A direction is given by two angles φ and θ, each taking the values 0, π/200,
// 2π/200, ... (repeated additions, while below π: 201 values). For each pair
// u1 = (cos φ cos θ, −sin φ cos θ, −sin θ), u2 = (sin φ, cos φ, 0) and
// n = u1 × u2 = (cos φ sin θ, −sin φ sin θ, cos θ) form a right-handed frame,
// and the moment of inertia about n is Σ mass · ((r·u1)² + (r·u2)²).
#include <vector>

#include "dynamics/species/ATOM.h"

namespace principal_axes {

// The angle values of the search, in order.
const std::vector<double>& search_angles();

// The moment of inertia about n(φ, θ), summed atom by atom in order (r in
// metres, masses in atomic mass units).
double moment(const std::vector<ATOM>& atoms, double phi, double theta);

struct AxisSearch {
    // A positive least moment was found; otherwise nothing below is set.
    bool found = false;
    double phi = 0, theta = 0;      // the direction of least moment, the first met on a tie
    double least = 0;               // its moment (0 when none was positive)
    double most = 0;                // the largest moment of the grid
    double rot[3][3] = {};          // columns u1, u2, n at (φ, θ): body z is the long axis
    double Ix = 0, Iy = 0, Iz = 0;  // the moments about u1, u2 and n
    double ell_a = 0, ell_b = 0;    // semi-axes of the uniform prolate ellipsoid with these moments
};

// The search over every direction of the grid. The least moment is kept the
// way the engine always kept it: a direction replaces it when its moment is
// smaller or the kept one is exactly 0. The moments are first estimated from
// the atoms' second-moment matrix; only directions that could be the least
// or the largest within the estimate's rounding are summed atom by atom, so
// the direction, moments and semi-axes are those of the full search.
AxisSearch search_axes(const std::vector<ATOM>& atoms, double mass);

// The same, summing every direction atom by atom.
AxisSearch search_axes_plainly(const std::vector<ATOM>& atoms, double mass);

// The moments about the body axes: Σ m (y² + z²), Σ m (z² + x²), Σ m (x² + y²).
struct BodyMoments {
    double Ix, Iy, Iz;
};
BodyMoments body_moments(const std::vector<ATOM>& atoms);

}  // namespace principal_axes
