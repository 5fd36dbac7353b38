// Two engines of the example calculating at once in one process while the
// working directory changes under them: each writes what the engine program
// writes, into its own folder alone, and its restart file restores.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "dynamics/host/EngineHost.h"
#include "../HostFixture.h"
#include "support/Subprocess.h"

using namespace host_testing;
using engine_host::CalculationResult;

namespace {

const std::string program = ZELMAR_BINARY_DIR "/src/zelmar/zelmar";

// A copy of the example of examples/protease with an empty "out".
class ExampleFolder {
public:
    ExampleFolder() {
        fs::copy(ZELMAR_EXAMPLES "/protease", dir_.path());
        fs::create_directory(out());
    }
    const fs::path& path() const { return dir_.path(); }
    fs::path out() const { return dir_.path() / "out"; }
    std::string config() const { return dir_.file("protease.cfg"); }

private:
    TempDir dir_;
};

// A name of an output file with its date, time and process id blotted out.
std::string normalised_name(const std::string& name) {
    static const std::regex date_time(R"(\d{2}_\d{2}_\d{4}__\d{2}_\d{2}(_\d{2})?)");
    static const std::regex log_pid(R"(-\d+\.)");
    static const std::regex restart_pid(R"(\(\d+\)_\()");
    std::string text = std::regex_replace(name, date_time, "DATE");
    text = std::regex_replace(text, log_pid, "-PID.");
    return std::regex_replace(text, restart_pid, "(PID)_(");
}

std::vector<std::string> normalised_names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const std::string& name : names_in(folder)) names.push_back(normalised_name(name));
    std::sort(names.begin(), names.end());
    return names;
}

std::string trajectory_of(const ExampleFolder& folder) { return read_file((folder.out() / "trajectory.bin").string()); }

class ExampleEngines : public HostedEngines {
protected:
    // The example run by the engine program in a folder of its own.
    void run_program() {
        const auto run = testing_support::run_program({program, "-s", "-c", "protease.cfg", "-l", "zelmar"},
                                                      {reference.path(), false, 900});
        ASSERT_EQ(run.status, 0) << run.err;
        reference_trajectory = trajectory_of(reference);
        ASSERT_FALSE(reference_trajectory.empty());
    }

    // The outputs of a hosted run: those of the program's run and nothing
    // else, in the configuration's folder.
    void expect_outputs_of_the_program(const ExampleFolder& folder) {
        EXPECT_EQ(trajectory_of(folder), reference_trajectory);
        EXPECT_EQ(normalised_names(folder.out()), normalised_names(reference.out()));
        EXPECT_EQ(names_in(folder.path()), (std::vector<std::string>{"1hpv.pdb", "out", "pept.pdb", "protease.cfg"}));
    }

    // The final restart file of the run in `folder` restored into a fresh
    // engine: the key names it relative to the configuration's folder.
    void expect_final_restart_restores(const ExampleFolder& folder) {
        const std::string restart = only_file(folder.out(), ".backup");
        ASSERT_FALSE(restart.empty()) << testing::PrintToString(names_in(folder.out()));
        const long step = step_of_restart_file(restart);
        const std::string restored = "message: successfully restored at step " + std::to_string(step) + "\n";
        const int restored_before = count_of(log(), restored);

        PDcalc engine;
        ASSERT_TRUE(prepare(engine, folder.config()));
        const std::string name = fs::path(restart).filename().string();
        engine.config->SetString(("out/" + name).c_str(), "Files.recover.exp_1");
        engine.NT = step;  // nothing more to run
        EXPECT_EQ(engine_host::run_calculation(engine), CalculationResult::finished);
        EXPECT_EQ(engine.step, step);
        const std::string text = log();
        const std::string anchored = (fs::canonical(folder.out()) / name).string();
        EXPECT_TRUE(contains(text, "message: restoring system state from " + anchored + "\n")) << text;
        EXPECT_EQ(count_of(text, restored), restored_before + 1) << text;
    }

    ExampleFolder reference;
    std::string reference_trajectory;
};

}  // namespace

TEST_F(ExampleEngines, TwoAtOnceWriteWhatTheProgramWritesEachInItsOwnFolder) {
    run_program();
    if (HasFatalFailure()) return;

    // One engine alone, calculated on a thread of its own.
    ExampleFolder alone;
    {
        PDcalc engine;
        ASSERT_TRUE(prepare(engine, alone.config()));
        engine.experiment_count = 1;
        engine_host::CalculationThread calculation(engine);
        EXPECT_EQ(calculation.wait(), CalculationResult::finished);
    }
    expect_outputs_of_the_program(alone);

    // Two, prepared one after the other on this thread and calculated at
    // once, while the working directory is elsewhere and keeps changing.
    ExampleFolder first, second;
    TempDir elsewhere;
    fs::create_directory(elsewhere.path() / "inner");
    {
        const testing_support::CurrentDirGuard back;
        PDcalc a, b;
        ASSERT_TRUE(prepare(a, first.config()));
        ASSERT_TRUE(prepare(b, second.config()));
        a.experiment_count = b.experiment_count = 1;
        fs::current_path(elsewhere.path());
        engine_host::CalculationThread calculate_a(a), calculate_b(b);
        for (int i = 0; !(calculate_a.finished() && calculate_b.finished()); ++i) {
            fs::current_path(i % 2 == 0 ? elsewhere.path() / "inner" : elsewhere.path());
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        EXPECT_EQ(calculate_a.wait(), CalculationResult::finished);
        EXPECT_EQ(calculate_b.wait(), CalculationResult::finished);
    }
    expect_outputs_of_the_program(first);
    expect_outputs_of_the_program(second);
    EXPECT_EQ(names_in(elsewhere.path()), std::vector<std::string>{"inner"});
    EXPECT_TRUE(fs::is_empty(elsewhere.path() / "inner"));
    EXPECT_EQ(count_of(log(), "error: "), 0) << log();

    expect_final_restart_restores(first);
    expect_final_restart_restores(second);
}
