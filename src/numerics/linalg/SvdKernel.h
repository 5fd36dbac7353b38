#pragma once
// The Golub-Reinsch singular value decomposition of a column-major matrix:
// Householder reduction to upper bidiagonal form, accumulation of both
// transformations and diagonalisation by implicit-shift QR steps.
#include <cstddef>
#include <span>

namespace calvex {

// A column-major array with leading dimension `ld`: element (i, j) at i + j * ld.
struct ColumnMajor {
    double* data;
    std::size_t ld;
    double& operator()(std::size_t i, std::size_t j) const { return data[i + j * ld]; }
    double* column(std::size_t j) const { return data + j * ld; }
};

// At most this many QR steps are taken for each singular value.
inline constexpr int kSvdMaxSteps = 30;

// The limit the kernel applies; only tests change it, to reach the failure
// path.
inline int svd_step_limit = kSvdMaxSteps;

// Decomposes the m x n matrix (m >= n >= 1) that `u` holds on entry as
// U diag(w) V^T: on return the first n columns of `u` hold the left singular
// vectors, `w` (n values) the singular values, unsorted and non-negative, and
// `v` (n x n) the right singular vectors. `e` (n values) and `row_sums`
// (m values) are scratch. All values must be finite.
//
// Returns 0, or the 1-based index k of the singular value that did not
// converge within svd_step_limit steps; values k + 1 .. n are correct then.
std::size_t svd_kernel(std::size_t m, std::size_t n, ColumnMajor u, std::span<double> w, ColumnMajor v,
                       std::span<double> e, std::span<double> row_sums);

}  // namespace calvex
