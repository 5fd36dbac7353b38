#pragma once
// The bisection shared by the quantile routines.
#include <cmath>

namespace calvex {

// Searches [lo, hi] for the x where cdf(x) = p. Each midpoint's residual
// d = cdf(mid) - p is compared with the residual kept for lo (initially -p):
// the same sign moves lo, otherwise hi. Returns the first midpoint for which
// stop(d, lo, hi, mid) holds, or the last one after `max_steps` midpoints.
template <class Cdf, class Stop>
float bisect(float lo, float hi, float p, Cdf cdf, Stop stop, int max_steps) {
    float residual_lo = -p;
    float mid = lo;
    for (int step = 0; step < max_steps; ++step) {
        mid = (lo + hi) / 2.0f;
        const float d = cdf(mid) - p;
        if (stop(d, lo, hi, mid)) break;
        if (d * residual_lo > 0.0f) {
            lo = mid;
            residual_lo = d;
        } else {
            hi = mid;
        }
    }
    return mid;
}

// More midpoints than a float interval can be halved into: a bound that only
// guarantees the end of a search whose own stop rule could not be met.
inline constexpr int kUnboundedSteps = 300;

// The stop rule of the normal and chi-square quantiles: the residual within
// 1e-6 of the smaller tail probability, or the interval within 1e-6 of |mid|.
struct TailStop {
    float tolerance;
    bool operator()(float d, float lo, float hi, float mid) const {
        return std::fabs(d) <= tolerance || hi - lo <= 1e-6f * std::fabs(mid);
    }
};

inline TailStop tail_stop(float p) { return {1e-6f * std::fmin(p, 1.0f - p)}; }

}  // namespace calvex
