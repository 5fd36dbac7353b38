#pragma once
// The constants of the combined multiple-recursive generator MRG32k3a:
//
//   x1[n] = (1403580 x1[n-2] - 810728 x1[n-3]) mod m1,  m1 = 2^32 - 209
//   x2[n] = (527612 x2[n-1] - 1370589 x2[n-3]) mod m2,  m2 = 2^32 - 22853
//   u[n]  = ((x1[n] - x2[n]) mod m1) / (m1 + 1), with m1 / (m1 + 1) for 0
//
// Each recurrence advances a state of three values by a 3x3 matrix. Jumping
// ahead by k steps multiplies the state by the k-th power of that matrix; the
// powers for substreams (2^76 steps) and streams (2^127 steps) and the inverse
// matrices (one step back) are computed here at compile time in exact
// integer arithmetic.
#include <array>
#include <cstdint>

namespace mrg32k3a {

inline constexpr double m1 = 4294967087.0;
inline constexpr double m2 = 4294944443.0;
inline constexpr double norm = 2.328306549295728e-10;  // 1 / (m1 + 1)
inline constexpr double a12 = 1403580.0;
inline constexpr double a13n = 810728.0;
inline constexpr double a21 = 527612.0;
inline constexpr double a23n = 1370589.0;
inline constexpr double two17 = 131072.0;
inline constexpr double two53 = 9007199254740992.0;
inline constexpr double fact = 5.9604644775390625e-8;  // 2^-24

using Matrix = std::array<std::array<double, 3>, 3>;

namespace exact {

using Matrix = std::array<std::array<std::uint64_t, 3>, 3>;

inline constexpr std::uint64_t m1 = 4294967087u;
inline constexpr std::uint64_t m2 = 4294944443u;

// Products of two residues stay below 2^64 because both moduli are below 2^32.
constexpr std::uint64_t mul_mod(std::uint64_t a, std::uint64_t b, std::uint64_t m) { return a * b % m; }

constexpr std::uint64_t pow_mod(std::uint64_t a, std::uint64_t e, std::uint64_t m) {
    std::uint64_t result = 1;
    for (; e > 0; e >>= 1) {
        if (e & 1) result = mul_mod(result, a, m);
        a = mul_mod(a, a, m);
    }
    return result;
}

// The moduli are prime.
constexpr std::uint64_t inverse_mod(std::uint64_t a, std::uint64_t m) { return pow_mod(a, m - 2, m); }

constexpr Matrix multiply(const Matrix& a, const Matrix& b, std::uint64_t m) {
    Matrix c{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            c[i][j] = (mul_mod(a[i][0], b[0][j], m) + mul_mod(a[i][1], b[1][j], m) + mul_mod(a[i][2], b[2][j], m)) % m;
    return c;
}

// a^(2^e) by e squarings.
constexpr Matrix two_power(Matrix a, int e, std::uint64_t m) {
    for (int i = 0; i < e; ++i) a = multiply(a, a, m);
    return a;
}

// One step of each recurrence on the state (x[n-3], x[n-2], x[n-1]).
inline constexpr Matrix A1 = {{{0, 1, 0}, {0, 0, 1}, {m1 - 810728u, 1403580u, 0}}};
inline constexpr Matrix A2 = {{{0, 1, 0}, {0, 0, 1}, {m2 - 1370589u, 0, 527612u}}};

// One step back: x[n-3] = (1403580 x[n-2] - x[n]) / 810728 for the first
// recurrence and (527612 x[n-1] - x[n]) / 1370589 for the second.
inline constexpr std::uint64_t inv13 = inverse_mod(810728u, m1);
inline constexpr std::uint64_t inv23 = inverse_mod(1370589u, m2);
inline constexpr Matrix InvA1 = {{{mul_mod(1403580u, inv13, m1), 0, m1 - inv13}, {1, 0, 0}, {0, 1, 0}}};
inline constexpr Matrix InvA2 = {{{0, mul_mod(527612u, inv23, m2), m2 - inv23}, {1, 0, 0}, {0, 1, 0}}};

constexpr mrg32k3a::Matrix to_double(const Matrix& a) {
    mrg32k3a::Matrix d{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) d[i][j] = static_cast<double>(a[i][j]);
    return d;
}

}  // namespace exact

// The one-step matrices, as the published package writes them (with the
// negative multipliers), and their inverses.
inline constexpr Matrix A1p0 = {{{0.0, 1.0, 0.0}, {0.0, 0.0, 1.0}, {-810728.0, 1403580.0, 0.0}}};
inline constexpr Matrix A2p0 = {{{0.0, 1.0, 0.0}, {0.0, 0.0, 1.0}, {-1370589.0, 0.0, 527612.0}}};
inline constexpr Matrix InvA1 = exact::to_double(exact::InvA1);
inline constexpr Matrix InvA2 = exact::to_double(exact::InvA2);

// Jumps to the next substream (2^76 steps) and the next stream (2^127 steps).
inline constexpr Matrix A1p76 = exact::to_double(exact::two_power(exact::A1, 76, exact::m1));
inline constexpr Matrix A2p76 = exact::to_double(exact::two_power(exact::A2, 76, exact::m2));
inline constexpr Matrix A1p127 = exact::to_double(exact::two_power(exact::A1, 127, exact::m1));
inline constexpr Matrix A2p127 = exact::to_double(exact::two_power(exact::A2, 127, exact::m2));

}  // namespace mrg32k3a
