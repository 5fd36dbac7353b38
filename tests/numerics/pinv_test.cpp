// pinv through libcalvex.so: the Moore-Penrose conditions and LAPACK.
#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <vector>

#include "numerics/LapackReference.h"
#include "numerics/SvdChecks.h"
#include "numerics/calvex.h"

using namespace svd_testing;

namespace {

Matrix pseudo_inverse(const Matrix& A) {
    Matrix X(A.n_cols(), A.n_rows());
    pinv(A, X);
    return X;
}

// A X A = A, X A X = X, A X and X A symmetric, each to 1e-12 of the scale of
// the matrices involved; and X equal to LAPACK's pseudo-inverse.
void expect_moore_penrose(const Matrix& A, const Matrix& X) {
    const Matrix AX = A * X;
    const Matrix XA = X * A;
    const double a = max_abs(A);
    const double x = max_abs(X);
    EXPECT_LT(max_difference(AX * A, A), 1e-12 * a);
    EXPECT_LT(max_difference(XA * X, X), 1e-12 * x);
    EXPECT_LT(max_difference(AX, AX.transpose()), 1e-12 * std::max(1.0, max_abs(AX)));
    EXPECT_LT(max_difference(XA, XA.transpose()), 1e-12 * std::max(1.0, max_abs(XA)));
    EXPECT_LT(max_difference(X, lapack_reference::pseudo_inverse(A)), 1e-12 * x);
}

}  // namespace

TEST(PinvAgainstLapack, RandomShapesUpTo12x12) {
    std::mt19937_64 random(31337);
    for (std::size_t m = 1; m <= 12; ++m) {
        for (std::size_t n = 1; n <= 12; ++n) {
            SCOPED_TRACE(std::to_string(m) + " x " + std::to_string(n));
            const Matrix A = random_matrix(m, n, random);
            expect_moore_penrose(A, pseudo_inverse(A));
        }
    }
}

TEST(PinvAgainstLapack, RankDeficientProducts) {
    std::mt19937_64 random(4242);
    for (std::size_t m = 2; m <= 12; ++m) {
        for (std::size_t n = 2; n <= 12; ++n) {
            for (std::size_t rank = 1; rank < std::min(m, n); rank += 2) {
                SCOPED_TRACE(std::to_string(m) + " x " + std::to_string(n) + " rank " + std::to_string(rank));
                const Matrix A = low_rank(m, n, rank, random);
                expect_moore_penrose(A, pseudo_inverse(A));
            }
        }
    }
}

TEST(Pinv, InvertibleSquareMatrixGivesItsInverse) {
    std::mt19937_64 random(99);
    for (std::size_t n = 1; n <= 6; ++n) {
        SCOPED_TRACE(n);
        const Matrix A = random_matrix(n, n, random) + identity(n) * 3.0;
        const Matrix X = pseudo_inverse(A);
        EXPECT_LT(max_difference(X, inv(A)), 1e-12 * max_abs(X));
    }
}

TEST(Pinv, RefusedCallsTouchNothing) {
    struct Case {
        const char* name;
        Matrix A;
        std::size_t x_rows, x_cols;
        const std::type_info& type;
        std::string text;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double values[4] = {1, 2, nan, 4};
    const Case cases[] = {
        {"zero matrix: no value above the tolerance", Matrix(3, 2), 2, 3, typeid(std::out_of_range),
         "ERROR : number of rows must be positive integer\n"},
        {"empty matrix", Matrix(), 1, 1, typeid(std::out_of_range), "ERROR : number of rows must be positive integer\n"},
        {"X not transposed in shape", Matrix(3, 2) + 1.0, 3, 2, typeid(std::runtime_error), "Matrix dimensions must agree"},
        {"NaN", Matrix(2, 2, values), 2, 2, typeid(std::invalid_argument), "Error : A must not contain NaN or infinity"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Matrix X = Matrix(c.x_rows, c.x_cols) + 42.0;
        try {
            pinv(c.A, X);
            ADD_FAILURE() << "no exception";
        } catch (const std::exception& e) {
            EXPECT_EQ(typeid(e), c.type);
            EXPECT_EQ(e.what(), c.text);
        }
        EXPECT_EQ(max_difference(X, Matrix(c.x_rows, c.x_cols) + 42.0), 0.0);
    }
}
