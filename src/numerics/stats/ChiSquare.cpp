#include "numerics/stats/ChiSquare.h"

#include <algorithm>
#include <cmath>

#include "numerics/stats/Bisection.h"
#include "numerics/stats/CompensatedSum.h"
#include "numerics/stats/ComplexGamma.h"
#include "numerics/stats/Failure.h"
#include "numerics/stats/Normal.h"

namespace calvex {
namespace {

constexpr float kInvSqrtPi = 0.5641896f;
constexpr float kLogSqrtPi = 0.572364926f;
// Up to this a = x / 2 the series is summed directly. The terms are scaled by
// e^(-a/2) and the sum by e^(-a/2) again, so that neither the terms (up to
// about e^(a/2)) nor the factor leave the float range.
constexpr float kDirectLimit = 174.0f;
// Exponents below this give terms too small to count.
constexpr float kNegligibleExponent = -174.0f;
// Bound on the power series, which converges much sooner; it only
// guarantees an end.
constexpr int kMaxSeriesTerms = 10000;

// The terms of Q beyond the first, for n > 2: e^-a sum a^z / Gamma(z + 1) over
// z = 1, 2, .. (even n) or z = 1/2, 3/2, .. (odd n), z < n/2.
float upper_tail_series(float a, int n) {
    const bool even = n % 2 == 0;
    const long long count = even ? n / 2 - 1 : n / 2;  // the number of z values
    CompensatedSum sum;
    if (a <= kDirectLimit) {
        const float half_factor = std::exp(-0.5f * a);
        float term = (even ? 1.0f : kInvSqrtPi / std::sqrt(a)) * half_factor;
        for (long long k = 0; k < count; ++k) {
            const float z = (even ? 1.0f : 0.5f) + static_cast<float>(k);
            term *= a / z;
            if (sum.value() + term == sum.value()) break;  // the term no longer changes the sum
            sum.add(term);
        }
        return sum.value() * half_factor;
    }
    const float log_a = std::log(a);
    float log_factorial = even ? 0.0f : kLogSqrtPi;
    for (long long k = 0; k < count; ++k) {
        const float z = (even ? 1.0f : 0.5f) + static_cast<float>(k);
        log_factorial += std::log(z);
        const float exponent = z * log_a - a - log_factorial;
        if (exponent >= kNegligibleExponent) {
            sum.add(std::exp(exponent));
        } else if (z > a) {
            break;  // past the largest term; the rest only get smaller
        }
    }
    return sum.value();
}

// y^e e^-y: as a power times an exponential, each rounded once, wherever
// neither leaves the float range; else as one exponential of its logarithm.
float power_times_exp(float y, float e) {
    const float log_power = e * std::log(y);
    if (std::fabs(log_power) < 80.0f && y < 80.0f) return std::pow(y, e) * std::exp(-y);
    return std::exp(log_power - y);
}

}  // namespace

float chi2_cdf(float x, int n, unsigned& code) {
    code = 0;
    if (!(x >= 0.0f)) return fail("chi2_cdf", {65, 1, "the given integration limit is below 0", true}, code);
    if (n < 1) return fail("chi2_cdf", {66, 2, "the given degree of freedom is below 1", true}, code);
    if (x == 0.0f) return 1.0f;
    if (std::isinf(x)) return 0.0f;
    const float a = 0.5f * x;
    float q;
    if (n % 2 == 0) {
        q = std::exp(-a);
    } else {
        const float root = std::sqrt(a);
        q = root >= 13.3f ? 0.0f : erfc_approx(root);
    }
    if (n > 2) q += upper_tail_series(a, n);
    return std::min(q, 1.0f);
}

float chi2_cdf_real(float x, float n, unsigned& code) {
    code = 0;
    if (!(n >= 0.5f)) return fail("chi2_cdf_real", {65, 1, "the given degree of freedom is below 0.5", true}, code);
    if (!(x >= 0.0f)) return fail("chi2_cdf_real", {66, 2, "the upper integration limit is below 0", true}, code);
    if (x == 0.0f) return 0.0f;
    if (n > 40.0f) return normal_cdf(std::sqrt(2.0f * x) - std::sqrt(2.0f * n - 1.0f));
    if (std::isinf(x)) return 1.0f;

    const float a = 0.5f * n;
    const float y = 0.5f * x;
    unsigned gamma_code = 0;
    const float gamma_a = complex_gamma(a, kGamma, gamma_code).real();
    if (y >= std::max(0.5f * a, 13.0f)) {
        // The asymptotic series of the upper tail, y^(a-1) e^-y / Gamma(a) times
        // 1 + (a-1)/y + (a-1)(a-2)/y^2 + ..., at most 20 terms. Where it does
        // not reach its relative stop within them (y not far above a) the
        // power series below is used instead.
        float term = 1.0f;
        CompensatedSum sum(1.0f);
        for (int k = 1; k <= 20; ++k) {
            term *= (a - static_cast<float>(k)) / y;
            sum.add(term);
            if (std::fabs(term) < 1e-6f * std::fabs(sum.value())) {
                return 1.0f - power_times_exp(y, a - 1.0f) * sum.value() / gamma_a;
            }
        }
    }
    // The power series y^a e^-y / Gamma(a + 1) sum_k y^k / ((a+1)..(a+k)),
    // summed until a term falls below 1e-6 of the sum.
    float term = 1.0f;
    CompensatedSum sum(1.0f);
    for (int k = 1; k <= kMaxSeriesTerms; ++k) {
        term *= y / (a + static_cast<float>(k));
        sum.add(term);
        if (term < 1e-6f * sum.value()) break;
    }
    return std::min(power_times_exp(y, a) * sum.value() / (a * gamma_a), 1.0f);
}

float chi2_quantile(float p, float n, unsigned& code) {
    code = 0;
    if (!(p > 0.0f && p < 1.0f)) {
        return fail("chi2_quantile", {65, 1, "the given probability is not in the interval (0, 1)", true}, code);
    }
    if (!(n >= 0.5f)) return fail("chi2_quantile", {66, 2, "the given degree of freedom is below 0.5", true}, code);
    if (n >= 40.0f) {
        unsigned normal_code = 0;
        const float z = normal_quantile(p, normal_code);
        const float h = 0.2222222f / n;
        const float t = 1.0f - h + z * std::sqrt(h);
        return n * t * t * t;
    }
    const auto cdf = [n](float x) {
        unsigned ignored = 0;
        return chi2_cdf_real(x, n, ignored);
    };
    // cdf(0) = 0 < p, so the search ends at x >= 1.
    float x = 0.0f;
    while (cdf(x) < p) x += 1.0f;
    return bisect(x - 1.0f, x, p, cdf, tail_stop(p), kUnboundedSteps);
}

}  // namespace calvex
