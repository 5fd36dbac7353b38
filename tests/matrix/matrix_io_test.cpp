// Text and binary stream forms of Matrix.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <locale>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "matrix/Matrix.h"

namespace {

Matrix make(std::size_t rows, std::size_t cols, std::vector<double> values) {
    return Matrix(rows, cols, values.data());
}

std::vector<double> elements(const Matrix& A) { return {A.data(), A.data() + A.n_rows() * A.n_cols()}; }

std::string bytes(std::initializer_list<unsigned> values) {
    std::string text;
    for (unsigned v : values) text += static_cast<char>(v);
    return text;
}

// A decimal comma, as some process locales have.
struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};

}  // namespace

TEST(MatrixText, RowsOfRightAlignedShortValues) {
    std::ostringstream out;
    out.imbue(std::locale(out.getloc(), new CommaDecimal));
    out << make(2, 3, {1, -2.5, 1234567, 0.0001, 1e-10, -0.0});
    EXPECT_EQ(out.str(), "      1\t   -2.5\t1.235e+06\n 0.0001\t  1e-10\t     -0\n");
    // The stream keeps the settings made for the elements.
    EXPECT_EQ(out.precision(), 4);
    EXPECT_TRUE(out.flags() & std::ios::fixed);
    EXPECT_TRUE(out.flags() & std::ios::right);
}

TEST(MatrixText, FailedStreamIsReported) {
    std::ostringstream out;
    out.setstate(std::ios::badbit);
    try {
        out << make(1, 1, {1});
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "operator << : cannot write to output stream");
    }
}

TEST(MatrixText, ReadsIntoASizedMatrix) {
    Matrix A(2, 2);
    std::istringstream in("1 2.5\n-3 4e2 rest");
    in >> A;
    EXPECT_TRUE(in);
    EXPECT_EQ(elements(A), (std::vector<double>{1, 2.5, -3, 400}));

    Matrix B = make(2, 2, {9, 9, 9, 9});
    std::istringstream short_input("1 2 3");
    short_input >> B;
    EXPECT_TRUE(short_input.fail());
    EXPECT_EQ(elements(B), std::vector<double>(4, 9.0));
}

TEST(MatrixBinary, ByteLayout) {
    std::ostringstream out;
    make(1, 2, {1.0, -2.0}).write(out);
    EXPECT_EQ(out.str(), bytes({1, 0, 0, 0, 2, 0, 0, 0,                            // rows, cols
                                0, 0, 0, 0, 0, 0, 0xF0, 0x3F,                      // 1.0
                                0, 0, 0, 0, 0, 0, 0x00, 0xC0}));                   // -2.0
}

TEST(MatrixBinary, RoundTrip) {
    const Matrix original = make(3, 2, {1.5, -0.0, std::numeric_limits<double>::infinity(), 1e-310, 3e300, -7});
    std::stringstream stream;
    original.write(stream);
    EXPECT_EQ(stream.str().size(), 8u + 8u * 6u);

    Matrix copy;
    copy.read(stream);
    ASSERT_EQ(copy.n_rows(), 3u);
    ASSERT_EQ(copy.n_cols(), 2u);
    EXPECT_EQ(elements(copy), elements(original));
    EXPECT_TRUE(std::signbit(copy(0, 1)));
}

TEST(MatrixBinary, FailedStreamIsReported) {
    std::ostringstream out;
    out.setstate(std::ios::failbit);
    try {
        Matrix(2, 2).write(out);
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "write : cannot write output stream");
    }
}

// A damaged or cut file is refused and the matrix keeps what it held.
TEST(MatrixBinary, BadInputIsRefused) {
    const std::string one = bytes({0, 0, 0, 0, 0, 0, 0xF0, 0x3F});
    struct Case {
        const char* name;
        std::string input;
        std::string text;
    };
    const Case cases[] = {
        {"empty", "", "read : cannot read input stream"},
        {"half a header", bytes({2, 0, 0, 0}), "read : cannot read input stream"},
        {"header only", bytes({2, 0, 0, 0, 1, 0, 0, 0}), "read : cannot read input stream"},
        {"one element short", bytes({2, 0, 0, 0, 1, 0, 0, 0}) + one, "read : cannot read input stream"},
        {"cut inside an element", bytes({1, 0, 0, 0, 1, 0, 0, 0}) + one.substr(0, 5), "read : cannot read input stream"},
        {"sizes far beyond the data", bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}) + one,
         "read : cannot read input stream"},
        {"zero rows", bytes({0, 0, 0, 0, 1, 0, 0, 0}) + one, "ERROR : number of rows must be positive integer\n"},
        {"zero cols", bytes({1, 0, 0, 0, 0, 0, 0, 0}) + one, "ERROR : number of cols must be positive integer\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Matrix A = make(1, 2, {5, 6});
        std::istringstream in(c.input);
        try {
            A.read(in);
            ADD_FAILURE() << "no exception";
        } catch (const std::exception& e) {
            EXPECT_EQ(e.what(), c.text);
        }
        EXPECT_EQ(A.n_rows(), 1u);
        EXPECT_EQ(elements(A), (std::vector<double>{5, 6}));
    }
}
