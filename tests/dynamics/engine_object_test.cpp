// The engine object: defaults, experiment numbering, random draws and what
// its destruction logs.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <stdexcept>
#include <vector>

#include "dynamics/PDcalc.h"
#include "dynamics/ProcessGlobals.h"
#include "support/FixtureSpecies.h"
#include "support/LoggedText.h"
#include "utils/backup/backup.h"
#include "utils/config/RootSection.h"

namespace {

using namespace dynamics_testing;

// Sets the process globals for one test and restores them.
class ProcessGlobalsGuard {
public:
    ProcessGlobalsGuard(std::int32_t rank, std::int32_t size) {
        processorID = rank;
        numberOfProcessors = size;
    }
    ProcessGlobalsGuard(const ProcessGlobalsGuard&) = delete;
    ProcessGlobalsGuard& operator=(const ProcessGlobalsGuard&) = delete;
    ~ProcessGlobalsGuard() {
        processorID = saved_rank_;
        numberOfProcessors = saved_size_;
    }

private:
    std::int32_t saved_rank_ = processorID;
    std::int32_t saved_size_ = numberOfProcessors;
};

// The experiment numbers an engine runs.
std::vector<int> experiments(PDcalc& engine) {
    std::vector<int> numbers;
    for (; engine.experiment_pending(); engine.next_experiment()) numbers.push_back(engine.experiment_index);
    return numbers;
}

TEST(EngineObject, Defaults) {
    const ProcessGlobalsGuard single(0, 1);
    PDcalc engine;
    EXPECT_FALSE(engine.finish_flag);
    EXPECT_EQ(engine.random_seed, 0);
    EXPECT_EQ(engine.collision_stage1, nullptr);
    EXPECT_EQ(engine.collision_stage2, nullptr);
    EXPECT_EQ(engine.active_n, 0);
    EXPECT_EQ(engine.prots_n, 0);
    EXPECT_EQ(engine.config, nullptr);
    EXPECT_EQ(engine.rng, nullptr);
    EXPECT_EQ(engine.trajectory_file, nullptr);
    for (const std::string* folder : {&engine.in_folder, &engine.out_folder, &engine.vis_folder,
                                      &engine.runtime_folder, &engine.bin_folder})
        EXPECT_EQ(*folder, "./");
    EXPECT_EQ(engine.NT, 9223372036854775807);
    EXPECT_EQ(engine.save_interval, 1000);
    EXPECT_EQ(engine.trajectory_save_interval, 100);
    EXPECT_EQ(engine.step, 0);
    EXPECT_EQ(engine.h, 2e-10);
    EXPECT_EQ(engine.I, 100.0);
    EXPECT_EQ(engine.kappa2, 1.0);
    EXPECT_EQ(engine.min_charge, 0.01);
    EXPECT_EQ(engine.A, 100.0);
    EXPECT_EQ(engine.TimeStep, 1e-12);
    EXPECT_EQ(engine.T, 293.16);
    EXPECT_EQ(engine.pH, 7.0);
    EXPECT_EQ(engine.v, 0.001004);
    EXPECT_EQ(engine.solvent_r, 1.5);
    EXPECT_EQ(engine.VdW_r, 1.5);
    EXPECT_EQ(engine.max_atom_r, 0.0);
    EXPECT_EQ(engine.residue_contact_range, 0.0);
    EXPECT_EQ(engine.residue_contact_range2, 0.0);
    EXPECT_TRUE(engine.interaction);
    EXPECT_FALSE(engine.calc_kin);
    EXPECT_TRUE(engine.surface_outer);
    EXPECT_TRUE(engine.EF_Trans);
    EXPECT_TRUE(engine.EF_Rotate);
    EXPECT_FALSE(engine.frame_due);
    EXPECT_FALSE(engine.mark_collisions);
    EXPECT_TRUE(engine.no_overwrite);
}

// Process r of N runs experiments r + 1, r + 1 + N, ... up to the count;
// without a configured count every process runs one, its rank + 1. The
// engine reads rank and size when it is constructed.
TEST(EngineObject, ExperimentNumbering) {
    struct Case {
        std::int32_t rank, size;
        std::optional<std::int32_t> count;  // none: the default
        std::vector<int> expected;
    };
    const std::vector<Case> cases = {
        {0, 1, std::nullopt, {1}},
        {2, 4, std::nullopt, {3}},
        {3, 4, std::nullopt, {4}},
        {2, 4, 10, {3, 7}},
        {0, 2, 3, {1, 3}},
        {1, 2, 3, {2}},
        {0, 1, 0, {}},
        {4, 5, 3, {}},
        {0, 1, 1, {1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "rank " << c.rank << " of " << c.size);
        const ProcessGlobalsGuard globals(c.rank, c.size);
        PDcalc engine;
        processorID = 0;  // later changes do not reach a constructed engine
        numberOfProcessors = 1;
        EXPECT_EQ(engine.experiment_index, c.rank + 1);
        EXPECT_EQ(engine.experiment_stride, c.size);
        EXPECT_EQ(engine.experiment_count, c.size);
        if (c.count) engine.experiment_count = *c.count;
        EXPECT_EQ(experiments(engine), c.expected);
    }
}

// The engine's random stream, and a twin started from the same seed.
class RandomDraws : public ::testing::Test {
protected:
    void SetUp() override {
        backup::reset();
        engine.rng = std::make_unique<RngStream>("ecuyer");
        const unsigned long seed[6] = {4711, 4711, 4711, 4711, 4711, 4711};
        ASSERT_TRUE(engine.rng->SetSeed(seed));
        ASSERT_TRUE(twin.SetSeed(seed));
    }
    void TearDown() override { backup::reset(); }

    PDcalc engine;
    RngStream twin{"twin"};
};

TEST_F(RandomDraws, UniformNumbersComeFromTheStream) {
    for (int i = 0; i < 5; ++i) EXPECT_EQ(engine.uniform_rand(), twin.RandU01());
}

// Box-Muller, cosine branch: u1 then u2, mean + sqrt(variance) ·
// sqrt(−2 ln u1) · cos(2π u2); nothing is kept between calls.
TEST_F(RandomDraws, NormalDeviatesTakeTwoUniformNumbersEach) {
    struct Case {
        double mean, variance;
    };
    for (const Case c : {Case{0.0, 1.0}, Case{3.0, 4.0}, Case{-1.0, 2e-12}, Case{0.0, 0.0}}) {
        SCOPED_TRACE(::testing::Message() << c.mean << " " << c.variance);
        const double u1 = twin.RandU01();
        const double u2 = twin.RandU01();
        const double expected = c.mean + std::sqrt(c.variance) * std::sqrt(-2.0 * std::log(u1)) *
                                             std::cos(6.283185307179586 * u2);
        EXPECT_EQ(engine.normal_rand(c.mean, c.variance), expected);
    }
    // Variance 0 gives the mean, and still used two numbers.
    EXPECT_EQ(engine.uniform_rand(), twin.RandU01());
}

TEST_F(RandomDraws, NormalDeviatesHaveTheirMeanAndVariance) {
    constexpr int n = 200000;
    const double mean = 1.5, variance = 2e-12 * 3.0;
    double sum = 0, sum2 = 0;
    for (int i = 0; i < n; ++i) {
        const double x = engine.normal_rand(mean, variance);
        sum += x;
        sum2 += (x - mean) * (x - mean);
    }
    // Standard errors: sqrt(variance / n) for the mean, variance · sqrt(2 / n)
    // for the variance; five of them are allowed.
    EXPECT_NEAR(sum / n, mean, 5 * std::sqrt(variance / n));
    EXPECT_NEAR(sum2 / n, variance, 5 * variance * std::sqrt(2.0 / n));
}

TEST(EngineObject, DrawsBeforeTheStreamExistsAreRefused) {
    PDcalc engine;
    EXPECT_THROW(engine.uniform_rand(), std::logic_error);
    EXPECT_THROW(engine.normal_rand(0.0, 1.0), std::logic_error);
}

// What an engine logs when it is destroyed.
class EngineDestruction : public ::testing::Test {
protected:
    // A reaction read from section "Reactions.<name>" with dock points of the
    // given ranges and smallest distances (metres).
    void add_reaction(PDcalc& engine, const char* name, std::int64_t contacts,
                      const std::vector<std::pair<double, double>>& points) {
        REACTION reaction;
        reaction.section = root.CreateSection((std::string("Reactions.") + name).c_str());
        reaction.contacts = contacts;
        reaction.events = 99;  // the count logged is that of contacts
        for (const auto& [range, min_dist] : points)
            reaction.points.push_back(DOCKPOINT{{}, {}, range, range * range, min_dist * min_dist});
        reaction.points_n = static_cast<std::int32_t>(reaction.points.size());
        engine.model.reactions.push_back(std::move(reaction));
        engine.model.reactions_n = static_cast<std::int32_t>(engine.model.reactions.size());
        engine.model.reaction_index[name] = engine.model.reactions_n - 1;
    }

    RootSection root{"t", false};
};

TEST_F(EngineDestruction, LogsContactsAndDockPointsOfEveryReaction) {
    const std::string text = testing_support::logged_text([&] {
        PDcalc engine;
        add_reaction(engine, "bind", 5, {{5e-10, 3e-10}, {8e-10, std::numeric_limits<double>::infinity()}});
        add_reaction(engine, "unbind", 0, {});
    });
    EXPECT_EQ(text,
              "message: Reaction bind, 5 events\n"
              "message: distance 1\t5.000000e-10; min = 3.000000e-10\n"
              "message: distance 2\t8.000000e-10; min = inf\n"
              "message: Reaction unbind, 0 events\n"
              "message: Done.\n");
}

TEST_F(EngineDestruction, OnlyDoneWithoutReactionsOrWithInteractionOff) {
    EXPECT_EQ(testing_support::logged_text([] { PDcalc engine; }), "message: Done.\n");
    EXPECT_EQ(testing_support::logged_text([&] {
                  PDcalc engine;
                  add_reaction(engine, "bind", 5, {{5e-10, 3e-10}});
                  engine.interaction = false;
              }),
              "message: Done.\n");
}

// Both orders of a species pair share one statistics saver, which goes
// once.
TEST_F(EngineDestruction, SharedPairStatisticsAreReleasedOnce) {
    backup::reset();
    std::weak_ptr<HISTOGRAM_SAVER> watch;
    testing_support::logged_text([&] {
        PDcalc engine;
        add_box(engine, 5e-9);
        add_species(engine, make_fixture_species());
        add_species(engine, make_fixture_species());
        const int bins[2] = {2, 2};
        auto saver = std::make_shared<HISTOGRAM_SAVER>(2, bins, "%1$d.txt");
        watch = saver;
        engine.model.pairs[pair_index(engine.model, 1, 0)].stats = saver;
        engine.model.pairs[pair_index(engine.model, 0, 1)].stats = std::move(saver);
    });
    EXPECT_TRUE(watch.expired());
    backup::reset();
}

// The restart registry holds blocks inside the engine that claimed it; it is
// cleared when that engine goes, and left alone when another engine goes.
TEST(EngineObject, RestartRegistryEndsWithTheEngineThatClaimedIt) {
    backup::reset();
    auto first = std::make_unique<PDcalc>();
    first->claim_restart_registry();
    first->rng = std::make_unique<RngStream>("ecuyer");
    const std::uint64_t blocks = backup::signature();
    EXPECT_GT(blocks, 0u);
    {
        PDcalc other;  // constructed and destroyed while the first runs
    }
    EXPECT_EQ(backup::signature(), blocks);
    first.reset();
    EXPECT_EQ(backup::signature(), 0u);
}

}  // namespace
