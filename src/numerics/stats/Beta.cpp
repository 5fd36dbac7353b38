#include "numerics/stats/Beta.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "numerics/FortranOps.h"
#include "numerics/stats/Bisection.h"
#include "numerics/stats/ComplexGamma.h"
#include "numerics/stats/Failure.h"

namespace calvex {
namespace {

// The smallest normal float and its logarithm; the logarithm of the smallest
// subnormal float.
constexpr float kMinFloat = 1.175495e-38f;
constexpr float kLogMinFloat = -87.33655f;
constexpr float kLogMinSubnormal = -103.2789f;
// Bounds on loops that converge much sooner; they only guarantee an end.
constexpr int kMaxSeriesTerms = 10000;

float log_gamma(float z) {
    unsigned code = 0;
    return complex_gamma(z, kLogGamma, code).real();
}

// I_x(a, f) for 0 < x <= 1/2, 0 < f <= 1, from the power series
// B_x(a, f) = x^a sum_k (1 - f)_k x^k / (k! (a + k)): the leading factor is
// x^a Gamma(a + f) / (Gamma(a + 1) Gamma(f)) and the series
// 1 + sum_(k >= 1) a t_k / (a + k) with t_k = t_(k-1) (k - f) x / k.
float first_sum(float x, float a, float f) {
    const float log_factor = a * std::log(x) + log_gamma(a + f) - log_gamma(a + 1.0f) - log_gamma(f);
    if (fortran_trunc(log_factor / kLogMinSubnormal) != 0.0f) return 0.0f;
    float sum = 1.0f;
    float t = 1.0f;
    for (int k = 1; k <= kMaxSeriesTerms; ++k) {
        t *= (static_cast<float>(k) - f) * x / static_cast<float>(k);
        const float term = t * a / (static_cast<float>(k) + a);
        sum += term;
        if (!(term > 1e-6f * sum)) break;
    }
    return std::exp(log_factor) * sum;
}

// I_x(a, f + n) - I_x(a, f) = sum_(j < n) T_j with
// T_j = x^a (1 - x)^(f + j) Gamma(a + f + j) / (Gamma(a) Gamma(f + j + 1)),
// summed downward from T_(n-1). The running term is kept as t x kMinFloat^scale
// so that terms below the float range are carried until they become
// representable; only those are added.
float finite_sum(float x, float a, float f, long long n) {
    const float b = f + static_cast<float>(n);
    float log_term = a * std::log(x) + (b - 1.0f) * std::log1p(-x) + log_gamma(a + b - 1.0f) - log_gamma(a) -
                     log_gamma(b);
    int scale = 0;
    if (log_term < kLogMinFloat) {
        scale = static_cast<int>(log_term / kLogMinFloat);
        log_term -= static_cast<float>(scale) * kLogMinFloat;
    }
    float t = std::exp(log_term);
    float sum = 0.0f;
    for (long long j = n - 1;; --j) {
        if (scale == 0) {
            sum += t;
            if (t < 1e-6f * sum) break;
        }
        if (j == 0) break;
        const float fj = f + static_cast<float>(j);
        t *= fj / ((1.0f - x) * (a + fj - 1.0f));
        if (scale > 0 && t > 1.0f) {
            t *= kMinFloat;
            --scale;
        }
        if (t == 0.0f || (scale == 0 && t < kMinFloat)) break;
    }
    return sum;
}

}  // namespace

float beta_ratio(float x, float a, float b, unsigned& code) {
    code = 0;
    if (!(x >= 0.0f && x <= 1.0f)) {
        return fail("beta_ratio", {65, 1, "the argument is not in the segment [0, 1]", true}, code);
    }
    if (!(a > 0.0f && b > 0.0f)) {
        return fail("beta_ratio", {66, 2, "one or both beta parameters are <= 0", true}, code);
    }
    const bool complement = x > 0.5f;
    if (complement) {
        std::swap(a, b);
        x = 1.0f - x;
    }
    float result = 0.0f;
    if (x > 0.0f) {
        // b = n + f with f in (0, 1].
        float n = fortran_trunc(b);
        float f = b - n;
        if (f == 0.0f) {
            f = 1.0f;
            n -= 1.0f;
        }
        result = first_sum(x, a, f);
        if (n >= 1.0f) result += finite_sum(x, a, f, static_cast<long long>(n));
        result = std::clamp(result, 0.0f, 1.0f);
    }
    return complement ? 1.0f - result : result;
}

float beta_quantile(float p, float a, float b, unsigned& code) {
    code = 0;
    if (!(a > 0.0f && b > 0.0f)) {
        return fail("beta_quantile", {65, 1, "one or both beta parameters are <= 0", true}, code);
    }
    if (!(p >= 0.0f && p <= 1.0f)) {
        return fail("beta_quantile", {67, 3, "the given probability is outside the segment [0, 1]", true}, code);
    }
    const auto cdf = [a, b](float x) {
        unsigned ignored = 0;
        return beta_ratio(x, a, b, ignored);
    };
    const auto stop = [](float d, float lo, float hi, float mid) {
        return std::fabs(d) <= 1e-6f && hi - lo <= 1e-6f * std::fabs(mid);
    };
    // No fixed count of midpoints: a quantile near 0 needs more halvings of
    // [0, 1] than 38 to be found at all (I_x(1/2, b) = 1e-12 at x ~ 1e-24).
    return bisect(0.0f, 1.0f, p, cdf, stop, kUnboundedSteps);
}

}  // namespace calvex
