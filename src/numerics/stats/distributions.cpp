// The distribution exports: each converts its arguments to single precision
// and calls a routine of the statistics layer.
#include <cmath>
#include <limits>

#include "numerics/calvex.h"
#include "numerics/stats/ChiSquare.h"
#include "numerics/stats/Failure.h"
#include "numerics/stats/Fisher.h"
#include "numerics/stats/Normal.h"

namespace {

// Values beyond the float range become infinities (a plain conversion of
// such a value is undefined); NaN stays NaN.
float to_float(double value) {
    constexpr double largest = std::numeric_limits<float>::max();
    if (value > largest) return std::numeric_limits<float>::infinity();
    if (value < -largest) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

}  // namespace

extern "C" {

CALVEX_API double fisher(double x, int n1, int n2) {
    unsigned code = 0;
    return calvex::fisher_cdf(to_float(x), n1, n2, code);
}

CALVEX_API double inv_fisher(double p, int n1, int n2) {
    unsigned code = 0;
    return calvex::fisher_quantile(to_float(p), static_cast<float>(n1), static_cast<float>(n2), code);
}

CALVEX_API double normal(double x) { return calvex::normal_cdf(to_float(x)); }

CALVEX_API double inv_normal(double p) {
    unsigned code = 0;
    return calvex::normal_quantile(to_float(p), code);
}

// The lower tail from the upper one; an error gives the substituted result
// itself, not 1 minus it.
CALVEX_API double chi2(double x, int n) {
    unsigned code = 0;
    const float upper = calvex::chi2_cdf(to_float(x), n, code);
    return code != 0 ? upper : 1.0 - upper;
}

CALVEX_API double inv_chi2(double p, int n) {
    unsigned code = 0;
    return calvex::chi2_quantile(to_float(p), static_cast<float>(n), code);
}

}  // extern "C"
