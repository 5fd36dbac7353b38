// svd through libcalvex.so, against LAPACK's dgesvd.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <valarray>
#include <vector>

#include "numerics/LapackReference.h"
#include "numerics/SvdChecks.h"
#include "numerics/calvex.h"

using namespace svd_testing;

namespace {

struct Decomposition {
    std::valarray<double> S;
    Matrix U, V;
};

Decomposition decompose(const Matrix& A) {
    const std::size_t m = A.n_rows();
    const std::size_t n = A.n_cols();
    Decomposition d{std::valarray<double>(std::min(m, n)), Matrix(m, m), Matrix(n, n)};
    svd(A, d.S, d.U, d.V);
    return d;
}

// Largest |element| in the columns from `first` on.
double trailing_columns_max(const Matrix& Q, std::size_t first) {
    double largest = 0.0;
    for (std::size_t i = 0; i < Q.n_rows(); ++i) {
        for (std::size_t j = first; j < Q.n_cols(); ++j) largest = std::max(largest, std::fabs(Q(i, j)));
    }
    return largest;
}

// Singular values equal LAPACK's to 1e-13 of the largest, descending; the
// leading vectors are orthonormal, the others zero; U S V^T gives A back.
void expect_sound(const Matrix& A, const Decomposition& d) {
    const std::size_t m = A.n_rows();
    const std::size_t n = A.n_cols();
    const std::size_t N = std::min(m, n);
    const std::vector<double> reference = lapack_reference::singular_values(A);
    const double scale = std::max(reference[0], std::numeric_limits<double>::min());
    for (std::size_t k = 0; k < N; ++k) {
        EXPECT_NEAR(d.S[k], reference[k], 1e-13 * scale) << "value " << k;
        if (k > 0) {
            EXPECT_LE(d.S[k], d.S[k - 1]);
        }
        EXPECT_GE(d.S[k], 0.0);
    }
    const Matrix UN = leading_columns(d.U, N);
    const Matrix VN = leading_columns(d.V, N);
    EXPECT_LT(orthonormality_error(UN), 1e-13);
    EXPECT_LT(orthonormality_error(VN), 1e-13);
    EXPECT_EQ(trailing_columns_max(d.U, N), 0.0);
    EXPECT_EQ(trailing_columns_max(d.V, N), 0.0);

    Matrix SVt(N, n);
    for (std::size_t k = 0; k < N; ++k) {
        for (std::size_t j = 0; j < n; ++j) SVt(k, j) = d.S[k] * VN(j, k);
    }
    EXPECT_LT(max_difference(UN * SVt, A), 1e-13 * scale);
}

Matrix make(std::size_t rows, std::size_t cols, std::vector<double> values) { return Matrix(rows, cols, values.data()); }

}  // namespace

TEST(SvdAgainstLapack, RandomShapesUpTo12x12) {
    std::mt19937_64 random(20240611);
    for (std::size_t m = 1; m <= 12; ++m) {
        for (std::size_t n = 1; n <= 12; ++n) {
            SCOPED_TRACE(std::to_string(m) + " x " + std::to_string(n));
            const Matrix A = random_matrix(m, n, random);
            expect_sound(A, decompose(A));
        }
    }
}

TEST(SvdAgainstLapack, RankDeficientProducts) {
    std::mt19937_64 random(777);
    for (std::size_t m = 2; m <= 12; ++m) {
        for (std::size_t n = 2; n <= 12; ++n) {
            for (std::size_t rank = 1; rank < std::min(m, n); rank += 2) {
                SCOPED_TRACE(std::to_string(m) + " x " + std::to_string(n) + " rank " + std::to_string(rank));
                const Matrix A = low_rank(m, n, rank, random);
                const Decomposition d = decompose(A);
                expect_sound(A, d);
                EXPECT_LT(d.S[rank], 1e-13 * d.S[0]);
            }
        }
    }
}

TEST(SvdAgainstLapack, StructuredMatrices) {
    struct Case {
        const char* name;
        Matrix A;
    };
    Matrix repeated = identity(5) * 3.0;
    Matrix zero_column = make(3, 3, {1, 0, 2, 3, 0, 4, 5, 0, 6});
    const Case cases[] = {
        {"identity", identity(7)},
        {"repeated values", repeated},
        {"unsorted diagonal with signs", make(3, 3, {-2, 0, 0, 0, 5, 0, 0, 0, -7})},
        {"zero column", zero_column},
        {"one row", make(1, 4, {3, -4, 0, 12})},
        {"one column", make(4, 1, {3, -4, 0, 12})},
        {"one element", make(1, 1, {-2.5})},
        {"tiny values", make(2, 2, {1e-300, 2e-300, 3e-300, -4e-300})},
        {"subnormal values", make(2, 2, {1e-310, 2e-310, 3e-310, -4e-310})},
        {"large values", make(2, 2, {1e300, 2e300, 3e300, -4e300})},
        {"large and small values", make(2, 3, {1e300, 2e200, 3e-300, -4e250, 5, 1e280})},
        {"graded", make(3, 3, {1, 1e-4, 1e-8, 1e-4, 1e-8, 1e-12, 1e-8, 1e-12, 1e-16})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        expect_sound(c.A, decompose(c.A));
    }
}

TEST(Svd, TallMatrixHasAZeroThirdColumnInU) {
    const Matrix A = make(3, 2, {1, 2, 3, 4, 5, 6});
    const Decomposition d = decompose(A);
    EXPECT_EQ(d.S.size(), 2u);
    EXPECT_EQ(d.U.n_rows(), 3u);
    EXPECT_EQ(d.V.n_rows(), 2u);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(d.U(i, 2), 0.0);
}

TEST(Svd, WideMatrixHasAZeroThirdColumnInV) {
    const Matrix A = make(2, 3, {1, 2, 3, 4, 5, 6});
    const Decomposition d = decompose(A);
    EXPECT_EQ(d.U.n_rows(), 2u);
    EXPECT_EQ(d.V.n_rows(), 3u);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(d.V(i, 2), 0.0);
    // The same values as the tall transpose.
    const Decomposition t = decompose(A.transpose());
    EXPECT_EQ(d.S[0], t.S[0]);
    EXPECT_EQ(d.S[1], t.S[1]);
}

// Values beyond the first min(m, n) take no part: they and the vectors keep
// their places.
TEST(Svd, LongerSKeepsItsExtraValues) {
    const Matrix A = make(3, 2, {1, 2, 3, 4, 5, 6});
    const Decomposition plain = decompose(A);
    std::valarray<double> S = {-1.0, -1.0, 100.0, 7.0, 1e9};
    Matrix U(3, 3), V(2, 2);
    svd(A, S, U, V);
    EXPECT_EQ(S[0], plain.S[0]);
    EXPECT_EQ(S[1], plain.S[1]);
    EXPECT_EQ(S[2], 100.0);
    EXPECT_EQ(S[3], 7.0);
    EXPECT_EQ(S[4], 1e9);
    EXPECT_EQ(max_difference(U, plain.U), 0.0);
    EXPECT_EQ(max_difference(V, plain.V), 0.0);
}

// The largest singular value of a 3 x 3 matrix of DBL_MAX / 2 is 1.5 DBL_MAX.
TEST(Svd, ValuesBeyondTheRangeOfDoubleAreRefused) {
    const Matrix A = Matrix(3, 3) + std::numeric_limits<double>::max() / 2;
    std::valarray<double> S(3);
    Matrix U(3, 3), V(3, 3);
    try {
        svd(A, S, U, V);
        ADD_FAILURE() << "no exception";
    } catch (const std::overflow_error& e) {
        EXPECT_STREQ(e.what(), "Error : singular values exceed the range of double");
    }
    EXPECT_EQ(S[0], 0.0);
}

TEST(Svd, ZeroMatrixHasZeroValues) {
    const Matrix A(3, 4);
    const Decomposition d = decompose(A);
    for (double s : d.S) EXPECT_EQ(s, 0.0);
    EXPECT_LT(orthonormality_error(d.U), 1e-15);
}

// A refused call throws the given error and leaves S, U and V as they were.
TEST(Svd, RefusedCallsTouchNothing) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* name;
        Matrix A;
        std::size_t s_size, u_rows, u_cols, v_rows, v_cols;
        const std::type_info& type;
        std::string text;
    };
    const std::string kSizes = "Matrix dimensions must agree";
    const Case cases[] = {
        {"empty A", Matrix(), 1, 1, 1, 1, 1, typeid(std::out_of_range), "ERROR : number of rows must be positive integer\n"},
        {"S too short", Matrix(3, 2), 1, 3, 3, 2, 2, typeid(std::runtime_error),
         "Error : size of S must be at least min(M,N) (M, N - numbers of rows and columns in A)"},
        {"U with too few rows", Matrix(3, 2), 2, 2, 3, 2, 2, typeid(std::runtime_error),
         "Error : size of U must be M*M (M - number of rows in A)"},
        {"V with too few rows", Matrix(3, 2), 2, 3, 3, 1, 2, typeid(std::runtime_error),
         "Error : size of V must be N*N (N - number of columns in A)"},
        {"U with too many rows", Matrix(3, 2), 2, 4, 3, 2, 2, typeid(std::runtime_error), kSizes},
        {"U not square", Matrix(3, 2), 2, 3, 2, 2, 2, typeid(std::runtime_error), kSizes},
        {"V not square", Matrix(2, 3), 2, 2, 2, 3, 2, typeid(std::runtime_error), kSizes},
        {"NaN in A", make(2, 2, {1, nan, 3, 4}), 2, 2, 2, 2, 2, typeid(std::invalid_argument),
         "Error : A must not contain NaN or infinity"},
        {"infinity in A", make(2, 3, {1, 2, 3, 4, 5, -inf}), 2, 2, 2, 3, 3, typeid(std::invalid_argument),
         "Error : A must not contain NaN or infinity"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::valarray<double> S(42.0, c.s_size);
        Matrix U = Matrix(c.u_rows, c.u_cols) + 42.0;
        Matrix V = Matrix(c.v_rows, c.v_cols) + 42.0;
        try {
            svd(c.A, S, U, V);
            ADD_FAILURE() << "no exception";
        } catch (const std::exception& e) {
            EXPECT_EQ(typeid(e), c.type);
            EXPECT_EQ(e.what(), c.text);
        }
        for (double s : S) EXPECT_EQ(s, 42.0);
        EXPECT_EQ(max_difference(U, Matrix(c.u_rows, c.u_cols) + 42.0), 0.0);
        EXPECT_EQ(max_difference(V, Matrix(c.v_rows, c.v_cols) + 42.0), 0.0);
    }
}
