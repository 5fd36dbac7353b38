#pragma once
// The standard normal distribution in single precision.

namespace calvex {

// The complementary error function by a rational approximation
// (absolute error about 1e-7); 0 for |x| >= 6.5.
float erfc_approx(float x);

// Phi(x).
float normal_cdf(float x);

// Phi^-1(p) by bisection on [-9.23, 9.23]; code 65 when p is not in (0, 1).
float normal_quantile(float p, unsigned& code);

}  // namespace calvex
