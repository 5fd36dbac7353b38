// The singular value decomposition of a Matrix: size checks, the kernel on a
// column-major copy (of the transpose when A is wide), sorting and the
// assignment of the results.
#include "numerics/linalg/Decompose.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

#include "matrix/MatrixErrors.h"
#include "numerics/Messages.h"
#include "numerics/linalg/SvdKernel.h"

namespace calvex {
namespace {

constexpr const char* kSmallS = "Error : size of S must be at least min(M,N) (M, N - numbers of rows and columns in A)";
constexpr const char* kSmallU = "Error : size of U must be M*M (M - number of rows in A)";
constexpr const char* kSmallV = "Error : size of V must be N*N (N - number of columns in A)";
constexpr const char* kNotFinite = "Error : A must not contain NaN or infinity";
constexpr const char* kNotConverged = "Error: Not all singular values calculated";
constexpr const char* kOverflow = "Error : singular values exceed the range of double";

// The kernel's shift squares matrix elements, which overflows or underflows
// for elements beyond about 2^+-511. A matrix whose largest |element| lies
// outside 2^+-400 is therefore decomposed scaled by a power of two, which is
// exact and leaves the vectors unchanged; the values are scaled back.
int scale_exponent(const double* a, std::size_t count) {
    double largest = 0.0;
    for (std::size_t k = 0; k < count; ++k) largest = std::max(largest, std::fabs(a[k]));
    if (largest == 0.0) return 0;
    const int exponent = std::ilogb(largest);
    return exponent > 400 || exponent < -400 ? -exponent : 0;
}

void check_arguments(const Matrix& A, const std::valarray<double>& S, const Matrix& U, const Matrix& V) {
    const std::size_t m = A.n_rows();
    const std::size_t n = A.n_cols();
    if (m == 0 || n == 0) throw std::out_of_range(matrix_errors::kRowsNotPositive);
    if (S.size() < std::min(m, n)) throw std::runtime_error(kSmallS);
    if (U.n_rows() < m) throw std::runtime_error(kSmallU);
    if (V.n_rows() < n) throw std::runtime_error(kSmallV);
    if (U.n_rows() != m || U.n_cols() != m || V.n_rows() != n || V.n_cols() != n) {
        throw std::runtime_error(matrix_errors::kSizesDisagree);
    }
    const double* a = A.data();
    if (!std::all_of(a, a + m * n, [](double value) { return std::isfinite(value); })) {
        throw std::invalid_argument(kNotFinite);
    }
}

void report_no_convergence(std::size_t k) {
    const std::string text = "the decomposition was stopped because computing the singular value with index IERR = " +
                             std::to_string(k) + " needs more than " + std::to_string(svd_step_limit) +
                             " iterations; the singular values with indices IERR+1, IERR+2, ... are computed correctly";
    print_failure(RoutineKind::subroutine, "svd_kernel", 1, text, false);
}

// The kernel's working arrays for an M x N problem, M >= N.
struct Workspace {
    Workspace(std::size_t M, std::size_t N) : M(M), N(N), u(M * N), v(N * N), w(N), e(N), row_sums(M) {}

    ColumnMajor left() { return {u.data(), M}; }
    ColumnMajor right() { return {v.data(), N}; }

    // Orders the values descending, their vectors following them.
    void sort() {
        for (std::size_t i = 0; i < N; ++i) {
            for (std::size_t j = 0; j < i; ++j) {
                if (w[i] > w[j]) {
                    std::swap(w[i], w[j]);
                    std::swap_ranges(left().column(i), left().column(i) + M, left().column(j));
                    std::swap_ranges(right().column(i), right().column(i) + N, right().column(j));
                }
            }
        }
    }

    std::size_t M, N;
    std::vector<double> u, v, w, e, row_sums;
};

// Target (size x size, row order) = the first `columns` columns of `source`
// (column-major, leading dimension `size`), zeros after them.
void copy_vectors(ColumnMajor source, std::size_t size, std::size_t columns, Matrix& target) {
    double* t = target.data();
    for (std::size_t i = 0; i < size; ++i) {
        for (std::size_t j = 0; j < size; ++j) t[i * size + j] = j < columns ? source(i, j) : 0.0;
    }
}

}  // namespace

void decompose(const Matrix& A, std::valarray<double>& S, Matrix& U, Matrix& V) {
    check_arguments(A, S, U, V);
    const std::size_t m = A.n_rows();
    const std::size_t n = A.n_cols();
    // A wide matrix is decomposed through its transpose, whose column-major
    // form is A's own row order.
    const bool transposed = m < n;
    const std::size_t M = std::max(m, n);
    const std::size_t N = std::min(m, n);

    Workspace work(M, N);
    const double* a = A.data();
    if (transposed) {
        std::copy(a, a + m * n, work.u.begin());
    } else {
        for (std::size_t i = 0; i < m; ++i) {
            for (std::size_t j = 0; j < n; ++j) work.left()(i, j) = a[i * n + j];
        }
    }
    const int exponent = scale_exponent(a, m * n);
    if (exponent != 0) {
        for (double& value : work.u) value = std::ldexp(value, exponent);
    }

    const std::size_t failed = svd_kernel(M, N, work.left(), work.w, work.right(), work.e, work.row_sums);
    if (failed != 0) {
        report_no_convergence(failed);
        throw std::runtime_error(kNotConverged);
    }
    if (!std::all_of(work.w.begin(), work.w.end(), [](double value) { return std::isfinite(value); })) {
        throw std::runtime_error(kNotConverged);
    }
    if (exponent != 0) {
        for (double& value : work.w) value = std::ldexp(value, -exponent);
        if (!std::all_of(work.w.begin(), work.w.end(), [](double value) { return std::isfinite(value); })) {
            throw std::overflow_error(kOverflow);
        }
    }
    work.sort();

    std::copy(work.w.begin(), work.w.end(), std::begin(S));
    Matrix& left_target = transposed ? V : U;
    Matrix& right_target = transposed ? U : V;
    copy_vectors(work.left(), M, N, left_target);
    copy_vectors(work.right(), N, N, right_target);
}

}  // namespace calvex
