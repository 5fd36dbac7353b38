// The trajectory of a hosted calculation: one writer per file in the
// process, and a generation counter that tells a reader when the file of a
// new calculation exists.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "dynamics/host/EngineHost.h"
#include "dynamics/output/TrajectoryWriters.h"
#include "HostFixture.h"

using namespace host_testing;
using engine_host::CalculationResult;

namespace {

// The small configuration with its trajectory in `folder` (absolute).
std::string configuration_writing_to(const fs::path& folder, const std::string& calculation = "") {
    std::string text = small_configuration(calculation);
    const std::string key = "vis_folder = \"out/\"";
    text.replace(text.find(key), key.size(), "vis_folder = \"" + folder.string() + "/\"");
    return text;
}

}  // namespace

TEST(TrajectoryWriters, OneClaimPerFileWhateverItsSpelling) {
    TempDir dir;
    fs::create_directory(dir.path() / "real");
    fs::create_directory_symlink(dir.path() / "real", dir.path() / "link");
    const std::string file = (dir.path() / "real" / "run.bin").string();
    std::optional<trajectory::WriterClaim> first = trajectory::WriterClaim::take(file);
    ASSERT_TRUE(first);
    EXPECT_FALSE(trajectory::WriterClaim::take(file));
    EXPECT_FALSE(trajectory::WriterClaim::take((dir.path() / "link" / "run.bin").string()));
    EXPECT_FALSE(trajectory::WriterClaim::take((dir.path() / "real" / "." / ".." / "real" / "run.bin").string()));
    EXPECT_TRUE(trajectory::WriterClaim::take((dir.path() / "real" / "other.bin").string()));
    first.reset();
    EXPECT_TRUE(trajectory::WriterClaim::take((dir.path() / "link" / "run.bin").string()));
}

// A second calculation on the file that another one writes is refused with
// a message, and leaves that file alone; once the first has ended it runs.
TEST_F(HostedEngines, ASecondWriterOfOneTrajectoryIsRefused) {
    TempDir shared, links;
    const fs::path link = links.path() / "shared";
    fs::create_directory_symlink(shared.path(), link);
    RunFolder first_folder(configuration_writing_to(shared.path(), "NT = 10000000"));
    RunFolder second_folder(configuration_writing_to(link));
    PDcalc first, second;
    ASSERT_TRUE(prepare(first, first_folder.config()));
    ASSERT_TRUE(prepare(second, second_folder.config()));
    {
        engine_host::CalculationThread calculation(first);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (first.trajectory_generation.load() == 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_EQ(first.trajectory_generation.load(), 1u);

        EXPECT_EQ(engine_host::run_calculation(second), CalculationResult::finished);
        const std::string refusal = "error: trajectory " + (link / "trajectory.bin").string() +
                                    " is already being written by another calculation; this calculation does not "
                                    "run\n";
        EXPECT_TRUE(contains(log(), refusal)) << log();
        EXPECT_EQ(second.trajectory_generation.load(), 0u);
        EXPECT_TRUE(fs::is_empty(second_folder.out()));
        EXPECT_EQ(names_in(shared.path()), std::vector<std::string>{"trajectory.bin"});
        calculation.request_stop();
        EXPECT_EQ(calculation.wait(), CalculationResult::finished);
    }

    const std::uint64_t frames_of_first = trajectory::Reader((shared.path() / "trajectory.bin").string(), 8).frame_count();
    EXPECT_GT(frames_of_first, 0u);
    EXPECT_EQ(engine_host::run_calculation(second), CalculationResult::finished);
    EXPECT_EQ(second.step, 200);
}

// The counter rises once the file of the new calculation is there and
// before its first frame: a reader opened then sees that calculation's
// frames only, never the frames the file held before.
TEST_F(HostedEngines, TheGenerationCounterRisesOnceTheNewFileIsThere) {
    RunFolder folder(small_configuration("EXP_NUM = 2"));
    const fs::path file = folder.out() / "trajectory.bin";
    testing_support::write_file(file.string(), std::string(50 * (8 + 101 * 8), 'x'));  // an older calculation's
    PDcalc engine;
    ASSERT_TRUE(prepare(engine, folder.config()));
    engine.experiment_count = 2;

    std::vector<std::uint64_t> generations;
    std::vector<std::uint64_t> frames_seen;
    CLog::SetLineSink([&](const LogLine& line) {
        if (line.message() != "0 of 200 steps completed") return;  // the first save, after the first frame
        generations.push_back(engine.trajectory_generation.load());
        frames_seen.push_back(trajectory::Reader(file.string(), 8).frame_count());
    });
    EXPECT_EQ(engine.trajectory_generation.load(), 0u);
    EXPECT_EQ(engine_host::run_calculation(engine), CalculationResult::finished);
    CLog::SetLineSink({});
    EXPECT_EQ(generations, (std::vector<std::uint64_t>{1, 2}));
    EXPECT_EQ(frames_seen, (std::vector<std::uint64_t>{1, 1}));
    EXPECT_EQ(engine.trajectory_generation.load(), 2u);
}
