// Hosted calculations: stop requests whenever they come, failures that end
// one calculation and not the process, the interrupt flag, and engines
// that prepare while others calculate.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "dynamics/ProcessGlobals.h"
#include "dynamics/host/EngineHost.h"
#include "HostFixture.h"

using namespace host_testing;
using engine_host::CalculationResult;

namespace {

// Waits (at most a minute) until `condition` holds.
bool eventually(const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Holds the thread that logs `message` inside the logger (the sink runs
// there) until the test lets it go: the calculation is then at a known
// point while the test acts from its own thread.
class HoldAt {
public:
    explicit HoldAt(std::string message) : message_(std::move(message)) {
        CLog::SetLineSink([this](const LogLine& line) {
            if (line.message() != message_) return;
            std::unique_lock lock(mutex_);
            held_ = true;
            changed_.notify_all();
            changed_.wait(lock, [this] { return released_; });
        });
    }
    ~HoldAt() {
        release();
        CLog::SetLineSink({});
    }
    HoldAt(const HoldAt&) = delete;
    HoldAt& operator=(const HoldAt&) = delete;

    bool wait_until_held() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::minutes(1), [this] { return held_; });
    }
    void release() {
        const std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }

private:
    std::string message_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool held_ = false;
    bool released_ = false;
};

// The steps of the frames in a trajectory of 8 instances.
std::vector<std::int64_t> frame_steps(const fs::path& file) {
    trajectory::Reader reader(file.string(), 8);
    std::vector<std::int64_t> steps;
    trajectory::Frame frame;
    for (std::uint64_t f = 0; f < reader.frame_count() && reader.read(f, frame); ++f) steps.push_back(frame.step);
    return steps;
}

}  // namespace

// A stop request ends the calculation within one step of it, whenever it
// comes: before the calculation, as its experiment starts (where the loop
// clears finish_flag) or while it steps; after the end it changes nothing.
TEST_F(HostedEngines, AStopRequestIsNeverLost) {
    enum class When { before, experiment_start, while_stepping, after_the_end };
    struct Case {
        const char* name;
        When when;
        std::int64_t last_step;  // -1: no experiment runs
    };
    const Case cases[] = {
        {"before the calculation", When::before, -1},
        {"as the experiment starts", When::experiment_start, 1},
        {"while it steps, at step 50", When::while_stepping, 51},
        {"after the end", When::after_the_end, 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RunFolder folder(small_configuration());
        PDcalc engine;
        ASSERT_TRUE(prepare(engine, folder.config()));
        const fs::path trajectory = folder.out() / "trajectory.bin";

        if (c.when == When::before) engine.request_stop();
        std::optional<HoldAt> hold;
        if (c.when == When::experiment_start) hold.emplace("Calculation 1 of 1");
        if (c.when == When::while_stepping) hold.emplace("50 of 200 steps completed");
        {
            engine_host::CalculationThread calculation(engine);
            if (hold) {
                EXPECT_TRUE(hold->wait_until_held());
                engine.request_stop();  // from this thread, while the calculation is held there
                hold->release();
            }
            EXPECT_EQ(calculation.wait(), CalculationResult::finished);
            hold.reset();
        }
        const std::string text = log();
        if (c.last_step < 0) {
            EXPECT_FALSE(contains(text, "Calculation 1 of 1")) << text;
            EXPECT_TRUE(fs::is_empty(folder.out()));
            continue;
        }
        EXPECT_EQ(engine.step, c.last_step);
        const std::vector<std::int64_t> steps = frame_steps(trajectory);
        ASSERT_FALSE(steps.empty());
        EXPECT_EQ(steps.back(), c.last_step);
        EXPECT_EQ(step_of_restart_file(only_file(folder.out(), ".backup")), c.last_step);

        if (c.when == When::after_the_end) {
            const std::string bytes = read_file(trajectory.string());
            const std::vector<std::string> names = names_in(folder.out());
            engine.request_stop();
            EXPECT_TRUE(engine.stop_requested());
            EXPECT_EQ(read_file(trajectory.string()), bytes);
            EXPECT_EQ(names_in(folder.out()), names);
        }
    }
}

namespace {

void throw_out_of_memory(PDcalc&) { throw std::bad_alloc(); }

}  // namespace

// What ends a calculation by an exception is one error line; the process,
// the logger and the next calculation go on.
TEST_F(HostedEngines, AFailingCalculationIsOneLoggedErrorAndTheProcessGoesOn) {
    struct Case {
        const char* name;
        std::string configuration;
        const char* recover;  // "Files.recover.exp_1", or none
        bool out_of_memory;
        std::string error;
    };
    const Case cases[] = {
        {"a missing restart file", small_configuration(), "out/missing.backup", false,
         "error: calculation terminated with exception failed to open backup file "},
        {"an over-full compartment", small_configuration("", "", 2, 5), nullptr, false,
         "error: calculation terminated with exception cannot place instance 2 of 2 of species \"A\" in "
         "compartment \"box\": no free place found in 100000 random tries; the compartment is too full\n"},
        {"an allocation failure", small_configuration(), nullptr, true,
         "error: calculation terminated: not enough memory\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RunFolder folder(c.configuration);
        PDcalc engine;
        ASSERT_TRUE(prepare(engine, folder.config()));
        if (c.recover != nullptr) engine.config->SetString(c.recover, "Files.recover.exp_1");
        if (c.out_of_memory) engine_host_detail::set_before_calculation(throw_out_of_memory);
        const int errors_before = count_of(log(), "error: ");
        CalculationResult result = CalculationResult::finished;
        {
            engine_host::CalculationThread calculation(engine);
            result = calculation.wait();
        }
        engine_host_detail::set_before_calculation(nullptr);
        EXPECT_EQ(result, CalculationResult::failed);
        const std::string text = log();
        EXPECT_EQ(count_of(text, "error: "), errors_before + 1) << text;
        std::string error = c.error;
        if (c.recover != nullptr) error += (fs::canonical(folder.path()) / c.recover).string() + "\n";  // anchored
        EXPECT_TRUE(contains(text, error)) << text;
        EXPECT_EQ(engine_host::running_calculations(), 0);
    }
    // The same folder's trajectory can be written again: nothing is left held.
    RunFolder folder(small_configuration());
    PDcalc engine;
    ASSERT_TRUE(prepare(engine, folder.config()));
    EXPECT_EQ(engine_host::run_calculation(engine), CalculationResult::finished);
    EXPECT_EQ(engine.step, 200);
}

TEST_F(HostedEngines, WithoutCalcKinAHostIsWarned) {
    RunFolder folder(small_configuration("calc_kin = 0"));
    PDcalc engine;
    ASSERT_TRUE(prepare(engine, folder.config()));
    EXPECT_EQ(engine_host::run_calculation(engine), CalculationResult::not_configured);
    EXPECT_TRUE(contains(log(), "warning: \"Calculation.calc_kin\" is off: there is nothing to calculate\n"))
        << log();
    EXPECT_FALSE(contains(log(), "Calculation complete"));
    EXPECT_TRUE(fs::is_empty(folder.out()));
}

// The interrupt stops the calculations running when it comes. A calculation
// that starts while another still runs leaves the flag as it is (it runs no
// experiment); the first to start in a quiet process arms it again.
TEST_F(HostedEngines, TheInterruptFlagIsArmedAgainByTheFirstCalculationOfAQuietProcess) {
    RunFolder first_folder(small_configuration("NT = 100000"));
    RunFolder second_folder(small_configuration());
    RunFolder third_folder(small_configuration());
    PDcalc first, second, third;
    ASSERT_TRUE(prepare(first, first_folder.config()));
    ASSERT_TRUE(prepare(second, second_folder.config()));
    ASSERT_TRUE(prepare(third, third_folder.config()));
    {
        std::optional<HoldAt> hold(std::in_place, "50 of 100000 steps completed");
        engine_host::CalculationThread calculate_first(first);
        EXPECT_TRUE(hold->wait_until_held());
        running_flag = false;  // as the interrupt handler leaves it
        engine_host::CalculationThread calculate_second(second);
        EXPECT_TRUE(eventually([] { return engine_host::running_calculations() == 2; }));
        hold->release();
        EXPECT_EQ(calculate_first.wait(), CalculationResult::finished);
        EXPECT_EQ(calculate_second.wait(), CalculationResult::finished);
        hold.reset();
    }
    EXPECT_EQ(first.step, 51);   // the step in progress, then the end
    EXPECT_EQ(second.step, 0);   // no experiment
    EXPECT_FALSE(running_flag.load());

    EXPECT_EQ(engine_host::run_calculation(third), CalculationResult::finished);
    EXPECT_TRUE(running_flag.load());
    EXPECT_EQ(third.step, 200);
}

// Preparing an engine registers its restart blocks in its own registry: an
// engine calculating meanwhile still writes restart files of its own blocks,
// which restore into a fresh engine of its configuration.
TEST_F(HostedEngines, PreparingAnEngineWhileAnotherCalculatesKeepsTheOthersRestartFiles) {
    RunFolder first_folder(small_configuration("NT = 10000000  save_interval = 20"));
    RunFolder second_folder(small_configuration("", "", 6));  // other blocks
    PDcalc first;
    ASSERT_TRUE(prepare(first, first_folder.config()));
    {
        engine_host::CalculationThread calculation(first);
        ASSERT_TRUE(eventually([&] { return first.trajectory_generation.load() > 0; }));
        PDcalc second;
        ASSERT_TRUE(prepare(second, second_folder.config()));
        calculation.request_stop();  // its final save comes after the preparation
        EXPECT_EQ(calculation.wait(), CalculationResult::finished);
    }
    const std::string restart = only_file(first_folder.out(), ".backup");
    ASSERT_FALSE(restart.empty()) << testing::PrintToString(names_in(first_folder.out()));
    const long step = step_of_restart_file(restart);
    EXPECT_EQ(step, first.step);

    PDcalc restored;
    ASSERT_TRUE(prepare(restored, first_folder.config()));
    restored.config->SetString(restart.c_str(), "Files.recover.exp_1");
    restored.NT = step;
    EXPECT_EQ(engine_host::run_calculation(restored), CalculationResult::finished);
    EXPECT_TRUE(contains(log(), "message: successfully restored at step " + std::to_string(step) + "\n")) << log();
    ASSERT_EQ(restored.prots.size(), first.prots.size());
    EXPECT_EQ(std::memcmp(restored.prots.data(), first.prots.data(), first.prots.size() * sizeof(PROT)), 0);
}
