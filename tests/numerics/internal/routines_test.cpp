// The routines of the statistics layer that the exports do not show alone.
#include <gtest/gtest.h>

#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/special_functions/beta.hpp>

#include <cmath>
#include <complex>
#include <string>

#include "numerics/FortranOps.h"
#include "numerics/stats/Beta.h"
#include "numerics/stats/ChiSquare.h"
#include "numerics/stats/ComplexGamma.h"
#include "numerics/stats/Normal.h"

using namespace calvex;
namespace bm = boost::math;

TEST(FortranOps, TruncSignMod) {
    EXPECT_EQ(fortran_trunc(-2.7f), -2.0f);
    EXPECT_EQ(fortran_trunc(2.7f), 2.0f);
    EXPECT_EQ(fortran_sign(3.0f, -0.5f), -3.0f);
    EXPECT_EQ(fortran_sign(-3.0f, 0.0f), 3.0f);
    EXPECT_EQ(fortran_mod(7.5, 2.0), 1.5);
    EXPECT_EQ(fortran_mod(-7.5, 2.0), -1.5);
    EXPECT_EQ(fortran_mod(16807.0 * 2147483646.0, 2147483647.0), 2147466840.0);
}

// The value comes from the exponential of ln Gamma, so its relative error is
// about the float spacing at |ln Gamma| (3e-6 at Gamma(12.3) = 8.3e7).
TEST(ComplexGamma, RealArguments) {
    unsigned code = 0;
    for (float x : {0.1f, 0.5f, 1.0f, 2.5f, 6.9f, 7.0f, 12.3f, 21.0f, -0.5f, -1.5f, -7.25f, -20.5f}) {
        SCOPED_TRACE(x);
        const std::complex<float> value = complex_gamma(x, kGamma, code);
        EXPECT_EQ(code, 0u);
        EXPECT_NEAR(value.real(), std::tgamma(static_cast<double>(x)), 5e-6 * std::fabs(std::tgamma(x)));
        EXPECT_NEAR(value.imag(), 0.0f, 1e-6 * std::fabs(std::tgamma(x)));
    }
    for (float x : {0.25f, 1.0f, 3.5f, 50.0f, 500.0f}) {
        SCOPED_TRACE(x);
        EXPECT_NEAR(complex_gamma(x, kLogGamma, code).real(), std::lgamma(static_cast<double>(x)),
                    1e-6 * std::max(1.0, std::fabs(std::lgamma(static_cast<double>(x)))));
    }
}

TEST(ComplexGamma, ComplexArguments) {
    unsigned code = 0;
    const std::complex<float> g = complex_gamma({1.0f, 1.0f}, kGamma, code);
    EXPECT_NEAR(g.real(), 0.4980156681f, 1e-6f);
    EXPECT_NEAR(g.imag(), -0.1549498283f, 1e-6f);
    // |Gamma(x + iy)|^2 = pi / (y sinh(pi y)) on x = 0, through the reflection.
    for (float y : {0.01f, 0.1f, 1.0f, 5.0f}) {
        SCOPED_TRACE(y);
        const double expected = M_PI / (y * std::sinh(M_PI * y));
        EXPECT_NEAR(std::norm(complex_gamma({-1e-30f, y}, kGamma, code)), expected, 1e-5 * expected);
        EXPECT_NEAR(std::norm(complex_gamma({0.0f, y}, kGamma, code)), expected, 1e-5 * expected);
    }
    // Gamma(z + 1) = z Gamma(z) across the reflection.
    const std::complex<float> z(-2.3f, 0.7f);
    const std::complex<float> lhs = complex_gamma(z + 1.0f, kGamma, code);
    const std::complex<float> rhs = z * complex_gamma(z, kGamma, code);
    EXPECT_NEAR(std::abs(lhs - rhs), 0.0f, 1e-5f * std::abs(lhs));
}

TEST(ComplexGamma, ValueIsZeroFarOut) {
    unsigned code = 0;
    EXPECT_EQ(complex_gamma(-21.6f, kGamma, code), std::complex<float>(0.0f));
    EXPECT_EQ(complex_gamma({1.0f, 28.0f}, kGamma, code), std::complex<float>(0.0f));
    EXPECT_EQ(complex_gamma(-22.0f, kGamma, code), std::complex<float>(0.0f));
    EXPECT_EQ(code, 0u);
}

TEST(BetaRatio, AgainstBoost) {
    unsigned code = 0;
    for (float a : {0.5f, 1.0f, 2.5f, 7.0f}) {
        for (float b : {0.5f, 1.0f, 2.5f, 7.0f}) {
            SCOPED_TRACE(std::to_string(a) + ", " + std::to_string(b));
            for (int i = 0; i <= 100; ++i) {
                const float x = i / 100.0f;
                EXPECT_NEAR(beta_ratio(x, a, b, code), bm::ibeta(a, b, static_cast<double>(x)), 2e-6) << x;
            }
        }
    }
}

// I_x(a, 1) = x^a: the power series' leading factor carries no (1 - x)^f.
TEST(BetaRatio, IntegerSecondParameterOfOneIsAPower) {
    unsigned code = 0;
    for (float a : {0.3f, 1.0f, 4.0f}) {
        for (float x : {0.1f, 0.25f, 0.5f, 0.8f}) {
            EXPECT_NEAR(beta_ratio(x, a, 1.0f, code), std::pow(x, a), 1e-6f) << a << " " << x;
        }
    }
    EXPECT_EQ(beta_ratio(0.0f, 2.0f, 3.0f, code), 0.0f);
    EXPECT_EQ(beta_ratio(1.0f, 2.0f, 3.0f, code), 1.0f);
}

// Up to p = 0.9: above, x can come so close to 1 that the spacing of floats
// there limits it (fisher_quantile searches the complement instead).
TEST(BetaQuantile, RoundTrip) {
    unsigned code = 0;
    for (float a : {0.5f, 2.0f, 5.5f}) {
        for (float b : {0.5f, 3.0f, 10.0f}) {
            for (float p : {1e-8f, 0.001f, 0.1f, 0.5f, 0.9f}) {
                const float x = beta_quantile(p, a, b, code);
                EXPECT_EQ(code, 0u);
                EXPECT_NEAR(bm::ibeta(a, b, static_cast<double>(x)), p, 2e-6 * p + 1e-6) << a << " " << b << " " << p;
            }
        }
    }
}

// The lower tail for real degrees of freedom: the power series runs to its
// relative stop of 1e-6 however many terms that takes (at n = 1, x = 15.14
// about 60); what that stop leaves out is up to about 1e-6 of the value.
TEST(ChiSquareReal, AgainstBoost) {
    unsigned code = 0;
    for (float n : {0.5f, 1.0f, 1.5f, 2.7f, 10.0f, 39.5f, 40.0f}) {
        SCOPED_TRACE(n);
        const bm::chi_squared C(n);
        const double last = bm::quantile(bm::complement(C, 1e-9));
        for (int i = 0; i <= 300; ++i) {
            const float x = static_cast<float>(last * i / 300.0);
            EXPECT_NEAR(chi2_cdf_real(x, n, code), bm::cdf(C, static_cast<double>(x)), 1.5e-6) << x;
        }
    }
    EXPECT_NEAR(chi2_cdf_real(15.137f, 1.0f, code), 0.9999, 1e-6);
    // Tiny x: P(1e-20; 1) = sqrt(2e-20 / pi), not 0.
    EXPECT_NEAR(chi2_cdf_real(1e-20f, 1.0f, code), std::sqrt(2e-20 / M_PI), 1e-6 * std::sqrt(2e-20 / M_PI));
}

TEST(ChiSquareReal, Above40DegreesIsTheNormalApproximation) {
    unsigned code = 0;
    const float x = 50.0f;
    const float n = 45.0f;
    EXPECT_EQ(chi2_cdf_real(x, n, code), normal_cdf(std::sqrt(2.0f * x) - std::sqrt(2.0f * n - 1.0f)));
}

TEST(ChiSquareUpperTail, AgainstBoost) {
    unsigned code = 0;
    for (int n : {1, 2, 3, 4, 11, 12, 100}) {
        SCOPED_TRACE(n);
        const bm::chi_squared C(n);
        const double last = bm::quantile(bm::complement(C, 1e-12));
        for (int i = 0; i <= 300; ++i) {
            const float x = static_cast<float>(last * i / 300.0);
            const double expected = bm::cdf(bm::complement(C, static_cast<double>(x)));
            EXPECT_NEAR(chi2_cdf(x, n, code), expected, 2e-6 * std::max(1e-3, expected)) << x;
        }
    }
    EXPECT_EQ(chi2_cdf(0.0f, 5, code), 1.0f);
    EXPECT_EQ(chi2_cdf(INFINITY, 5, code), 0.0f);
}

// Between 176 and 348 the direct series would overflow a float without its
// split scaling.
TEST(ChiSquareUpperTail, LargeArgumentsStayFinite) {
    unsigned code = 0;
    for (int n : {200, 300, 400}) {
        for (float x : {180.0f, 250.0f, 340.0f}) {
            const float q = chi2_cdf(x, n, code);
            const double expected = bm::cdf(bm::complement(bm::chi_squared(n), static_cast<double>(x)));
            EXPECT_TRUE(std::isfinite(q)) << n << " " << x;
            EXPECT_NEAR(q, expected, 2e-6) << n << " " << x;
        }
    }
}
