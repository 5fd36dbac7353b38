#pragma once
// Helpers with the meaning of the Fortran intrinsics the numerical routines
// were written with.
#include <cmath>

namespace calvex {

// Truncation toward zero.
inline float fortran_trunc(float a) { return std::trunc(a); }

// |a| with the sign of b; b >= 0 gives +.
inline float fortran_sign(float a, float b) { return b >= 0.0f ? std::fabs(a) : -std::fabs(a); }

// a - b trunc(a / b), in double.
inline double fortran_mod(double a, double b) { return a - b * std::trunc(a / b); }

}  // namespace calvex
