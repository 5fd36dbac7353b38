#pragma once
// Matrices and checks shared by the tests of svd and pinv.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "matrix/Matrix.h"

namespace svd_testing {

inline Matrix random_matrix(std::size_t rows, std::size_t cols, std::mt19937_64& random) {
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    Matrix A(rows, cols);
    for (std::size_t i = 0; i < rows; ++i) {
        for (std::size_t j = 0; j < cols; ++j) A(i, j) = value(random);
    }
    return A;
}

// A product of an m x r and an r x n matrix: rank r.
inline Matrix low_rank(std::size_t rows, std::size_t cols, std::size_t rank, std::mt19937_64& random) {
    return random_matrix(rows, rank, random) * random_matrix(rank, cols, random);
}

inline double max_abs(const Matrix& A) {
    double largest = 0.0;
    for (std::size_t k = 0; k < A.n_rows() * A.n_cols(); ++k) largest = std::max(largest, std::fabs(A.data()[k]));
    return largest;
}

// max |A - B| over all elements.
inline double max_difference(const Matrix& A, const Matrix& B) { return max_abs(A - B); }

// The first `columns` columns of A.
inline Matrix leading_columns(const Matrix& A, std::size_t columns) {
    Matrix R(A.n_rows(), columns);
    for (std::size_t i = 0; i < A.n_rows(); ++i) {
        for (std::size_t j = 0; j < columns; ++j) R(i, j) = A(i, j);
    }
    return R;
}

// Largest deviation of Q^T Q from the identity.
inline double orthonormality_error(const Matrix& Q) {
    return max_difference(Q.transpose() * Q, identity(Q.n_cols()));
}

}  // namespace svd_testing
