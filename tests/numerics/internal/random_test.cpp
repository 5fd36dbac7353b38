// The random numbers: the Park-Miller sequence, seeding, ranges and moments.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <limits>

#include "numerics/calvex.h"
#include "numerics/random/Random.h"

namespace {

// Sets the seed for one test and restores the previous one afterwards.
class SeedGuard {
public:
    explicit SeedGuard(std::int32_t seed) : saved_(calvex::rnd_seed) { calvex::rnd_seed = seed; }
    ~SeedGuard() { calvex::rnd_seed = saved_; }

private:
    std::int32_t saved_;
};

struct Moments {
    double min = std::numeric_limits<double>::infinity();
    double max = -std::numeric_limits<double>::infinity();
    double mean = 0.0;
    double variance = 0.0;
};

template <class Generator>
Moments moments(Generator generate, int count) {
    Moments m;
    double sum = 0.0;
    double squares = 0.0;
    for (int k = 0; k < count; ++k) {
        const double v = generate();
        m.min = std::min(m.min, v);
        m.max = std::max(m.max, v);
        sum += v;
        squares += v * v;
    }
    m.mean = sum / count;
    m.variance = squares / count - m.mean * m.mean;
    return m;
}

constexpr int kDraws = 200000;

}  // namespace

// The published check of the minimal standard generator.
TEST(Random, ParkMillerCheckValue) {
    const SeedGuard seed(1);
    double last = 0.0;
    for (int k = 0; k < 10000; ++k) last = rnd();
    EXPECT_EQ(calvex::rnd_seed, 1043618065);
    EXPECT_EQ(last, 1043618065 * 4.656612873077393e-10);
}

TEST(Random, SeedZeroStaysZero) {
    const SeedGuard seed(0);
    EXPECT_EQ(rnd(), 0.0);
    EXPECT_EQ(rnd(), 0.0);
}

// The seed is the calendar time itself; any time, also past 2038 or before
// 1970, gives a seed in 1 .. 2^31 - 2, where the generator never reaches 0.
TEST(Random, SeedsFromTimeAreValid) {
    struct Case {
        long long seconds;
        std::int32_t seed;
    };
    const Case cases[] = {
        {0, 1}, {1, 1}, {1700000000, 1700000000}, {2147483646, 2147483646}, {2147483647, 1},
        {2147483648LL, 1}, {-1, 2147483646}, {-2147483646LL, 1}, {4102444800LL, 1954961153},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(calvex::seed_from_time(static_cast<std::time_t>(c.seconds)), c.seed) << c.seconds;
    }
}

TEST(Random, InitRndSeedsFromTheClock) {
    const SeedGuard seed(654321);
    const std::time_t before = std::time(nullptr);
    init_rnd();
    const std::time_t after = std::time(nullptr);
    EXPECT_TRUE(calvex::rnd_seed == calvex::seed_from_time(before) || calvex::rnd_seed == calvex::seed_from_time(after));
}

TEST(Random, UniformRangeAndMoments) {
    const SeedGuard seed(12345);
    const Moments m = moments(rnd, kDraws);
    EXPECT_GT(m.min, 0.0);
    EXPECT_LT(m.max, 1.0);
    EXPECT_NEAR(m.mean, 0.5, 3e-3);
    EXPECT_NEAR(m.variance, 1.0 / 12.0, 2e-3);
}

TEST(Random, NormalRangeAndMoments) {
    const SeedGuard seed(777);
    const Moments m = moments(randn, kDraws);
    const double bound = 5.0 / std::sqrt(10.0 / 12.0);
    EXPECT_GE(m.min, -bound);
    EXPECT_LE(m.max, bound);
    EXPECT_NEAR(m.mean, 0.0, 1e-2);
    EXPECT_NEAR(m.variance, 1.0, 2e-2);
}

// rand() here has 31 bits; the values still stay inside (0, 1) and fill it.
TEST(Random, FastUniformRangeAndMoments) {
    std::srand(4242);
    const Moments m = moments(rnd_fast, kDraws);
    EXPECT_GT(m.min, 0.0);
    EXPECT_LT(m.max, 1.0);
    EXPECT_GT(m.max, 0.99);
    EXPECT_NEAR(m.mean, 0.5, 3e-3);
    EXPECT_NEAR(m.variance, 1.0 / 12.0, 2e-3);
}

TEST(Random, FastNormalRangeAndMoments) {
    std::srand(99);
    const Moments m = moments(randn_fast, kDraws);
    const double bound = 5.0 / std::sqrt(10.0 / 12.0);
    EXPECT_GE(m.min, -bound);
    EXPECT_LE(m.max, bound);
    EXPECT_NEAR(m.mean, 0.0, 1e-2);
    EXPECT_NEAR(m.variance, 1.0, 2e-2);
}
