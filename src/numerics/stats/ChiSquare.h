#pragma once
// The chi-square distribution in single precision.

namespace calvex {

// The upper tail Q(x; n) for integer n. Codes: 65 when x < 0, 66 when n < 1.
float chi2_cdf(float x, int n, unsigned& code);

// The lower tail P(x; n) for real n. Codes: 65 when n < 0.5, 66 when x < 0.
float chi2_cdf_real(float x, float n, unsigned& code);

// The x with P(x; n) = p: Wilson-Hilferty from 40 degrees of freedom on,
// below that unit steps and bisection. Codes: 65 when p is not in (0, 1),
// 66 when n < 0.5.
float chi2_quantile(float p, float n, unsigned& code);

}  // namespace calvex
