#pragma once
// Friction coefficients of a species from its equivalent prolate ellipsoid
// (Perrin's formulas), the ones the motion step divides forces and torques by.

namespace friction {

struct Coefficients {
    double trans_a = 0;   // translation along the long axis (body z)
    double trans_b = 0;   // translation across it (body x and y)
    double rot_a = 0;     // rotation about the long axis
    double rot_b = 0;     // rotation about an axis across it
    bool sphere = false;  // the axial ratio lies within 1 % of 1: Stokes' sphere
};

// The coefficients of the prolate ellipsoid of semi-axes a (long) and b in a
// solvent of viscosity `viscosity` (Pa s), with p = a/b and R = cbrt(a b²)
// the radius of the sphere of equal volume. Within 1 % of p = 1 the
// ellipsoid counts as a sphere of radius R: 6πηR for translation and 8πηR³
// for rotation, the limit of Perrin's formulas. An oblate ellipsoid (p below
// 0.99) or a degenerate one gives coefficients that are not finite.
Coefficients ellipsoid(double a, double b, double viscosity);

// Whether all four coefficients are finite and positive.
bool usable(const Coefficients& c);

}  // namespace friction
