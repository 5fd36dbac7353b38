// The random-number exports: the multiplicative congruential generator of
// Park and Miller (multiplier 16807, modulus 2^31 - 1) computed in double
// precision, a fast uniform generator on the C library's rand(), and sums of
// ten uniforms as approximately normal values.
#include <cmath>
#include <cstdlib>
#include <ctime>

#include "numerics/FortranOps.h"
#include "numerics/calvex.h"
#include "numerics/random/Random.h"

namespace calvex {

std::int32_t rnd_seed = 654321;

// The generator depends on its seed only modulo 2^31 - 1, so a time within
// 1 .. 2^31 - 2 is the seed itself and any other time is taken modulo 2^31 - 1
// into that range; a remainder of 0, on which the generator would stay, becomes 1.
std::int32_t seed_from_time(std::time_t seconds) {
    constexpr long long kModulus = 2147483647;
    long long remainder = static_cast<long long>(seconds) % kModulus;
    if (remainder < 0) remainder += kModulus;
    return static_cast<std::int32_t>(remainder == 0 ? 1 : remainder);
}

}  // namespace calvex

namespace {

constexpr double kModulus = 2147483647.0;
constexpr double kTwoToMinus31 = 4.656612873077393e-10;
// rand() + 0.001 over RAND_MAX + 0.1 lies in (0, 1) for any RAND_MAX.
constexpr double kRandScale = 1.0 / (RAND_MAX + 0.1);
const double kSqrtOfTenTwelfths = std::sqrt(0.8333333333333333);

template <class Uniform>
double sum_of_ten(Uniform uniform) {
    double sum = 0.0;
    for (int k = 0; k < 10; ++k) sum += uniform();
    return (sum - 5.0) / kSqrtOfTenTwelfths;
}

}  // namespace

extern "C" {

CALVEX_API void init_rnd() {
    const std::time_t now = std::time(nullptr);
    calvex::rnd_seed = calvex::seed_from_time(now);
    std::srand(static_cast<unsigned>(now));
}

CALVEX_API double rnd() {
    const double y = 16807.0 * calvex::rnd_seed;
    const double s = calvex::fortran_mod(y, kModulus);
    calvex::rnd_seed = static_cast<std::int32_t>(s);
    return s * kTwoToMinus31;
}

CALVEX_API double randn() { return sum_of_ten(rnd); }

CALVEX_API double rnd_fast() { return (std::rand() + 0.001) * kRandScale; }

CALVEX_API double randn_fast() { return sum_of_ten(rnd_fast); }

}  // extern "C"
