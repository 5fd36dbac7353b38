// The generator's state when the library has just been loaded.
#include <gtest/gtest.h>

#include <cmath>

#include "numerics/calvex.h"

// Without init_rnd the seed is 654321 on every run.
TEST(RandomFresh, FirstValueComesFromTheInitialSeed) {
    const double first = std::fmod(16807.0 * 654321.0, 2147483647.0);
    EXPECT_EQ(rnd(), first * 4.656612873077393e-10);
    EXPECT_EQ(rnd(), std::fmod(16807.0 * first, 2147483647.0) * 4.656612873077393e-10);
}
