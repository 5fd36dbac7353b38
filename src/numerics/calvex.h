#pragma once
// calvex: a numerics library with a singular value decomposition and the
// pseudo-inverse of dense matrices.
//
// The exports have C linkage, so their symbol names are plain; svd and pinv
// take Matrix objects (matrix/Matrix.h) by reference and report errors by
// standard exceptions. The library keeps process-wide state and is not
// thread-safe.
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

}  // extern "C"
