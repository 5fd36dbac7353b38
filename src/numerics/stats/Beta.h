#pragma once
// The regularised incomplete beta function and its inverse in single precision.

namespace calvex {

// I_x(a, b). Codes: 65 when x is not in [0, 1], 66 when a <= 0 or b <= 0.
float beta_ratio(float x, float a, float b, unsigned& code);

// The x in [0, 1] with I_x(a, b) = p, by bisection to 1e-6 of x.
// Codes: 65 when a <= 0 or b <= 0, 67 when p is not in [0, 1].
float beta_quantile(float p, float a, float b, unsigned& code);

}  // namespace calvex
