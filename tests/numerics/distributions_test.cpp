// The distribution exports of libcalvex.so against Boost.Math. The library
// computes in single precision: its CDFs are compared absolutely, its
// quantiles by the round trip cdf(quantile(p)) = p, relative to the smaller
// tail probability plus the spacing of floats near p.
#include <gtest/gtest.h>

#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/distributions/fisher_f.hpp>
#include <boost/math/distributions/normal.hpp>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "numerics/calvex.h"

namespace bm = boost::math;

namespace {

// Probabilities from 1e-12 to 1 - 1e-6, dense in both tails.
std::vector<double> probabilities() {
    std::vector<double> ps;
    for (double p = 1e-12; p < 0.1; p *= 10.0) {
        ps.push_back(p);
        ps.push_back(3.0 * p);
    }
    for (double p = 0.1; p < 0.95; p += 0.1) ps.push_back(p);
    for (double q = 0.05; q >= 1e-6; q /= 10.0) ps.push_back(1.0 - q);
    return ps;
}

// n + 1 points from 0 to `last`.
std::vector<double> points(double last, int n) {
    std::vector<double> xs;
    for (int i = 0; i <= n; ++i) xs.push_back(last * i / n);
    return xs;
}

// Largest |library - reference| over the points.
template <class Library, class Reference>
double max_cdf_error(const std::vector<double>& xs, Library library, Reference reference) {
    double worst = 0.0;
    for (double x : xs) worst = std::max(worst, std::fabs(library(x) - reference(x)));
    return worst;
}

// Largest round-trip error |cdf(quantile(p)) - p| in units of
// relative x min(p, 1 - p) + absolute.
template <class Quantile, class Cdf>
double max_round_trip(Quantile quantile, Cdf cdf, double relative, double absolute) {
    double worst = 0.0;
    for (double p : probabilities()) {
        const double x = quantile(p);
        const double allowed = relative * std::min(p, 1.0 - p) + absolute;
        worst = std::max(worst, std::fabs(cdf(x) - p) / allowed);
    }
    return worst;
}

// Floats near 1 are 6e-8 apart, so a probability there is known to 1.2e-7.
constexpr double kFloatNearOne = 1.2e-7;

}  // namespace

TEST(NormalAgainstBoost, Cdf) {
    const bm::normal N;
    std::vector<double> xs;
    for (double x = -10.0; x <= 10.0; x += 0.01) xs.push_back(x);
    EXPECT_LT(max_cdf_error(xs, normal, [&](double x) { return bm::cdf(N, x); }), 2e-7);
    EXPECT_NEAR(normal(0.0), 0.5, 1e-7);
    // erfc_approx is 0 from 6.5 on, which Phi reaches at |x| = 9.19.
    EXPECT_EQ(normal(7.0), 1.0);
    EXPECT_EQ(normal(-9.5), 0.0);
}

// The bisection stops relative to the smaller tail, so the far lower tail is
// as accurate as the centre.
TEST(NormalAgainstBoost, QuantileRoundTrip) {
    const bm::normal N;
    EXPECT_LE(max_round_trip(inv_normal, [&](double x) { return bm::cdf(N, x); }, 2e-5, kFloatNearOne), 1.0);
    EXPECT_NEAR(inv_normal(1e-8), bm::quantile(N, 1e-8), 1e-5);
    EXPECT_NEAR(inv_normal(1e-12), bm::quantile(N, 1e-12), 1e-5);
    EXPECT_NEAR(inv_normal(0.5), 0.0, 1e-6);
}

TEST(ChiSquareAgainstBoost, Cdf) {
    for (int n : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 15, 20, 30, 39, 40, 41, 50, 75, 100}) {
        SCOPED_TRACE("n = " + std::to_string(n));
        const bm::chi_squared C(n);
        const double last = bm::quantile(bm::complement(C, 1e-10));
        EXPECT_LT(max_cdf_error(points(last, 1000), [n](double x) { return chi2(x, n); },
                                [&](double x) { return bm::cdf(C, x); }),
                  1e-6);
    }
}

TEST(ChiSquareAgainstBoost, TwoDegreesOfFreedomIsAnExponential) {
    for (double x : points(40.0, 80)) EXPECT_NEAR(chi2(x, 2), 1.0 - std::exp(-x / 2.0), 1e-7) << x;
}

TEST(ChiSquareAgainstBoost, QuantileRoundTripBelow40Degrees) {
    for (int n : {1, 2, 3, 4, 5, 7, 10, 20, 30, 39}) {
        SCOPED_TRACE("n = " + std::to_string(n));
        const bm::chi_squared C(n);
        EXPECT_LE(max_round_trip([n](double p) { return inv_chi2(p, n); }, [&](double x) { return bm::cdf(C, x); },
                                 2e-5, 1e-6),
                  1.0);
    }
}

// The series of the lower tail is summed to its relative stop, however many
// terms that takes, and no x > 0 counts as 0. Far in the upper tail that stop
// (1e-6 of the value) moves the quantile by up to a few parts in 1000.
TEST(ChiSquareAgainstBoost, QuantilesInBothTails) {
    struct Case {
        double p;
        int n;
        double relative;
    };
    const Case cases[] = {
        {0.9999, 1, 2e-3},  // 15.137
        {0.99999, 2, 5e-3},
        {0.999, 39, 1e-4},
        {1e-10, 30, 1e-4},  // 3.043
        {1e-8, 1, 1e-4},    // 1.57e-16
        {1e-6, 3, 1e-4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("p = " + std::to_string(c.p) + ", n = " + std::to_string(c.n));
        const double expected = bm::quantile(bm::chi_squared(c.n), c.p);
        EXPECT_NEAR(inv_chi2(c.p, c.n), expected, c.relative * expected);
    }
}

// From 40 degrees of freedom the quantile is the Wilson-Hilferty
// approximation, good to about 1e-4 in probability at 40 degrees and better
// above.
TEST(ChiSquareAgainstBoost, WilsonHilfertyFrom40Degrees) {
    for (int n : {40, 41, 60, 100, 1000}) {
        SCOPED_TRACE("n = " + std::to_string(n));
        const bm::chi_squared C(n);
        for (double p : {0.001, 0.01, 0.1, 0.5, 0.9, 0.99, 0.999}) {
            EXPECT_NEAR(bm::cdf(C, inv_chi2(p, n)), p, 2e-4) << p;
        }
    }
    // Below 40 degrees the stepping search meets the exact quantile.
    const double p = 0.01;
    EXPECT_NEAR(bm::cdf(bm::chi_squared(39), inv_chi2(p, 39)), p, 1e-5 * p);
    const float z = static_cast<float>(inv_normal(p));
    const float h = 0.2222222f / 40.0f;
    const float t = 1.0f - h + z * std::sqrt(h);
    EXPECT_FLOAT_EQ(static_cast<float>(inv_chi2(p, 40)), 40.0f * t * t * t);
}

TEST(FisherAgainstBoost, Cdf) {
    const int small[] = {1, 2, 3, 4, 5, 6, 7, 10, 15, 20};
    const int moderate[] = {1, 2, 3, 10, 50, 100};
    auto check = [](int n1, int n2, double tolerance) {
        SCOPED_TRACE(std::to_string(n1) + ", " + std::to_string(n2));
        const bm::fisher_f F(n1, n2);
        const double last = std::min(1e6, bm::quantile(bm::complement(F, 1e-8)));
        EXPECT_LT(max_cdf_error(points(last, 400), [=](double x) { return fisher(x, n1, n2); },
                                [&](double x) { return bm::cdf(F, x); }),
                  tolerance);
    };
    for (int n1 : small) {
        for (int n2 : small) check(n1, n2, 1e-6);
    }
    for (int n1 : moderate) {
        for (int n2 : moderate) check(n1, n2, 5e-6);
    }
}

TEST(FisherAgainstBoost, QuantileRoundTrip) {
    for (int n1 : {1, 2, 3, 5, 10, 20}) {
        for (int n2 : {1, 2, 3, 5, 10, 20}) {
            SCOPED_TRACE(std::to_string(n1) + ", " + std::to_string(n2));
            const bm::fisher_f F(n1, n2);
            EXPECT_LE(max_round_trip([=](double p) { return inv_fisher(p, n1, n2); },
                                     [&](double x) { return bm::cdf(F, x); }, 1e-3, 2e-6),
                      1.0);
        }
    }
}

// Far in the upper tail of few degrees of freedom the quantile is found
// through the complementary beta quantile; it stays finite.
TEST(FisherAgainstBoost, UpperTailQuantilesAreFinite) {
    for (int n1 : {1, 2, 5}) {
        SCOPED_TRACE(n1);
        const double expected = bm::quantile(bm::fisher_f(n1, 1), 0.9999);
        EXPECT_NEAR(inv_fisher(0.9999, n1, 1), expected, 2e-3 * expected);
    }
}

// With hundreds or thousands of degrees of freedom the single-precision
// series lose accuracy: these bounds record what the float layer achieves.
TEST(DistributionsAgainstBoost, LargeDegreesOfFreedomWithinTheFloatLayer) {
    for (int n : {200, 500, 1000}) {
        SCOPED_TRACE("chi2 n = " + std::to_string(n));
        const bm::chi_squared C(n);
        const double last = bm::quantile(bm::complement(C, 1e-10));
        EXPECT_LT(max_cdf_error(points(last, 500), [n](double x) { return chi2(x, n); },
                                [&](double x) { return bm::cdf(C, x); }),
                  n <= 200 ? 2e-6 : 1e-3);
    }
    for (int n1 : {1, 10, 1000, 5000}) {
        for (int n2 : {1, 10, 1000, 5000}) {
            SCOPED_TRACE("fisher " + std::to_string(n1) + ", " + std::to_string(n2));
            const bm::fisher_f F(n1, n2);
            const double last = std::min(1e6, bm::quantile(bm::complement(F, 1e-8)));
            EXPECT_LT(max_cdf_error(points(last, 200), [=](double x) { return fisher(x, n1, n2); },
                                    [&](double x) { return bm::cdf(F, x); }),
                      3e-4);
        }
    }
}
