// Element-wise, scalar and product arithmetic, filtering, the inverse and
// value statistics.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <stdexcept>
#include <valarray>
#include <vector>

#include "matrix/Matrix.h"

namespace {

Matrix make(std::size_t rows, std::size_t cols, std::vector<double> values) {
    return Matrix(rows, cols, values.data());
}

std::vector<double> elements(const Matrix& A) { return {A.data(), A.data() + A.n_rows() * A.n_cols()}; }

const Matrix A = make(2, 3, {1, -2, 0, 4, 0.5, 6});
const Matrix B = make(2, 3, {2, 0, 0, -1, 4, 3});

}  // namespace

TEST(MatrixArithmetic, ElementWiseAndScalarOperations) {
    struct Case {
        const char* name;
        std::function<Matrix()> op;
        std::vector<double> expected;
    };
    const Case cases[] = {
        {"A + B", [] { return A + B; }, {3, -2, 0, 3, 4.5, 9}},
        {"A - B", [] { return A - B; }, {-1, -2, 0, 5, -3.5, 3}},
        {"elem_mul", [] { return elem_mul(A, B); }, {2, -0, 0, -4, 2, 18}},
        {"elem_div", [] { return elem_div(A, make(2, 3, {2, 4, 1, -8, 0.25, 3})); }, {0.5, -0.5, 0, -0.5, 2, 2}},
        {"elem_or", [] { return elem_or(A, B); }, {1, 1, 0, 1, 1, 1}},
        {"A + s", [] { return A + 1.5; }, {2.5, -0.5, 1.5, 5.5, 2, 7.5}},
        {"s + A", [] { return 1.5 + A; }, {2.5, -0.5, 1.5, 5.5, 2, 7.5}},
        {"A - s", [] { return A - 1.0; }, {0, -3, -1, 3, -0.5, 5}},
        {"s - A", [] { return 1.0 - A; }, {0, 3, 1, -3, 0.5, -5}},
        {"A * s", [] { return A * 2.0; }, {2, -4, 0, 8, 1, 12}},
        {"s * A", [] { return -1.0 * A; }, {-1, 2, -0.0, -4, -0.5, -6}},
    };
    const std::vector<double> unchanged_a = elements(A);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Matrix R = c.op();
        EXPECT_EQ(R.n_rows(), 2u);
        EXPECT_EQ(R.n_cols(), 3u);
        EXPECT_EQ(elements(R), c.expected);
    }
    EXPECT_EQ(elements(A), unchanged_a);
}

TEST(MatrixArithmetic, DotSumsAllProducts) {
    EXPECT_EQ(dot(A, B), 2.0 - 4.0 + 2.0 + 18.0);
    EXPECT_EQ(dot(Matrix(), Matrix()), 0.0);
}

TEST(MatrixArithmetic, Product) {
    const Matrix R = A * make(3, 2, {1, 0, 2, -1, 0.5, 3});
    ASSERT_EQ(R.n_rows(), 2u);
    ASSERT_EQ(R.n_cols(), 2u);
    EXPECT_EQ(elements(R), (std::vector<double>{1 - 4 + 0, 0 + 2 + 0, 4 + 1 + 3, 0 - 0.5 + 18}));
    EXPECT_EQ(elements(make(1, 3, {1, 2, 3}) * make(3, 1, {4, 5, 6})), std::vector<double>{32});
    EXPECT_EQ((Matrix() * Matrix()).n_rows(), 0u);
}

TEST(MatrixFilter, CentredCorrelationWithZeroOutside) {
    const Matrix image = make(3, 4, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    Matrix out(3, 4);

    filter2d(image, make(1, 1, {1}), out);
    EXPECT_EQ(elements(out), elements(image));

    filter2d(image, Matrix(3, 3) + 1.0, out);
    EXPECT_EQ(out(0, 0), 1.0 + 2 + 5 + 6);
    EXPECT_EQ(out(2, 3), 7.0 + 8 + 11 + 12);
    EXPECT_EQ(out(1, 1), 1.0 + 2 + 3 + 5 + 6 + 7 + 9 + 10 + 11);

    // Not flipped: a kernel that picks the right-hand neighbour.
    filter2d(image, make(1, 3, {0, 0, 1}), out);
    EXPECT_EQ(elements(out), (std::vector<double>{2, 3, 4, 0, 6, 7, 8, 0, 10, 11, 12, 0}));

    // An even kernel size uses only the first 2h + 1 rows and columns.
    filter2d(image, make(2, 2, {2, 100, 100, 100}), out);
    EXPECT_EQ(elements(out), elements(image * 2.0));

    filter2d(image, Matrix(), out);
    EXPECT_EQ(elements(out), std::vector<double>(12, 0.0));
}

TEST(MatrixFilter, OutputMayBeTheInput) {
    Matrix image = make(2, 3, {1, 2, 3, 4, 5, 6});
    const Matrix ones = Matrix(3, 3) + 1.0;
    Matrix expected(2, 3);
    filter2d(image, ones, expected);
    filter2d(image, ones, image);
    EXPECT_EQ(elements(image), elements(expected));
}

TEST(MatrixInverse, InvertibleMatrices) {
    EXPECT_EQ(elements(inv(make(1, 1, {4}))), std::vector<double>{0.25});
    EXPECT_EQ(elements(inv(make(2, 2, {3, 1, 2, 2}))), (std::vector<double>{0.5, -0.25, -0.5, 0.75}));

    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    for (std::size_t n = 1; n <= 6; ++n) {
        SCOPED_TRACE(n);
        Matrix M(n, n);
        for (std::size_t i = 0; i < n; ++i) {
            for (std::size_t j = 0; j < n; ++j) M(i, j) = value(random) + (i == j ? 2.0 : 0.0);
        }
        const Matrix product = M * inv(M);
        for (std::size_t i = 0; i < n; ++i) {
            for (std::size_t j = 0; j < n; ++j) EXPECT_NEAR(product(i, j), i == j ? 1.0 : 0.0, 1e-12);
        }
    }
}

// A singular matrix has no inverse, also when rounding leaves a tiny non-zero
// determinant in the recurrence.
TEST(MatrixInverse, SingularMatricesAreRefused) {
    struct Case {
        const char* name;
        Matrix M;
    };
    const Case cases[] = {
        {"integer, rank 2", make(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9})},
        {"tenths, rank 2", make(3, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9}) * 0.1},
        {"rank 1", make(2, 2, {0.3, 0.7, 0.6, 1.4})},
        {"low-rank product", make(3, 2, {0.31, -0.72, 0.45, 0.18, -0.93, 0.27}) * make(2, 3, {0.64, -0.11, 0.58, 0.22, 0.87, -0.36})},
        {"zero", Matrix(3, 3)},
        {"nilpotent", make(3, 3, {0, 1, 0, 0, 0, 1, 0, 0, 0})},
        {"one zero", Matrix(1, 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            inv(c.M);
            ADD_FAILURE() << "no exception";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "Matrix is singular");
        }
    }
}

TEST(MatrixStatistics, MeanAndVariance) {
    EXPECT_EQ(mean(std::valarray<double>{1, 2, 3, 4, 5}), 3.0);
    EXPECT_EQ(variance(std::valarray<double>{1, 2, 3, 4, 5}), 2.5);
    EXPECT_EQ(variance(std::valarray<double>{42}), 0.0);
    EXPECT_EQ(variance(std::valarray<double>{}), 0.0);
    EXPECT_TRUE(std::isnan(mean(std::valarray<double>{})));
}
