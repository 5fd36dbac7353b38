#include "numerics/stats/ComplexGamma.h"

#include <cmath>

#include "numerics/FortranOps.h"
#include "numerics/stats/Failure.h"

namespace calvex {
namespace {

using Complex = std::complex<float>;

constexpr float kPi = 3.14159265f;
constexpr float kLogPi = 1.14472989f;
constexpr float kLog2 = 0.693147181f;
constexpr float kLogSqrt2Pi = 0.9189385f;
// ln of the largest float.
constexpr float kLogMaxFloat = 88.7228394f;
// Below this |z| the Stirling series is not yet accurate to float precision.
constexpr float kStirlingBound = 7.0f;

constexpr float kSqrt2Pi = 2.50662827f;

// sum_k B_2k / (2k (2k - 1) z^(2k-1)) for k = 1 .. 7, by Horner's rule in 1/z^2.
template <class T>
T stirling_series(T z) {
    static constexpr float kCoefficients[7] = {1.0f / 12.0f,   -1.0f / 360.0f,       1.0f / 1260.0f, -1.0f / 1680.0f,
                                               1.0f / 1188.0f, -691.0f / 360360.0f, 1.0f / 156.0f};
    const T w = 1.0f / (z * z);
    T series = kCoefficients[6];
    for (int k = 5; k >= 0; --k) series = series * w + kCoefficients[k];
    return series / z;
}

// ln Gamma(z) for Re z >= 0, z != 0: shift z upward by Gamma(z + 1) = z Gamma(z)
// until the Stirling series is accurate, then take the log of the product off.
Complex log_gamma_right(Complex z) {
    Complex product(1.0f, 0.0f);
    bool shifted = false;
    while (std::abs(z) < kStirlingBound) {
        product *= z;
        z += 1.0f;
        shifted = true;
    }
    Complex result = (z - 0.5f) * std::log(z) - z + kLogSqrt2Pi + stirling_series(z);
    if (shifted) result -= std::log(product);
    return result;
}

// Gamma(x) for 0 < x <= 22.5 as a product of factors each rounded once,
// sqrt(2 pi) x^(x - 1/2) e^-x e^series / product, rather than as the
// exponential of ln Gamma, which would carry the rounding of a logarithm of
// up to 50.
float gamma_real_right(float x) {
    float product = 1.0f;
    while (x < kStirlingBound) {
        product *= x;
        x += 1.0f;
    }
    return kSqrt2Pi * std::pow(x, x - 0.5f) * std::exp(-x) * std::exp(stirling_series(x)) / product;
}

// 1 - e^-t for t >= 0, by a rational approximation for small t where the
// difference would cancel.
float one_minus_exp(float t) {
    if (t <= 0.1054f) {
        const float t2 = t * t;
        return 2.0f * t * (840.0739f + 20.00123f * t2) /
               (1680.148f + t * (840.0739f + t * (180.0148f + t * (20.00123f + t))));
    }
    if (-t < -39.15f) return 1.0f;
    return 1.0f - std::exp(-t);
}

// ln sin(pi z), written through E = e^(-2 pi |y|) so that neither cosh nor
// sinh overflows: sin(pi z) = e^(pi |y|) / 2 [sin(pi x) (1 + E) + i sgn(y) cos(pi x) (1 - E)].
Complex log_sin_pi(Complex z) {
    const float x = static_cast<float>(fortran_mod(z.real(), 2.0));
    const float y = z.imag();
    const float f = one_minus_exp(2.0f * kPi * std::fabs(y));
    const Complex bracket(std::sin(kPi * x) * (2.0f - f), fortran_sign(1.0f, y) * std::cos(kPi * x) * f);
    return kPi * std::fabs(y) - kLog2 + std::log(bracket);
}

}  // namespace

std::complex<float> complex_gamma(std::complex<float> z, int mode, unsigned& code) {
    code = 0;
    const float x = z.real();
    const float y = z.imag();
    if (mode == kGamma) {
        if (x < -21.5f || y < -27.5f || y > 27.5f) return 0.0f;
        if (x > 21.4f) {
            return fail("complex_gamma", {65, 1, "the real part of the argument cannot exceed 21.4", false}, code);
        }
    }
    if (y == 0.0f && x <= 0.0f && x == fortran_trunc(x)) {
        return fail("complex_gamma",
                    {67, 2, "the gamma function is not defined at 0 or a negative integer", true}, code);
    }
    if (mode == kGamma && y == 0.0f) {
        // Reflection: Gamma(x) Gamma(1 - x) = pi / sin(pi x).
        if (x > 0.0f) return gamma_real_right(x);
        return kPi / (std::sin(kPi * static_cast<float>(fortran_mod(x, 2.0))) * gamma_real_right(1.0f - x));
    }
    // Reflection: Gamma(z) Gamma(1 - z) = pi / sin(pi z).
    const Complex log_gamma = x < 0.0f ? kLogPi - log_sin_pi(z) - log_gamma_right(1.0f - z) : log_gamma_right(z);
    if (mode == kLogGamma) return log_gamma;
    if (log_gamma.real() > kLogMaxFloat) {
        return fail("complex_gamma",
                    {66, 4, "the function value exceeds the largest number representable on the machine", false},
                    code);
    }
    return std::exp(log_gamma);
}

}  // namespace calvex
