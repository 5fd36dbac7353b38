// Construction, access, shape changes and reordering of Matrix.
#include <gtest/gtest.h>

#include <utility>
#include <valarray>
#include <vector>

#include "matrix/Matrix.h"

namespace {

// rows x cols with element (i, j) = 10 i + j.
Matrix numbered(std::size_t rows, std::size_t cols) {
    Matrix A(rows, cols);
    for (std::size_t i = 0; i < rows; ++i) {
        for (std::size_t j = 0; j < cols; ++j) A(i, j) = 10.0 * i + j;
    }
    return A;
}

std::vector<double> elements(const Matrix& A) { return {A.data(), A.data() + A.n_rows() * A.n_cols()}; }

}  // namespace

TEST(Matrix, DefaultIsEmpty) {
    const Matrix A;
    EXPECT_EQ(A.n_rows(), 0u);
    EXPECT_EQ(A.n_cols(), 0u);
    EXPECT_EQ(A.data(), nullptr);
    EXPECT_EQ(A.transpose().n_rows(), 0u);
}

TEST(Matrix, ElementsAreStoredRowByRow) {
    const double values[6] = {1, 2, 3, 4, 5, 6};
    const Matrix from_pointer(2, 3, values);
    const Matrix from_valarray(2, 3, std::valarray<double>(values, 6));
    for (const Matrix* A : {&from_pointer, &from_valarray}) {
        EXPECT_EQ(A->index(1, 0), 3u);
        EXPECT_EQ((*A)(1, 0), 4.0);
        EXPECT_EQ(A->at(0, 2), 3.0);
        EXPECT_EQ(elements(*A), std::vector<double>(values, values + 6));
    }
    EXPECT_EQ(elements(Matrix(2, 2)), std::vector<double>(4, 0.0));
}

TEST(Matrix, AssignmentKeepsSizesAssignTakesThem) {
    Matrix A = numbered(2, 3);
    const Matrix B = numbered(2, 3) * 2.0;
    A = B;
    EXPECT_EQ(elements(A), elements(B));
    A = A;
    EXPECT_EQ(elements(A), elements(B));

    Matrix C(1, 1);
    C.assign(numbered(3, 2));
    EXPECT_EQ(C.n_rows(), 3u);
    EXPECT_EQ(C.n_cols(), 2u);
    EXPECT_EQ(elements(C), elements(numbered(3, 2)));
}

TEST(Matrix, MoveLeavesTheSourceEmpty) {
    Matrix A = numbered(2, 2);
    const Matrix B(std::move(A));
    EXPECT_EQ(elements(B), elements(numbered(2, 2)));
    EXPECT_EQ(A.n_rows(), 0u);
    EXPECT_EQ(A.n_cols(), 0u);
}

TEST(Matrix, ResizeFillsEveryElement) {
    Matrix A = numbered(2, 2);
    A.resize(3, 1);
    EXPECT_EQ(elements(A), std::vector<double>(3, 0.0));
    A(1, 0) = 7.0;
    A.resize(2, 4, A(1, 0));  // the fill value is one of the matrix's own elements
    EXPECT_EQ(elements(A), std::vector<double>(8, 7.0));
}

TEST(Matrix, SwapRowsAndColumns) {
    Matrix A = numbered(3, 2);
    A.swap_rows(0, 2);
    EXPECT_EQ(elements(A), (std::vector<double>{20, 21, 10, 11, 0, 1}));
    A.swap_cols(1, 0);
    EXPECT_EQ(elements(A), (std::vector<double>{21, 20, 11, 10, 1, 0}));
}

// The diagonal of a non-square matrix ends with its shorter dimension.
TEST(Matrix, TraceSumsTheMainDiagonal) {
    EXPECT_EQ(numbered(3, 3).trace(), 0.0 + 11.0 + 22.0);
    EXPECT_EQ(numbered(3, 2).trace(), 0.0 + 11.0);
    EXPECT_EQ(numbered(2, 3).trace(), 0.0 + 11.0);
    EXPECT_EQ(numbered(1, 1).trace(), 0.0);
    EXPECT_EQ(Matrix().trace(), 0.0);
}

TEST(Matrix, Transpose) {
    const Matrix T = numbered(2, 3).transpose();
    ASSERT_EQ(T.n_rows(), 3u);
    ASSERT_EQ(T.n_cols(), 2u);
    EXPECT_EQ(elements(T), (std::vector<double>{0, 10, 1, 11, 2, 12}));
}

TEST(Matrix, FromColumnMajorReordersTheStoredValues) {
    Matrix square = numbered(3, 3);
    square.from_column_major();
    EXPECT_EQ(elements(square), elements(numbered(3, 3).transpose()));

    // Values 1..6 stored column after column for a 2 x 3 matrix.
    const double column_major[6] = {1, 4, 2, 5, 3, 6};
    Matrix wide(2, 3, column_major);
    wide.from_column_major();
    EXPECT_EQ(elements(wide), (std::vector<double>{1, 2, 3, 4, 5, 6}));
}

TEST(Matrix, Identity) {
    EXPECT_EQ(elements(identity(3)), (std::vector<double>{1, 0, 0, 0, 1, 0, 0, 0, 1}));
}
