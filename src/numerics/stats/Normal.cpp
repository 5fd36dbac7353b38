#include "numerics/stats/Normal.h"

#include <cmath>

#include "numerics/stats/Bisection.h"
#include "numerics/stats/Failure.h"

namespace calvex {

float erfc_approx(float x) {
    if (std::isnan(x)) return x;
    const float t = std::fabs(x);
    float value = 0.0f;
    if (t < 6.5f) {
        const float numerator =
            ((((((0.56419f * t + 6.802899f) * t + 38.71143f) * t + 131.1266f) * t + 278.5978f) * t + 355.969f) * t +
             224.1828f);
        const float denominator =
            (((((((t + 12.05784f) * t + 69.11384f) * t + 238.4503f) * t + 527.5538f) * t + 741.5214f) * t +
              608.9322f) *
                 t +
             224.1828f);
        value = std::exp(-t * t) * numerator / denominator;
    }
    return x < 0.0f ? 2.0f - value : value;
}

float normal_cdf(float x) { return 0.5f * erfc_approx(-0.7071067f * x); }

float normal_quantile(float p, unsigned& code) {
    code = 0;
    if (!(p > 0.0f && p < 1.0f)) {
        return fail("normal_quantile", {65, 1, "the given probability is not in the interval (0, 1)", true}, code);
    }
    return bisect(-9.23f, 9.23f, p, normal_cdf, tail_stop(p), kUnboundedSteps);
}

}  // namespace calvex
