#pragma once
// calvex: a numerics library with a singular value decomposition and the
// pseudo-inverse of dense matrices, the normal, chi-square and F
// distributions with their inverses, and random numbers.
//
// The exports have C linkage, so their symbol names are plain; svd and pinv
// take Matrix objects (matrix/Matrix.h) by reference and report errors by
// standard exceptions. The distribution functions compute in single
// precision; on a bad argument they print a message on standard output and
// return 3.4e38 (the float 3.4e38f). Up to 100 degrees of freedom their
// distribution functions are within about 1e-6 of the exact values (normal:
// 1e-7); with hundreds or thousands of degrees of freedom single precision
// allows less, down to about 3e-4. The library keeps process-wide state and
// is not thread-safe.
#include <valarray>

#include "matrix/Matrix.h"

#define CALVEX_API __attribute__((visibility("default")))

extern "C" {

// Singular value decomposition A = U diag(S) V^T of an m x n matrix A.
// S must hold at least min(m, n) values; its first min(m, n) become the
// singular values in descending order (any further values are left alone).
// U must be m x m and V n x n; the columns beyond min(m, n) of the larger one
// are zero. A must be non-empty and finite. Nothing is changed on error.
CALVEX_API void svd(const Matrix& A, std::valarray<double>& S, Matrix& U, Matrix& V);

// The Moore-Penrose pseudo-inverse X (n x m) of an m x n matrix A; singular
// values up to max(m, n) x max(S) x 1e-14 count as zero. Nothing is changed
// on error.
CALVEX_API void pinv(const Matrix& A, Matrix& X);

// P(F <= x) for the F distribution with n1 and n2 degrees of freedom,
// n1, n2 >= 1, n1 + n2 <= 20000, x >= 0.
CALVEX_API double fisher(double x, int n1, int n2);
// The x with fisher(x, n1, n2) = p, 0 < p < 1, n1, n2 >= 1.
CALVEX_API double inv_fisher(double p, int n1, int n2);

// Phi(x), the standard normal distribution function.
CALVEX_API double normal(double x);
// Phi^-1(p), 0 < p < 1.
CALVEX_API double inv_normal(double p);

// P(chi^2 <= x) with n >= 1 degrees of freedom, x >= 0.
CALVEX_API double chi2(double x, int n);
// The x with P(chi^2 <= x) = p, 0 < p < 1, n >= 1; from 40 degrees of
// freedom on by the Wilson-Hilferty approximation.
CALVEX_API double inv_chi2(double p, int n);

// Seeds rnd and the C library's rand() from the calendar time in seconds.
CALVEX_API void init_rnd();
// The next value in (0, 1) of the Park-Miller generator (seed 654321 until
// init_rnd is called).
CALVEX_API double rnd();
// Approximately standard normal: the sum of ten rnd() values, centred and
// scaled; within +-5.48.
CALVEX_API double randn();
// A value in (0, 1) from the C library's rand().
CALVEX_API double rnd_fast();
// Approximately standard normal from ten rnd_fast() values.
CALVEX_API double randn_fast();

}  // extern "C"
