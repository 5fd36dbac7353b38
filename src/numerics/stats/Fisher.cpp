#include "numerics/stats/Fisher.h"

#include <algorithm>
#include <cmath>

#include "numerics/stats/Beta.h"
#include "numerics/stats/CompensatedSum.h"
#include "numerics/stats/Failure.h"

namespace calvex {
namespace {

constexpr float kTwoOverPi = 0.636619806f;

// prefactor x (1 + t_1 + t_2 + ...), each t_k the previous times a ratio.
// Terms grow large when the prefactor is small; once a term passes 1e13 the
// terms are carried as logarithms, ln(t_k prefactor), and added as their
// exponentials. All sums are compensated, so that thousands of terms add no
// more than a rounding or two.
class ScaledSeries {
public:
    explicit ScaledSeries(float log_prefactor) : log_prefactor_(log_prefactor) {}

    void next(float ratio) {
        if (!logarithmic_) {
            term_ *= ratio;
            if (term_ <= 1e13f) {
                partial_.add(term_);
                return;
            }
            logarithmic_ = true;
            log_scaled_term_ = CompensatedSum(std::log(term_) + log_prefactor_);
        } else {
            log_scaled_term_.add(std::log(ratio));
        }
        tail_.add(std::exp(log_scaled_term_.value()));
    }

    float value() const { return std::exp(log_prefactor_) * partial_.value() + tail_.value(); }

private:
    float log_prefactor_;
    float term_ = 1.0f;
    CompensatedSum partial_{1.0f};
    bool logarithmic_ = false;
    CompensatedSum log_scaled_term_;
    CompensatedSum tail_;
};

// ln w and ln y, each from whichever of w and y = 1 - w is the smaller (both
// come straight from x): the logarithm of a rounded value near 1 would lose
// its precision when raised to a large power.
float log_of(float value, float complement) {
    return value < 0.5f ? std::log(value) : std::log1p(-complement);
}

// n1 even: P = 1 - w^(n2/2) sum_(k < n1/2) C(n2/2 + k - 1, k) y^k.
float even_n1(float y, float w, int n1, int n2) {
    const float half_n2 = 0.5f * static_cast<float>(n2);
    ScaledSeries series(half_n2 * log_of(w, y));
    for (int k = 1; k < n1 / 2; ++k) series.next((half_n2 + static_cast<float>(k - 1)) / static_cast<float>(k) * y);
    return 1.0f - series.value();
}

// n2 even: P = y^(n1/2) sum_(k < n2/2) C(n1/2 + k - 1, k) w^k.
float even_n2(float y, float w, int n1, int n2) {
    const float half_n1 = 0.5f * static_cast<float>(n1);
    ScaledSeries series(half_n1 * log_of(y, w));
    for (int k = 1; k < n2 / 2; ++k) series.next((half_n1 + static_cast<float>(k - 1)) / static_cast<float>(k) * w);
    return series.value();
}

// Both odd: P = A - B with theta = atan(sqrt(n1 x / n2)),
// A = (2/pi) [theta + sin cos (1 + (2/3) cos^2 + (2 4)/(3 5) cos^4 + ...)], (n2 - 1)/2 terms in the bracket,
// B = c sin cos^n2 (1 + (n2 + 1)/3 sin^2 + ...), (n1 - 1)/2 terms,
// c = (2/pi) prod_(j = 1, 3, .., n2 - 2) (j + 1) / j.
float both_odd(float x, float y, float w, int n1, int n2) {
    const float theta = std::atan(std::sqrt(static_cast<float>(n1) * x / static_cast<float>(n2)));
    const float s = std::sin(theta);
    const float c = std::cos(theta);
    const float c2 = c * c;
    const float s2 = s * s;

    float a = theta;
    float coefficient = kTwoOverPi;
    if (n2 > 1) {
        float term = 1.0f;
        CompensatedSum sum(1.0f);
        for (int k = 1; 2 * k + 1 < n2; ++k) {
            term *= c2 * static_cast<float>(2 * k) / static_cast<float>(2 * k + 1);
            sum.add(term);
        }
        a += s * c * sum.value();
        for (int j = 1; j + 2 <= n2; j += 2) coefficient *= static_cast<float>(j + 1) / static_cast<float>(j);
    }
    a *= kTwoOverPi;

    float b = 0.0f;
    if (n1 > 1) {
        // ln(sin theta) = ln(y) / 2, ln(cos theta) = ln(w) / 2.
        const float log_s = 0.5f * log_of(y, w);
        const float log_c = 0.5f * log_of(w, y);
        ScaledSeries series(std::log(coefficient) + log_s + static_cast<float>(n2) * log_c);
        for (int k = 1; 2 * k + 1 < n1; ++k) {
            series.next(s2 * static_cast<float>(n2 + 2 * k - 1) / static_cast<float>(2 * k + 1));
        }
        b = series.value();
    }
    return a - b;
}

}  // namespace

float fisher_cdf(float x, int n1, int n2, unsigned& code) {
    code = 0;
    if (n1 < 1 || n2 < 1 || static_cast<long long>(n1) + n2 > 20000) {
        return fail("fisher_cdf",
                    {65, 1, "one or both degrees of freedom are below 1 or their sum exceeds 20000", true}, code);
    }
    if (!(x >= 0.0f)) return fail("fisher_cdf", {66, 2, "the given integration limit is below 0", true}, code);
    if (x == 0.0f) return 0.0f;
    if (std::isinf(x)) return 1.0f;
    const float denominator = static_cast<float>(n2) + static_cast<float>(n1) * x;
    const float w = static_cast<float>(n2) / denominator;
    const float y = static_cast<float>(n1) * x / denominator;
    if (y == 0.0f) return 0.0f;
    float p;
    if (n1 % 2 == 0) {
        p = even_n1(y, w, n1, n2);
    } else if (n2 % 2 == 0) {
        p = even_n2(y, w, n1, n2);
    } else {
        p = both_odd(x, y, w, n1, n2);
    }
    return std::clamp(p, 0.0f, 1.0f);
}

float fisher_quantile(float p, float n1, float n2, unsigned& code) {
    code = 0;
    if (!(p > 0.0f && p < 1.0f)) {
        return fail("fisher_quantile", {65, 1, "the given probability is not in (0, 1)", true}, code);
    }
    if (!(n1 > 0.0f && n2 > 0.0f)) {
        return fail("fisher_quantile", {66, 2, "one or both degrees of freedom are <= 0", true}, code);
    }
    // x = y n2 / ((1 - y) n1) with I_y(n1/2, n2/2) = p. Above the median
    // 1 - y is found directly, as the quantile 1 - p of I(n2/2, n1/2), since
    // y itself comes so close to 1 there that it rounds to 1.
    unsigned beta_code = 0;
    const bool upper = p > 0.5f;
    const float found = upper ? beta_quantile(1.0f - p, 0.5f * n2, 0.5f * n1, beta_code)
                              : beta_quantile(p, 0.5f * n1, 0.5f * n2, beta_code);
    if (beta_code != 0) {
        return fail("fisher_quantile", {67, 3, "the value cannot be found within 30 iterations", true}, code);
    }
    const float y = upper ? 1.0f - found : found;
    const float one_minus_y = upper ? found : 1.0f - found;
    return y * n2 / (one_minus_y * n1);
}

}  // namespace calvex
