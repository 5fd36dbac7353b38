// Rotation matrices from three angles, the 3x3 inverse and the flat grid
// index.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "dynamics/scene/Rotation.h"
#include "dynamics/species/GridIndex.h"

namespace {

using Mat = std::array<std::array<double, 3>, 3>;

// The axis rotations, written out on their own.
Mat Rx(double g) { return {{{1, 0, 0}, {0, std::cos(g), -std::sin(g)}, {0, std::sin(g), std::cos(g)}}}; }
Mat Ry(double b) { return {{{std::cos(b), 0, std::sin(b)}, {0, 1, 0}, {-std::sin(b), 0, std::cos(b)}}}; }
Mat Rz(double a) { return {{{std::cos(a), -std::sin(a), 0}, {std::sin(a), std::cos(a), 0}, {0, 0, 1}}}; }

Mat operator*(const Mat& l, const Mat& r) {
    Mat out{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k) out[i][j] += l[i][k] * r[k][j];
    return out;
}
Mat transposed(const Mat& m) {
    Mat out{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) out[i][j] = m[j][i];
    return out;
}
const Mat identity = Rx(0.0);

// A general matrix, not a rotation.
const Mat skewed = {{{2.0, 0.5, -1.0}, {0.25, 3.0, 0.75}, {-0.5, 1.5, 1.25}}};

// Plain arrays as the functions take them.
struct Plain {
    double m[3][3];
};
Plain plain(const Mat& m) {
    Plain p{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) p.m[i][j] = m[i][j];
    return p;
}
Mat as_mat(const double m[3][3]) {
    Mat out{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) out[i][j] = m[i][j];
    return out;
}

void expect_near(const Mat& actual, const Mat& expected, double tolerance = 1e-14) {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_NEAR(actual[i][j], expected[i][j], tolerance) << "element " << i << j;
}

struct Angles {
    double a, b, g;
};
const Angles angle_cases[] = {
    {0.0, 0.0, 0.0}, {0.3, 0.0, 0.0}, {0.0, -1.2, 0.0}, {0.0, 0.0, 2.5},
    {0.4, -0.7, 1.9}, {3.1, 1.5, -2.8}, {-6.0, 4.0, 0.01},
};

// turn_3a with negated angles applies Rz(a)·Ry(b)·Rx(g) to the source.
TEST(Rotation, TurnWithNegatedAnglesComposesTheAxisRotations) {
    for (const Angles& t : angle_cases) {
        SCOPED_TRACE(::testing::Message() << t.a << " " << t.b << " " << t.g);
        for (const Mat& source : {identity, skewed}) {
            const Plain src = plain(source);
            double dst[3][3];
            turn_3a(dst, src.m, -t.a, -t.b, -t.g);
            expect_near(as_mat(dst), Rz(t.a) * Ry(t.b) * Rx(t.g) * source);
        }
    }
}

// turn_3a_inv multiplies the source from the right by the transpose of the
// same composition; from the identity it gives the inverse of what turn_3a
// gives with the negated angles.
TEST(Rotation, InverseTurnMultipliesByTheTransposedComposition) {
    for (const Angles& t : angle_cases) {
        SCOPED_TRACE(::testing::Message() << t.a << " " << t.b << " " << t.g);
        const Plain src = plain(skewed);
        double dst[3][3];
        turn_3a_inv(dst, src.m, t.a, t.b, t.g);
        expect_near(as_mat(dst), skewed * transposed(Rz(t.a) * Ry(t.b) * Rx(t.g)));

        const Plain id = plain(identity);
        double turned[3][3], inverse[3][3];
        turn_3a(turned, id.m, -t.a, -t.b, -t.g);
        turn_3a_inv(inverse, id.m, t.a, t.b, t.g);
        expect_near(as_mat(inverse) * as_mat(turned), identity);
    }
}

TEST(Rotation, ZeroAnglesLeaveTheIdentity) {
    const Plain id = plain(identity);
    double dst[3][3];
    turn_3a(dst, id.m, 0.0, 0.0, 0.0);
    EXPECT_EQ(as_mat(dst), identity);
    turn_3a_inv(dst, id.m, 0.0, 0.0, 0.0);
    EXPECT_EQ(as_mat(dst), identity);
}

// The inverse of a rotation is its transpose; the inverse of any regular
// matrix gives the identity with it, from either side.
TEST(Rotation, InverseOfRotationsAndGeneralMatrices) {
    for (const Angles& t : angle_cases) {
        const Mat rotation = Rz(t.a) * Ry(t.b) * Rx(t.g);
        const Plain m = plain(rotation);
        double inv[3][3];
        inv_mat(m.m, inv);
        expect_near(as_mat(inv), transposed(rotation));
    }
    const Plain m = plain(skewed);
    double inv[3][3];
    inv_mat(m.m, inv);
    expect_near(as_mat(inv) * skewed, identity);
    expect_near(skewed * as_mat(inv), identity);
}

// Matrices held as three row pointers give the same values as contiguous
// ones, in every combination; the destination may be the source.
TEST(Rotation, RowPointerStorageAndInPlaceResults) {
    const Angles t{0.4, -0.7, 1.9};
    const Plain src = plain(skewed);
    double expected[3][3];
    turn_3a(expected, src.m, t.a, t.b, t.g);
    double expected_inv[3][3];
    turn_3a_inv(expected_inv, src.m, t.a, t.b, t.g);

    double rows_src_storage[3][3];
    double rows_dst_storage[3][3];
    double* rows_src[3] = {rows_src_storage[0], rows_src_storage[1], rows_src_storage[2]};
    double* rows_dst[3] = {rows_dst_storage[0], rows_dst_storage[1], rows_dst_storage[2]};
    double** rows_src_pp = rows_src;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) rows_src[i][j] = skewed[i][j];

    double contiguous_dst[3][3];
    turn_3a(contiguous_dst, rows_src_pp, t.a, t.b, t.g);
    EXPECT_EQ(as_mat(contiguous_dst), as_mat(expected));
    turn_3a(rows_dst, src.m, t.a, t.b, t.g);
    EXPECT_EQ(as_mat(rows_dst_storage), as_mat(expected));
    turn_3a(rows_dst, rows_src, t.a, t.b, t.g);
    EXPECT_EQ(as_mat(rows_dst_storage), as_mat(expected));
    turn_3a_inv(rows_dst, rows_src_pp, t.a, t.b, t.g);
    EXPECT_EQ(as_mat(rows_dst_storage), as_mat(expected_inv));

    Plain in_place = plain(skewed);
    turn_3a(in_place.m, in_place.m, t.a, t.b, t.g);
    EXPECT_EQ(as_mat(in_place.m), as_mat(expected));
    in_place = plain(skewed);
    turn_3a_inv(in_place.m, in_place.m, t.a, t.b, t.g);
    EXPECT_EQ(as_mat(in_place.m), as_mat(expected_inv));
    in_place = plain(skewed);
    double separate[3][3];
    inv_mat(in_place.m, separate);
    inv_mat(in_place.m, in_place.m);
    EXPECT_EQ(as_mat(in_place.m), as_mat(separate));
}

TEST(GridIndex, CellsRunWithKInnermost) {
    EXPECT_EQ(lin(4, 1, 2, 3), 27);
    EXPECT_EQ(lin(4, 0, 0, 0), 0);
    EXPECT_EQ(lin(4, 3, 3, 3), 63);
    EXPECT_EQ(lin(10, 0, 0, 1) - lin(10, 0, 0, 0), 1);
    EXPECT_EQ(lin(10, 0, 1, 0) - lin(10, 0, 0, 0), 10);
    EXPECT_EQ(lin(10, 1, 0, 0) - lin(10, 0, 0, 0), 100);
}

}  // namespace
