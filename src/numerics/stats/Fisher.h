#pragma once
// The F distribution in single precision.

namespace calvex {

// P(F <= x) for n1 and n2 degrees of freedom. Codes: 65 when n1 < 1, n2 < 1
// or n1 + n2 > 20000; 66 when x < 0.
float fisher_cdf(float x, int n1, int n2, unsigned& code);

// The x with P(F <= x) = p, from the beta quantile. Codes: 65 when p is not
// in (0, 1), 66 when n1 <= 0 or n2 <= 0, 67 when the beta quantile failed.
float fisher_quantile(float p, float n1, float n2, unsigned& code);

}  // namespace calvex
