#pragma once
// The gamma function of a complex argument in single precision.
#include <complex>

namespace calvex {

enum GammaMode : int {
    kLogGamma = 0,  // ln Gamma(z)
    kGamma = 1,     // Gamma(z)
};

// Gamma(z) or ln Gamma(z) by the Stirling series, with upward shifts for
// small arguments and the reflection formula for a negative real part.
// Mode kGamma: 0 for Re z < -21.5 or |Im z| > 27.5; code 65 for Re z > 21.4,
// 66 when the value exceeds the largest float. Both modes: code 67 at 0 and
// the negative integers.
std::complex<float> complex_gamma(std::complex<float> z, int mode, unsigned& code);

}  // namespace calvex
