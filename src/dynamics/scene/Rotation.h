#pragma once
// Rotation matrices from three angles and the 3x3 inverse.
//
// Orientations are row-major 3x3 matrices with world = rotᵀ · body + centre.
// Rx, Ry, Rz are the right-handed rotations about x, y and z. A matrix is
// anything indexable as m[i][j]: nine contiguous doubles in rows
// (double[3][3]) or three row pointers (double* [3], double**), in any
// combination for source and destination. Results are computed in full
// before they are stored, so the destination may be the source.
#include <cmath>
#include <concepts>

template <class M>
concept Matrix3 = requires(const M& m) {
    { m[0][0] } -> std::convertible_to<double>;
};

namespace rotation_detail {

template <class Dst>
void store(Dst&& dst, const double value[3][3]) {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) dst[i][j] = value[i][j];
}

}  // namespace rotation_detail

// dst = Rz(−a) · Ry(−b) · Rx(−g) · src.
template <class Dst, Matrix3 Src>
void turn_3a(Dst&& dst, const Src& src, double a, double b, double g) {
    const double sa = std::sin(a), ca = std::cos(a);
    const double sb = std::sin(b), cb = std::cos(b);
    const double sg = std::sin(g), cg = std::cos(g);
    const double n[3][3] = {
        {ca * cb, sa * cg + ca * sb * sg, sa * sg - ca * sb * cg},
        {-sa * cb, ca * cg - sa * sb * sg, ca * sg + sa * sb * cg},
        {sb, -cb * sg, cb * cg},
    };
    double result[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) result[i][j] = n[i][0] * src[0][j] + n[i][1] * src[1][j] + n[i][2] * src[2][j];
    rotation_detail::store(dst, result);
}

// dst = src · (Rz(a) · Ry(b) · Rx(g))ᵀ.
template <class Dst, Matrix3 Src>
void turn_3a_inv(Dst&& dst, const Src& src, double a, double b, double g) {
    const double sa = std::sin(a), ca = std::cos(a);
    const double sb = std::sin(b), cb = std::cos(b);
    const double sg = std::sin(g), cg = std::cos(g);
    const double m[3][3] = {
        {ca * cb, sa * cb, -sb},
        {ca * sb * sg - sa * cg, sa * sb * sg + ca * cg, cb * sg},
        {ca * sb * cg + sa * sg, sa * sb * cg - ca * sg, cb * cg},
    };
    double result[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) result[i][j] = src[i][0] * m[0][j] + src[i][1] * m[1][j] + src[i][2] * m[2][j];
    rotation_detail::store(dst, result);
}

// inv = m⁻¹, the adjugate divided by the determinant. The engine inverts only
// rotation matrices; a singular m gives non-finite elements.
template <Matrix3 Src, class Dst>
void inv_mat(const Src& m, Dst&& inv) {
    const double c00 = m[1][1] * m[2][2] - m[1][2] * m[2][1];
    const double c01 = m[1][2] * m[2][0] - m[2][2] * m[1][0];
    const double c02 = m[2][1] * m[1][0] - m[1][1] * m[2][0];
    const double det = m[0][0] * c00 + m[0][1] * c01 + m[0][2] * c02;
    const double result[3][3] = {
        {c00 / det, (m[0][2] * m[2][1] - m[0][1] * m[2][2]) / det, (m[0][1] * m[1][2] - m[0][2] * m[1][1]) / det},
        {c01 / det, (m[0][0] * m[2][2] - m[0][2] * m[2][0]) / det, (m[0][2] * m[1][0] - m[0][0] * m[1][2]) / det},
        {c02 / det, (m[0][1] * m[2][0] - m[0][0] * m[2][1]) / det, (m[0][0] * m[1][1] - m[0][1] * m[1][0]) / det},
    };
    rotation_detail::store(inv, result);
}
