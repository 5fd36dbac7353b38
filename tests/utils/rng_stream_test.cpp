#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

#include "support/TempDir.h"
#include "utils/backup/backup.h"
#include "utils/random/RngStream.h"

using testing_support::TempDir;

namespace {

using State = std::array<unsigned long, 6>;

constexpr State package_seed = {12345, 12345, 12345, 12345, 12345, 12345};

State state_of(const RngStream& stream) {
    State s{};
    stream.GetState(s.data());
    return s;
}

// MRG32k3a from its definition in exact integer arithmetic:
// x1[n] = (1403580 x1[n-2] - 810728 x1[n-3]) mod m1,
// x2[n] = (527612 x2[n-1] - 1370589 x2[n-3]) mod m2.
struct Reference {
    static constexpr std::int64_t m1 = 4294967087;
    static constexpr std::int64_t m2 = 4294944443;
    std::int64_t x1[3];
    std::int64_t x2[3];

    explicit Reference(const State& s) : x1{std::int64_t(s[0]), std::int64_t(s[1]), std::int64_t(s[2])},
                                         x2{std::int64_t(s[3]), std::int64_t(s[4]), std::int64_t(s[5])} {}

    static std::int64_t mod(std::int64_t v, std::int64_t m) { return ((v % m) + m) % m; }

    void step() {
        const std::int64_t n1 = mod(1403580 * x1[1] - 810728 * x1[0], m1);
        const std::int64_t n2 = mod(527612 * x2[2] - 1370589 * x2[0], m2);
        x1[0] = x1[1], x1[1] = x1[2], x1[2] = n1;
        x2[0] = x2[1], x2[1] = x2[2], x2[2] = n2;
    }
    double next() {
        step();
        const std::int64_t z = mod(x1[2] - x2[2], m1);
        return (z > 0 ? z : m1) * 2.328306549295728e-10;
    }
    State state() const {
        return {static_cast<unsigned long>(x1[0]), static_cast<unsigned long>(x1[1]), static_cast<unsigned long>(x1[2]),
                static_cast<unsigned long>(x2[0]), static_cast<unsigned long>(x2[1]), static_cast<unsigned long>(x2[2])};
    }
};

class Random : public testing::Test {
protected:
    void SetUp() override {
        backup::init((dir.path().string() + "/").c_str());
        ASSERT_TRUE(RngStream::SetPackageSeed(package_seed.data()));
    }
    void TearDown() override { backup::reset(); }

    TempDir dir;
};

}  // namespace

TEST_F(Random, FirstDrawOfThePackageSeedIsThePublishedValue) {
    RngStream stream("ecuyer");
    EXPECT_NEAR(stream.RandU01(), 0.127011122046577, 1e-15);
}

TEST_F(Random, DrawsFollowTheRecurrencesExactly) {
    RngStream stream;
    Reference reference(package_seed);
    for (int i = 0; i < 100000; ++i) {
        const double u = stream.RandU01();
        ASSERT_DOUBLE_EQ(u, reference.next()) << "draw " << i;
        ASSERT_GT(u, 0.0);
        ASSERT_LT(u, 1.0);
    }
    EXPECT_EQ(state_of(stream), reference.state());
}

TEST_F(Random, AdvancingByAStreamGivesTheNextStreamsSeed) {
    RngStream first;
    RngStream second;
    first.AdvanceState(127, 0);
    EXPECT_EQ(state_of(first), state_of(second));
    EXPECT_NE(state_of(second), package_seed);
}

TEST_F(Random, NextSubstreamIsTwoToTheSeventySixSteps) {
    RngStream jumped;
    RngStream advanced;
    advanced.SetSeed(package_seed.data());
    jumped.SetSeed(package_seed.data());
    for (int i = 0; i < 10; ++i) jumped.RandU01();
    jumped.ResetNextSubstream();
    advanced.AdvanceState(76, 0);
    EXPECT_EQ(state_of(jumped), state_of(advanced));

    jumped.RandU01();
    jumped.ResetStartSubstream();
    EXPECT_EQ(state_of(jumped), state_of(advanced));
    jumped.ResetStartStream();
    EXPECT_EQ(state_of(jumped), package_seed);
}

TEST_F(Random, AdvanceStateMatchesSingleSteps) {
    struct Case {
        long e;
        long c;
        long steps;  // net number of single steps
    };
    const Case cases[] = {{0, 1000, 1000}, {3, -2, 6}, {20, 0, 1 << 20}, {10, 5, 1029}, {0, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "e " << c.e << " c " << c.c);
        RngStream stream;
        stream.SetSeed(package_seed.data());
        Reference reference(package_seed);
        for (long i = 0; i < c.steps; ++i) reference.step();
        stream.AdvanceState(c.e, c.c);
        EXPECT_EQ(state_of(stream), reference.state());
        // and back again through the inverse matrices: -2^e - c steps
        stream.AdvanceState(-c.e, -c.c);
        EXPECT_EQ(state_of(stream), package_seed);
    }
}

TEST_F(Random, InvalidSeedsAreRefusedWithTheFirstFailingIndex) {
    const std::string stars40(40, '*'), stars41(41, '*'), stars28(28, '*');
    struct Case {
        State seed;
        const char* reason;  // empty: accepted
        std::string printed;
    };
    const Case cases[] = {
        {{4294944442, 4294944442, 4294944442, 4294944442, 4294944442, 4294944442}, "", ""},
        {{1, 1, 1, 4294944443, 4294944443, 1}, "Seed[3] >= 4294944443, Seed is not set.",
         stars41 + "\nERROR: Seed[3] >= 4294944443, Seed is not set.\n" + stars41 + "\n\n"},
        {{1, 4294967087, 1, 1, 1, 1}, "Seed[1] >= 4294967087, Seed is not set.",
         stars40 + "\nERROR: Seed[1] >= 4294967087, Seed is not set.\n" + stars40 + "\n\n"},
        {{0, 0, 0, 1, 1, 1}, "First 3 seeds = 0.", stars28 + "\nERROR: First 3 seeds = 0.\n" + stars28 + "\n\n"},
        {{1, 1, 1, 0, 0, 0}, "Last 3 seeds = 0.", stars28 + "\nERROR: Last 3 seeds = 0.\n" + stars28 + "\n\n"},
        // a negative engine seed seen as an unsigned word
        {{18446744073709551615ul, 1, 1, 1, 1, 1}, "Seed[0] >= 4294967087, Seed is not set.",
         stars40 + "\nERROR: Seed[0] >= 4294967087, Seed is not set.\n" + stars40 + "\n\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        const bool valid = *c.reason == '\0';
        EXPECT_EQ(RngStream::SeedError(c.seed.data()), c.reason);

        RngStream stream;
        const State before = state_of(stream);
        testing::internal::CaptureStderr();
        EXPECT_EQ(stream.SetSeed(c.seed.data()), valid);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.printed);
        EXPECT_EQ(state_of(stream), valid ? c.seed : before);

        testing::internal::CaptureStderr();
        EXPECT_EQ(RngStream::SetPackageSeed(c.seed.data()), valid);
        testing::internal::GetCapturedStderr();
        RngStream next;
        if (valid) {
            EXPECT_EQ(state_of(next), c.seed);
        }
        ASSERT_TRUE(RngStream::SetPackageSeed(package_seed.data()));
    }
}

// The engine seeds its stream with six copies of one number. A number the
// generator cannot take is refused with its reason and leaves the stream and
// the package seed as they were, instead of running on another stream.
TEST_F(Random, EngineSeedIsTakenWholeOrRefused) {
    struct Case {
        std::int64_t seed;
        const char* reason;  // empty: accepted
    };
    const Case cases[] = {
        {1, ""},
        {4711, ""},
        {4294944442, ""},
        {0, "First 3 seeds = 0."},
        {-1, "Seed[0] >= 4294967087, Seed is not set."},
        {4294944443, "Seed[3] >= 4294944443, Seed is not set."},
        {4294967087, "Seed[0] >= 4294967087, Seed is not set."},
        {std::int64_t{1} << 40, "Seed[0] >= 4294967087, Seed is not set."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seed);
        ASSERT_TRUE(RngStream::SetPackageSeed(package_seed.data()));
        RngStream stream("ecuyer");
        const State before = state_of(stream);
        testing::internal::CaptureStderr();
        EXPECT_EQ(stream.SetEngineSeed(c.seed), c.reason);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        RngStream next;
        if (*c.reason == '\0') {
            const auto u = static_cast<unsigned long>(c.seed);
            const State seeded = {u, u, u, u, u, u};
            EXPECT_EQ(state_of(stream), seeded);
            EXPECT_EQ(state_of(next), seeded);  // the package seed too
        } else {
            EXPECT_EQ(state_of(stream), before);
            // The package seed is untouched: the next stream follows this one.
            RngStream expected_next;
            ASSERT_TRUE(expected_next.SetSeed(before.data()));
            expected_next.AdvanceState(127, 0);
            EXPECT_EQ(state_of(next), state_of(expected_next));
        }
    }
    ASSERT_TRUE(RngStream::SetPackageSeed(package_seed.data()));
}

// Processes that share a seed take streams of it: stream r starts where the
// r-th stream created after seeding the package would start, and stream 0 is
// the seed itself. Stream and substream starts move with it, so a reset stays
// within the process's own stream.
TEST_F(Random, EngineSeedSelectsAStreamOfTheSeed) {
    constexpr std::int64_t seed = 4711;
    const auto u = static_cast<unsigned long>(seed);
    const State copies = {u, u, u, u, u, u};
    ASSERT_TRUE(RngStream::SetPackageSeed(copies.data()));
    RngStream created[3];
    for (int r = 0; r < 3; ++r) {
        SCOPED_TRACE(r);
        RngStream stream("ecuyer");
        ASSERT_EQ(stream.SetEngineSeed(seed, r), "");
        EXPECT_EQ(state_of(stream), state_of(created[r]));
        const double first = stream.RandU01();
        EXPECT_EQ(first, created[r].RandU01());
        stream.RandU01();
        stream.ResetStartStream();
        EXPECT_EQ(stream.RandU01(), first);
    }
    ASSERT_TRUE(RngStream::SetPackageSeed(package_seed.data()));
}

TEST_F(Random, AntitheticAndIncreasedPrecisionDraws) {
    RngStream plain;
    RngStream anti;
    RngStream precise;
    RngStream anti_precise;
    for (RngStream* s : {&plain, &anti, &precise, &anti_precise}) s->SetSeed(package_seed.data());
    anti.SetAntithetic(true);
    precise.IncreasedPrecis(true);
    anti_precise.SetAntithetic(true);
    anti_precise.IncreasedPrecis(true);

    for (int i = 0; i < 1000; ++i) {
        const double u1 = plain.RandU01();
        const double u2 = plain.RandU01();
        EXPECT_EQ(anti.RandU01(), 1.0 - u1);
        EXPECT_EQ(anti.RandU01(), 1.0 - u2);

        double fine = u1 + u2 * 5.9604644775390625e-8;
        if (fine >= 1.0) fine -= 1.0;
        EXPECT_EQ(precise.RandU01(), fine);  // two steps of the recurrence each

        double fine_anti = (1.0 - u1) + ((1.0 - u2) - 1.0) * 5.9604644775390625e-8;
        if (fine_anti < 0.0) fine_anti += 1.0;
        EXPECT_EQ(anti_precise.RandU01(), fine_anti);
    }
    EXPECT_EQ(state_of(precise), state_of(plain));
}

TEST_F(Random, RandIntCoversItsWholeRangeOnly) {
    RngStream stream;
    int seen[8] = {};
    for (int i = 0; i < 6000; ++i) {
        const int value = stream.RandInt(1, 6);
        ASSERT_GE(value, 1);
        ASSERT_LE(value, 6);
        ++seen[value];
    }
    for (int value = 1; value <= 6; ++value) EXPECT_GT(seen[value], 800) << value;
}

TEST_F(Random, ARestoredStreamContinuesTheSavedSequence) {
    RngStream stream("ecuyer");
    EXPECT_EQ(backup::signature(), 48u * 3 + 2);
    backup::init_complete();
    for (int i = 0; i < 17; ++i) stream.RandU01();
    stream.IncreasedPrecis(true);
    ASSERT_TRUE(backup::write(false, 17));
    double expected[50];
    for (double& u : expected) u = stream.RandU01();

    stream.IncreasedPrecis(false);
    stream.SetAntithetic(true);
    stream.ResetStartStream();
    const auto entry = *std::filesystem::directory_iterator(dir.path());
    backup::read(entry.path().c_str());
    for (const double u : expected) ASSERT_EQ(stream.RandU01(), u);
}

TEST_F(Random, AStreamCannotBeCreatedAfterRegistrationCloses) {
    backup::init_complete();
    try {
        RngStream late("late");
        FAIL() << "no exception";
    } catch (const char* text) {
        EXPECT_STREQ(text, "backup::add call out of order");
    }
}

TEST_F(Random, WriteStatePrintsTheState) {
    RngStream named("ecuyer");
    RngStream unnamed;
    named.SetAntithetic(true);
    testing::internal::CaptureStdout();
    named.WriteState();
    unnamed.WriteState();
    named.WriteStateFull();
    const std::string printed = testing::internal::GetCapturedStdout();
    const State next = state_of(unnamed);
    std::string values;
    for (int i = 0; i < 6; ++i) values += std::to_string(next[i]) + (i < 5 ? ", " : "");
    EXPECT_EQ(printed,
              "The current state of the Rngstream ecuyer:\n   Cg = { 12345, 12345, 12345, 12345, 12345, 12345 }\n\n"
              "The current state of the Rngstream:\n   Cg = { " + values + " }\n\n"
              "The RngStream ecuyer:\n   anti = true\n   incPrec = false\n"
              "   Ig = { 12345, 12345, 12345, 12345, 12345, 12345 }\n"
              "   Bg = { 12345, 12345, 12345, 12345, 12345, 12345 }\n"
              "   Cg = { 12345, 12345, 12345, 12345, 12345, 12345 }\n\n");
}
