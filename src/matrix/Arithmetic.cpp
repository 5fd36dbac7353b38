// Element-wise, scalar and matrix-product arithmetic of Matrix.
#include <cstddef>
#include <stdexcept>

#include "matrix/Matrix.h"
#include "matrix/MatrixErrors.h"

namespace {

void require_equal_sizes(const Matrix& A, const Matrix& B) {
    if (A.n_cols() != B.n_cols() || A.n_rows() != B.n_rows()) {
        throw std::invalid_argument(matrix_errors::kElementSizesDisagree);
    }
}

std::size_t element_count(const Matrix& A) { return A.n_rows() * A.n_cols(); }

// R(i, j) = op(A(i, j), B(i, j)).
template <class Op>
Matrix combine(const Matrix& A, const Matrix& B, Op op) {
    require_equal_sizes(A, B);
    Matrix result(A);
    double* r = result.data();
    const double* b = B.data();
    const std::size_t n = element_count(A);
    for (std::size_t k = 0; k < n; ++k) r[k] = op(r[k], b[k]);
    return result;
}

// R(i, j) = op(A(i, j)).
template <class Op>
Matrix apply(const Matrix& A, Op op) {
    Matrix result(A);
    double* r = result.data();
    const std::size_t n = element_count(A);
    for (std::size_t k = 0; k < n; ++k) r[k] = op(r[k]);
    return result;
}

}  // namespace

Matrix operator+(const Matrix& A, const Matrix& B) {
    return combine(A, B, [](double a, double b) { return a + b; });
}

Matrix operator-(const Matrix& A, const Matrix& B) {
    return combine(A, B, [](double a, double b) { return a - b; });
}

Matrix elem_mul(const Matrix& A, const Matrix& B) {
    return combine(A, B, [](double a, double b) { return a * b; });
}

Matrix elem_div(const Matrix& A, const Matrix& B) {
    return combine(A, B, [](double a, double b) { return a / b; });
}

Matrix elem_or(const Matrix& A, const Matrix& B) {
    return combine(A, B, [](double a, double b) { return a == 0.0 && b == 0.0 ? 0.0 : 1.0; });
}

double dot(const Matrix& A, const Matrix& B) {
    require_equal_sizes(A, B);
    const double* a = A.data();
    const double* b = B.data();
    const std::size_t n = element_count(A);
    double sum = 0.0;
    for (std::size_t k = 0; k < n; ++k) sum += a[k] * b[k];
    return sum;
}

// Each R(i, j) starts at 0 and adds A(i, k) x B(k, j) for k ascending. The
// loops run i, k, j so that the rows of B and R are walked contiguously; the
// order of the additions into each R(i, j) is the same as in the i, j, k form.
Matrix operator*(const Matrix& A, const Matrix& B) {
    if (A.n_cols() != B.n_rows()) throw std::invalid_argument(matrix_errors::kInnerSizesDisagree);
    if (element_count(A) == 0) return Matrix();
    const std::size_t rows = A.n_rows();
    const std::size_t inner = A.n_cols();
    const std::size_t cols = B.n_cols();
    Matrix result(rows, cols);
    const double* a = A.data();
    const double* b = B.data();
    double* r = result.data();
    for (std::size_t i = 0; i < rows; ++i) {
        double* r_row = r + i * cols;
        for (std::size_t k = 0; k < inner; ++k) {
            const double a_ik = a[i * inner + k];
            const double* b_row = b + k * cols;
            for (std::size_t j = 0; j < cols; ++j) r_row[j] += a_ik * b_row[j];
        }
    }
    return result;
}

Matrix operator+(const Matrix& A, double s) {
    return apply(A, [s](double a) { return a + s; });
}

Matrix operator+(double s, const Matrix& A) {
    return apply(A, [s](double a) { return s + a; });
}

Matrix operator-(const Matrix& A, double s) {
    return apply(A, [s](double a) { return a - s; });
}

Matrix operator-(double s, const Matrix& A) {
    return apply(A, [s](double a) { return s - a; });
}

Matrix operator*(const Matrix& A, double s) {
    return apply(A, [s](double a) { return a * s; });
}

Matrix operator*(double s, const Matrix& A) {
    return apply(A, [s](double a) { return s * a; });
}
