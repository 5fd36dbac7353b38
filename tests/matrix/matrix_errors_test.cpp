// Every refused operation of the matrix code, with its exception type and text.
#include <gtest/gtest.h>

#include <limits>
#include <valarray>

#include "matrix/ExpectThrow.h"
#include "matrix/Matrix.h"

using matrix_testing::expect_throws;
using matrix_testing::ThrowCase;

namespace {

const std::string kRows = "ERROR : number of rows must be positive integer\n";
const std::string kCols = "ERROR : number of cols must be positive integer\n";
const std::string kRow = "ERROR : number of row must be positive integer not more than n_cols-1\n";
const std::string kCol = "ERROR : number of col must be positive integer not more than n_rows-1\n";
const std::string kElements = "ERROR : Matrix dimensions must agree\n";
const std::string kAssign = "Matrix dimensions must agree";
const std::string kInner = "Error : Matrix inner dimensions must agree";

const Matrix m23(2, 3);
const Matrix m32(3, 2);
const Matrix m22(2, 2);

}  // namespace

TEST(MatrixErrors, ConstructionAndShape) {
    const double values[4] = {1, 2, 3, 4};
    const std::size_t huge = std::numeric_limits<std::size_t>::max() / 2;
    const ThrowCase cases[] = {
        {"0 x 0 reports rows first", [] { Matrix(0, 0); }, typeid(std::out_of_range), kRows},
        {"0 rows", [] { Matrix(0, 3); }, typeid(std::out_of_range), kRows},
        {"0 cols", [] { Matrix(2, 0); }, typeid(std::out_of_range), kCols},
        {"0 rows from data", [&] { Matrix(0, 2, values); }, typeid(std::out_of_range), kRows},
        {"0 cols from valarray", [] { Matrix(2, 0, std::valarray<double>(2)); }, typeid(std::out_of_range), kCols},
        {"valarray of the wrong length", [] { Matrix(2, 2, std::valarray<double>(3)); },
         typeid(std::invalid_argument), kElements},
        {"count beyond the address space", [=] { Matrix(huge, 4); }, typeid(std::length_error),
         "ERROR : number of elements exceeds the addressable size\n"},
        {"resize to 0 rows", [] { Matrix(2, 2).resize(0, 1); }, typeid(std::out_of_range), kRows},
        {"resize with a value to 0 cols", [] { Matrix(2, 2).resize(1, 0, 5.0); }, typeid(std::out_of_range), kCols},
        {"identity of 0", [] { identity(0); }, typeid(std::out_of_range), kRows},
    };
    for (const ThrowCase& c : cases) expect_throws(c);
}

TEST(MatrixErrors, CheckedAccessNamesTheOtherDimension) {
    Matrix A(2, 3);
    const Matrix& C = A;
    const ThrowCase cases[] = {
        {"row = rows", [&] { A.at(2, 0); }, typeid(std::out_of_range), kRow},
        {"col = cols", [&] { A.at(0, 3); }, typeid(std::out_of_range), kCol},
        {"both out, row first", [&] { A.at(9, 9); }, typeid(std::out_of_range), kRow},
        {"const row", [&] { C.at(2, 0); }, typeid(std::out_of_range), kRow},
        {"const col", [&] { C.at(1, 3); }, typeid(std::out_of_range), kCol},
        {"empty matrix", [] { Matrix().at(0, 0); }, typeid(std::out_of_range), kRow},
    };
    for (const ThrowCase& c : cases) expect_throws(c);
}

TEST(MatrixErrors, SizesOfTwoOperands) {
    const Matrix m33(3, 3);
    const ThrowCase cases[] = {
        {"assign 3x2 to 2x3", [] { Matrix A(2, 3); A = m32; }, typeid(std::runtime_error), kAssign},
        {"sum, columns differ", [] { m23 + m22; }, typeid(std::invalid_argument), kElements},
        {"sum, rows differ", [] { m23 + Matrix(3, 3); }, typeid(std::invalid_argument), kElements},
        {"difference", [] { m23 - m32; }, typeid(std::invalid_argument), kElements},
        {"elem_mul", [] { elem_mul(m23, m32); }, typeid(std::invalid_argument), kElements},
        {"elem_div", [] { elem_div(m22, m23); }, typeid(std::invalid_argument), kElements},
        {"elem_or", [] { elem_or(m22, m32); }, typeid(std::invalid_argument), kElements},
        {"dot", [] { dot(m23, m32); }, typeid(std::invalid_argument), kElements},
        {"empty with non-empty", [] { Matrix() + m22; }, typeid(std::invalid_argument), kElements},
        {"product", [] { m23 * m23; }, typeid(std::invalid_argument), kInner},
        {"filter output of other sizes", [&] { Matrix out(3, 2); filter2d(m23, m33, out); },
         typeid(std::invalid_argument), kElements},
        {"inverse of a non-square matrix", [] { inv(m23); }, typeid(std::runtime_error), "Matrix must be square"},
        {"inverse of an empty matrix", [] { inv(Matrix()); }, typeid(std::out_of_range), kRows},
    };
    for (const ThrowCase& c : cases) expect_throws(c);
}

TEST(MatrixErrors, RefusedChangesLeaveTheMatrixAlone) {
    const double values[6] = {1, 2, 3, 4, 5, 6};
    Matrix A(2, 3, values);
    EXPECT_THROW(A = m32, std::runtime_error);
    EXPECT_THROW(A.resize(0, 4), std::out_of_range);
    EXPECT_THROW(A.resize(4, 0, 1.0), std::out_of_range);
    ASSERT_EQ(A.n_rows(), 2u);
    ASSERT_EQ(A.n_cols(), 3u);
    for (std::size_t k = 0; k < 6; ++k) EXPECT_EQ(A.data()[k], values[k]);
}
