// The preparation's settings: configuration errors, folders, units, the
// collision stages and the random stream of each process.
#include <gtest/gtest.h>

#include <csignal>
#include <exception>
#include <ctime>
#include <string>
#include <vector>

#include "dynamics/PDcalc.h"
#include "dynamics/ProcessGlobals.h"
#include "support/LoggedText.h"
#include "support/TempDir.h"
#include "utils/backup/backup.h"

namespace {

using testing_support::logged_text;

// The settings a configuration ends in: its sections end before the
// compartments, so the preparation stops there after reading them.
class PreparationSettings : public testing::Test {
protected:
    void TearDown() override {
        processorID = 0;
        numberOfProcessors = 1;
        backup::reset();
        std::signal(SIGINT, SIG_DFL);
        std::signal(SIGTERM, SIG_DFL);
        std::set_terminate(terminate_before);
    }
    std::terminate_handler terminate_before = std::get_terminate();

    // Prepares `engine` from `text`; the log of it.
    std::string prepare(PDcalc& engine, const std::string& text, bool* result = nullptr) {
        const std::string path = dir.file("run.cfg");
        testing_support::write_file(path, text);
        bool prepared = true;
        std::string log = logged_text([&] { prepared = engine.prepare(path); });
        if (result != nullptr) *result = prepared;
        return log;
    }

    testing_support::TempDir dir;
};

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Every configuration error ends the preparation with its message and
// false, before anything is built.
TEST_F(PreparationSettings, ConfigurationErrorsAreReported) {
    struct Case {
        std::string text;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"Calculation { save_interval = 0 }", "error: \"Calculation.save_interval\" must be positive\n"},
        {"Calculation { trajectory_save_interval = -5 }",
         "error: \"Calculation.trajectory_save_interval\" must be positive\n"},
        {"Calculation { h = 0 }", "error: \"Calculation.h\" must be positive\n"},
        {"Calculation { TimeStep = 0 }", "error: \"Calculation.TimeStep\" must be positive\n"},
        {"Calculation { TimeStep = -1 }", "error: \"Calculation.TimeStep\" must be positive\n"},
        {"Physics { T = 0 }", "error: \"Physics.T\" must be positive\n"},
        {"Calculation { random_seed = -1 }",
         "error: random seed -1 cannot seed the random stream: Seed[0] >= 4294967087, Seed is not set.\n"},
        {"Calculation { random_seed = 4294944443 }",
         "error: random seed 4294944443 cannot seed the random stream: Seed[3] >= 4294944443, Seed is not set.\n"},
        {"Calculation { random_seed = 7 }", "error: the configuration has no \"Compartments\" section\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        PDcalc engine;
        bool prepared = true;
        const std::string log = prepare(engine, c.text, &prepared);
        EXPECT_FALSE(prepared);
        EXPECT_TRUE(contains(log, c.error)) << log;
        backup::reset();
    }
}

// A file that does not open, and one that opens but does not parse (which
// says so after its errors).
TEST_F(PreparationSettings, UnreadableConfigurationIsReported) {
    {
        PDcalc engine;
        const std::string path = dir.file("missing.cfg");
        bool prepared = true;
        const std::string log = logged_text([&] { prepared = engine.prepare(path); });
        EXPECT_FALSE(prepared);
        EXPECT_TRUE(contains(log, "error: Failed to open configuration file \"" + path + "\"\n")) << log;
        EXPECT_FALSE(contains(log, "could not be parsed")) << log;
    }
    PDcalc engine;
    bool prepared = true;
    const std::string path = dir.file("run.cfg");
    const std::string log = prepare(engine, "Files { x = }\n", &prepared);
    EXPECT_FALSE(prepared);
    EXPECT_TRUE(contains(log, "error: " + path + "(1), error: expected number or \"string\" (may be array) after '='\n"
                              "error: " + path + "(2), error: unexpected end of file\n"
                              "2 error(s), 0 warning(s)\n"
                              "error: Failed to open configuration file \"" + path + "\"\n"
                              "error: configuration file \"" + path + "\" could not be parsed: 2 error(s)\n"))
        << log;
}

TEST_F(PreparationSettings, FoldersUnitsAndSwitches) {
    PDcalc engine;
    const std::string log = prepare(engine, R"(
        Files { out_folder = "out/"  bin_folder = "tools\bin\"  no_overwrite = 0 }
        Calculation { random_seed = 5  h = 1.5  TimeStep = 2  NT = 300  save_interval = 50
                      trajectory_save_interval = 10  EXP_NUM = 4  calc_kin = 1  interaction = 0 }
        Physics { T = 300  I = 50  A = 80 }
    )");
    EXPECT_EQ(engine.out_folder, "out/");
    EXPECT_EQ(engine.in_folder, "./");
    EXPECT_EQ(engine.bin_folder, "tools/bin/");
    EXPECT_FALSE(engine.no_overwrite);
    EXPECT_DOUBLE_EQ(engine.h, 1.5e-10);
    EXPECT_DOUBLE_EQ(engine.TimeStep, 2e-12);
    EXPECT_EQ(engine.NT, 300);
    EXPECT_EQ(engine.save_interval, 50);
    EXPECT_EQ(engine.trajectory_save_interval, 10);
    EXPECT_EQ(engine.experiment_count, 4);
    EXPECT_TRUE(engine.calc_kin);
    EXPECT_FALSE(engine.interaction);
    EXPECT_EQ(engine.A, 80.0);  // kept in ångström
    EXPECT_DOUBLE_EQ(engine.kappa2, 1.861882970565096e-10 * 50 / (7.358252850000001e-11 * 300));
    EXPECT_TRUE(contains(log, "message: random seed: 5\n")) << log;
}

TEST_F(PreparationSettings, CollisionStagesFollowTheFirstLetters) {
    using Stage = PDcalc::CollisionTest;
    struct Case {
        std::string settings;
        Stage stage1;
        Stage stage2;
        std::vector<std::string> messages;
    };
    const std::vector<Case> cases = {
        {"", &PDcalc::collision3D_spheres, nullptr, {"spheres collision detection enabled"}},
        {"stage1 = \"spheres\"  stage2 = \"atoms\"",
         &PDcalc::collision3D_spheres,
         &PDcalc::collision3D_atoms,
         {"spheres collision detection enabled", "atoms collision detection enabled"}},
        {"stage1 = \"cells\"  stage2 = \"A\"",
         &PDcalc::collision3D_surface,
         &PDcalc::collision3D_atoms,
         {"surface cells collision detection enabled", "atoms collision detection enabled"}},
        {"stage1 = \"residues\"  stage2 = \"atoms\"",
         &PDcalc::collision3D_residues,
         nullptr,
         {"residues collision detection enabled"}},
        {"stage1 = \"none\"  stage2 = \"atoms\"", nullptr, &PDcalc::collision3D_atoms,
         {"atoms collision detection enabled"}},
        {"stage1 = \"\"  stage2 = \"x\"", nullptr, nullptr, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings);
        PDcalc engine;
        const std::string log = prepare(engine, "Calculation { random_seed = 3  collision { " + c.settings + " } }");
        EXPECT_EQ(engine.collision_stage1, c.stage1);
        EXPECT_EQ(engine.collision_stage2, c.stage2);
        for (const std::string& message : c.messages) EXPECT_TRUE(contains(log, "message: " + message + "\n")) << log;
        EXPECT_EQ(contains(log, "collision detection enabled"), !c.messages.empty()) << log;
        backup::reset();
    }
}

// The state of a stream seeded as the engine seeds it, on stream `stream`.
std::vector<double> first_draws(std::int64_t seed, int stream) {
    RngStream reference("reference");
    EXPECT_EQ(reference.SetEngineSeed(seed, stream), "");
    return {reference.RandU01(), reference.RandU01(), reference.RandU01()};
}

// Processes of one folder share the seed and draw from the stream of their
// rank, so their numbers are independent; rank 0 draws as a single process.
TEST_F(PreparationSettings, EachRankDrawsFromItsOwnStream) {
    struct Case {
        std::int32_t rank;
        std::int32_t size;
        std::string message;
    };
    const std::vector<Case> cases = {
        {0, 1, "message: random seed: 4711\n"},
        {0, 3, "message: random seed: 4711\n"},
        {2, 3, "message: random seed: 4711, stream 2\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rank);
        processorID = c.rank;
        numberOfProcessors = c.size;
        PDcalc engine;
        const std::string log = prepare(engine, "Calculation { random_seed = 4711 }");
        EXPECT_TRUE(contains(log, c.message)) << log;
        EXPECT_EQ(engine.random_seed, 4711 + c.rank);  // the placement's generator differs per rank
        ASSERT_NE(engine.rng, nullptr);
        const std::vector<double> drawn = {engine.uniform_rand(), engine.uniform_rand(), engine.uniform_rand()};
        EXPECT_EQ(drawn, first_draws(4711, c.rank));
        backup::reset();
    }
}

TEST_F(PreparationSettings, MissingSeedIsTheTime) {
    PDcalc engine;
    const auto before = static_cast<std::int64_t>(std::time(nullptr));
    prepare(engine, "Calculation { EXP_NUM = 1 }");
    const auto after = static_cast<std::int64_t>(std::time(nullptr));
    EXPECT_GE(engine.random_seed, before);
    EXPECT_LE(engine.random_seed, after);
}

// Until the model run begins an interrupt is ignored; afterwards it asks the
// loop to stop at the next step.
TEST_F(PreparationSettings, InterruptStopsOnlyTheModelRun) {
    PDcalc engine;
    prepare(engine, "Calculation { random_seed = 1 }");
    running_flag = true;
    delayed_ctrl_c_processing = false;
    testing::internal::CaptureStderr();
    std::raise(SIGINT);
    EXPECT_TRUE(running_flag.load());
    delayed_ctrl_c_processing = true;
    std::raise(SIGTERM);
    EXPECT_FALSE(running_flag.load());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Exiting...\n");
    running_flag = true;
    delayed_ctrl_c_processing = false;
}

using PreparationDeathTest = PreparationSettings;

TEST_F(PreparationDeathTest, TerminateHandlerLogsTheExceptionAndExits) {
    EXPECT_EXIT(
        {
            std::set_terminate(catch_global);
            try {
                throw std::runtime_error("boom");
            } catch (...) {
                std::terminate();
            }
        },
        testing::ExitedWithCode(1), "Exception: boom");
    EXPECT_EXIT(
        {
            std::set_terminate(catch_global);
            try {
                throw 42;
            } catch (...) {
                std::terminate();
            }
        },
        testing::ExitedWithCode(1), "Unknown exception");
}

}  // namespace
