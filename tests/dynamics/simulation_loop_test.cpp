// The simulation loop on engines built in code: experiments, frames, state
// saves, reaction logs, restores, interrupts and the step of one instance.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "dynamics/PDcalc.h"
#include "dynamics/ProcessGlobals.h"
#include "dynamics/output/TrajectoryReader.h"
#include "dynamics/reactions/IntegratedRateLaw.h"
#include "dynamics/scene/Rotation.h"
#include "support/FixtureRun.h"
#include "support/LoggedText.h"
#include "support/TempDir.h"
#include "utils/fopen_s.h"
#include "utils/platform/Signals.h"

namespace {

using namespace dynamics_testing;
using testing_support::logged_text;
using testing_support::read_file;

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::vector<std::string> files_in(const std::filesystem::path& folder, const std::string& ending) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.size() >= ending.size() && name.compare(name.size() - ending.size(), ending.size(), ending) == 0)
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The steps of the frames of a trajectory of `instances` instances.
std::vector<std::int64_t> frame_steps(const std::string& path, std::size_t instances) {
    trajectory::Reader reader(path, instances);
    std::vector<std::int64_t> steps;
    trajectory::Frame frame;
    for (std::uint64_t f = 0; reader.read(f, frame); ++f) steps.push_back(frame.step);
    return steps;
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class SimulationLoop : public testing::Test {
protected:
    void TearDown() override {
        backup::reset();
        running_flag = true;
        delayed_ctrl_c_processing = false;
    }

    RunOptions options() const {
        RunOptions o;
        o.folder = dir.path().string() + "/";
        return o;
    }

    // Runs the engine's experiments; the log of it.
    static std::string run(PDcalc& engine) {
        return logged_text([&] { engine.calculate(); });
    }

    testing_support::TempDir dir;
};

// Frames at the start, at every trajectory interval and at the end; a state
// save at the start, at every save interval and at the end, of which only
// the final restart file stays.
TEST_F(SimulationLoop, FramesAndSavesAtTheirIntervals) {
    struct Case {
        std::int64_t NT;
        std::int64_t save_interval;
        std::int64_t trajectory_interval;
        std::vector<std::int64_t> frames;
        std::vector<std::int64_t> saves;
    };
    const std::vector<Case> cases = {
        {10, 5, 5, {0, 5, 10}, {0, 5, 10}},
        {7, 3, 2, {0, 2, 4, 6, 7}, {0, 3, 6, 7}},
        {1, 1000, 100, {0, 1}, {0, 1}},
        {0, 5, 5, {0}, {0}},  // no step: the start alone
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.NT);
        testing_support::TempDir folder;
        RunOptions o = options();
        o.folder = folder.path().string() + "/";
        o.NT = c.NT;
        o.save_interval = c.save_interval;
        o.trajectory_save_interval = c.trajectory_interval;
        PDcalc engine;
        build_run(engine, o);
        const std::string log = run(engine);
        EXPECT_EQ(frame_steps(o.folder + "trajectory.bin", 4), c.frames);
        std::string saves;
        for (std::int64_t s : c.saves)
            saves += std::to_string(s) + " of " + std::to_string(c.NT) + " steps completed\n";
        std::string logged_saves;
        for (const std::string& line : lines_of(log))
            if (contains(line, " steps completed")) logged_saves += line.substr(line.find(": ") + 2) + "\n";
        EXPECT_EQ(logged_saves, saves);
        EXPECT_EQ(files_in(folder.path(), ".backup").size(), 1u);
        EXPECT_TRUE(contains(log, "message: Calculation 1 of 1\n")) << log;
        EXPECT_TRUE(contains(log, "message: Model run\n")) << log;
        EXPECT_EQ(log.substr(log.rfind("message: ")), "message: Calculation complete\n") << log;
        EXPECT_EQ(engine.active_n, 0);
        EXPECT_EQ(engine.trajectory_file, nullptr);
        backup::reset();
    }
}

TEST_F(SimulationLoop, NothingToRun) {
    {
        PDcalc engine;
        RunOptions o = options();
        build_run(engine, o);
        engine.calc_kin = false;
        EXPECT_EQ(run(engine), "");
    }
    {
        PDcalc engine;
        build_run(engine, options());
        engine.experiment_index = 2;  // beyond the one experiment
        EXPECT_EQ(run(engine), "message: Calculation complete\n");
    }
    EXPECT_TRUE(files_in(dir.path(), ".bin").empty());
}

// Each experiment writes the trajectory anew, also over a file that exists
// when overwriting is refused for the other outputs; it then holds the last
// experiment.
TEST_F(SimulationLoop, EveryExperimentAndRerunWritesTheTrajectory) {
    for (int rerun = 0; rerun < 2; ++rerun) {
        SCOPED_TRACE(rerun);
        PDcalc engine;
        RunOptions o = options();
        o.NT = 4;
        build_run(engine, o);
        engine.no_overwrite = true;
        engine.experiment_count = 2;
        const std::string log = run(engine);
        EXPECT_TRUE(contains(log, "message: Calculation 2 of 2\n"));
        EXPECT_EQ(frame_steps(o.folder + "trajectory.bin", 4), (std::vector<std::int64_t>{0, 4}));
        EXPECT_EQ(std::filesystem::file_size(o.folder + "trajectory.bin"), 2u * (8 + 101 * 4));
        backup::reset();
    }
}

// Lines of time, events and the rate constant of the integrated law; no
// rate before the first event.
TEST_F(SimulationLoop, ReactionLogCarriesTheRateOfItsPopulations) {
    PDcalc engine;
    RunOptions o = options();
    o.halfsize = 2.5e-9;
    o.species = {{"A", 6, true}, {"B", 3, true}};
    o.reactions = {{"bind", 0, 1, 12.0, 1.0}};
    o.NT = 400;
    o.save_interval = 20;
    build_run(engine, o);
    const std::string log = run(engine);
    const std::vector<std::string> logs = files_in(dir.path(), ".log");
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(logs[0].rfind("bind.1.", 0), 0u);
    const std::vector<std::string> lines = lines_of(read_file(dir.file(logs[0])));
    ASSERT_EQ(lines.size(), 1u + 400 / 20 + 1);
    EXPECT_EQ(lines[0], "t\tn\tk");
    EXPECT_EQ(lines[1], "0.000000e+00\t0");
    int last_events = 0;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        double t = 0;
        int n = 0;
        double k = 0;
        const int fields = std::sscanf(lines[i].c_str(), "%lf\t%d\t%lf", &t, &n, &k);
        EXPECT_DOUBLE_EQ(t, static_cast<double>(20 * (i - 1)) * o.time_step);
        EXPECT_GE(n, last_events);
        last_events = n;
        if (n == 0) {
            EXPECT_EQ(fields, 2) << lines[i];
            continue;
        }
        ASSERT_EQ(fields, 3) << lines[i];
        const double volume = std::pow(2 * o.halfsize, 3);
        const double expected = 6.022141793e26 * volume / ((6 - 3) * t) * (std::log1p(-n / 6.0) - std::log1p(-n / 3.0));
        if (std::isinf(expected))
            EXPECT_TRUE(std::isinf(k)) << lines[i];
        else
            EXPECT_NEAR(k / expected, 1.0, 1e-6) << lines[i];
    }
    EXPECT_GT(last_events, 0) << log;
    EXPECT_EQ(last_events, engine.model.reactions[0].events);
}

// The state of the scene: positions, rotations, flags and stamps of every
// instance, field by field (the records' padding is not state).
std::string scene_state(const PDcalc& engine) {
    std::string state;
    const auto add = [&state](const auto& value) {
        state.append(reinterpret_cast<const char*>(&value), sizeof value);
    };
    for (const PROT& p : engine.prots) {
        add(p.x), add(p.y), add(p.z), add(p.r), add(p.rot), add(p.rot_inv);
        add(p.stopped), add(p.collision_step), add(p.contact_step), add(p.index), add(p.species), add(p.flags);
    }
    return state;
}

// A run stopped at step 10 and resumed from its final restart file ends
// exactly where the uninterrupted run ends, with the same trajectory,
// reaction log and contact statistics.
TEST_F(SimulationLoop, RestoredRunContinuesExactly) {
    const auto build = [&](PDcalc& engine, const std::string& folder, std::int64_t NT) {
        RunOptions o = options();
        o.folder = folder;
        o.halfsize = 2.5e-9;
        o.species = {{"A", 5, true}, {"B", 5, true}};
        o.reactions = {{"bind", 0, 1, 10.0, 0.5}};
        o.contact_range = 20;
        o.NT = NT;
        o.save_interval = 5;
        o.trajectory_save_interval = 5;
        build_run(engine, o);
        engine.model.reactions[0].section->SetString("bind.log", "savefile");
    };
    const std::string whole = dir.file("whole") + "/";
    const std::string parts = dir.file("parts") + "/";
    std::filesystem::create_directory(whole);
    std::filesystem::create_directory(parts);

    PDcalc uninterrupted;
    build(uninterrupted, whole, 40);
    run(uninterrupted);
    const std::string expected_scene = scene_state(uninterrupted);
    const std::int32_t expected_events = uninterrupted.model.reactions[0].events;
    backup::reset();

    std::string restart;
    {
        PDcalc first;
        build(first, parts, 10);
        run(first);
        const std::vector<std::string> files = files_in(parts, ".backup");
        ASSERT_EQ(files.size(), 1u);
        restart = parts + files[0];
        backup::reset();
    }
    PDcalc resumed;
    build(resumed, parts, 40);
    configuration(resumed).SetString(restart.c_str(), "Files.recover.exp_1");
    const std::string log = run(resumed);
    EXPECT_TRUE(contains(log, "message: successfully restored at step 10\n")) << log;
    EXPECT_TRUE(contains(log, "message: 40 of 40 steps completed\n")) << log;

    EXPECT_EQ(scene_state(resumed), expected_scene);
    EXPECT_EQ(resumed.model.reactions[0].events, expected_events);
    EXPECT_EQ(read_file(parts + "trajectory.bin"), read_file(whole + "trajectory.bin"));
    EXPECT_EQ(read_file(parts + "bind.log"), read_file(whole + "bind.log"));
    // The contact counts go on from the restored ones.
    EXPECT_EQ(read_file(parts + "contacts.txt"), read_file(whole + "contacts.txt"));
    EXPECT_GT(uninterrupted.model.pairs[pair_index(uninterrupted.model, 1, 0)].stats->total_count(), 0u);
    EXPECT_GT(expected_events, 0);
}

// A restart file damaged anywhere (a byte of its header, of the random
// stream, of the instances, of the step, of its checksum) is refused by name
// before the run's state is touched: the scene, the step, the random stream
// and the reaction counts stay as they were, and nothing is run.
TEST_F(SimulationLoop, DamagedRestartFileIsRefusedByNameAndTouchesNothing) {
    const auto build = [&](PDcalc& engine, std::int64_t NT) {
        RunOptions o = options();
        o.species = {{"A", 3, true}, {"B", 3, true}};
        o.reactions = {{"bind", 0, 1, 10.0, 0.5}};
        o.NT = NT;
        build_run(engine, o);
    };
    std::string restart;
    {
        PDcalc first;
        build(first, 10);
        run(first);
        restart = dir.file(files_in(dir.path(), ".backup").at(0));
        backup::reset();
    }
    const std::string good = read_file(restart);
    const std::size_t prots_at = 8 + 146 + 2 * 4;  // signature, random stream, the species' blocks
    struct Case {
        const char* what;
        std::size_t at;
        const char* thrown;
    };
    const Case cases[] = {
        {"signature", 3, "incorrect backup signature"},
        {"random stream", 8 + 20, "damaged backup file"},
        {"an instance", prots_at + 17, "damaged backup file"},
        {"the step", good.size() - 8 - 3, "damaged backup file"},
        {"checksum", good.size() - 1, "damaged backup file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string damaged = good;
        damaged[c.at] = static_cast<char>(damaged[c.at] ^ 0x01);
        const std::string name = dir.file("damaged.backup");
        testing_support::write_file(name, damaged);

        PDcalc resumed;
        build(resumed, 20);
        configuration(resumed).SetString(name.c_str(), "Files.recover.exp_1");
        const std::string scene = scene_state(resumed);
        unsigned long stream[6], after[6];
        resumed.rng->GetState(stream);
        std::string thrown;
        const std::string log = logged_text([&] {
            try {
                resumed.calculate();
            } catch (const std::string& text) {
                thrown = text;
            }
        });
        EXPECT_EQ(thrown, std::string(c.thrown) + " " + name);
        EXPECT_FALSE(contains(log, "successfully restored")) << log;
        EXPECT_EQ(scene_state(resumed), scene);
        EXPECT_EQ(resumed.step, 0);
        resumed.rng->GetState(after);
        EXPECT_EQ(std::memcmp(after, stream, sizeof stream), 0);
        EXPECT_EQ(resumed.model.reactions[0].events, 0);
        EXPECT_EQ(read_file(name), damaged);  // kept for a look, not deleted
        backup::reset();
    }
}

// A restored experiment whose reaction log is a new file gives it the header
// and goes on from the restored counts.
TEST_F(SimulationLoop, RestoredExperimentWithANewLogGetsItsHeader) {
    std::string restart;
    {
        PDcalc first;
        RunOptions o = options();
        o.species = {{"A", 2, true}, {"B", 2, true}};
        o.reactions = {{"bind", 0, 1, 1.0, 1.0}};
        o.NT = 5;
        build_run(first, o);
        first.model.reactions[0].events = 0;
        run(first);
        restart = dir.file(files_in(dir.path(), ".backup").at(0));
        backup::reset();
    }
    for (const std::string& name : files_in(dir.path(), ".log")) std::filesystem::remove(dir.file(name));
    PDcalc resumed;
    RunOptions o = options();
    o.species = {{"A", 2, true}, {"B", 2, true}};
    o.reactions = {{"bind", 0, 1, 1.0, 1.0}};
    o.NT = 10;
    build_run(resumed, o);
    configuration(resumed).SetString(restart.c_str(), "Files.recover.exp_1");
    run(resumed);
    const std::vector<std::string> logs = files_in(dir.path(), ".log");
    ASSERT_EQ(logs.size(), 1u);
    const std::vector<std::string> lines = lines_of(read_file(dir.file(logs[0])));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "t\tn\tk");
    EXPECT_EQ(lines[1].substr(0, 13), "5.000000e-10\t");
    EXPECT_EQ(lines[2].substr(0, 13), "1.000000e-09\t");
}

// An interrupt during the model run ends the experiment after the step in
// progress, with its final frame and save, and starts no other.
TEST_F(SimulationLoop, InterruptStopsAtTheNextStep) {
    ASSERT_TRUE(platform::install_interrupt_handlers(signal_callback_handler));
    PDcalc engine;
    RunOptions o = options();
    o.NT = std::int64_t{1} << 40;
    o.save_interval = std::int64_t{1} << 40;
    o.trajectory_save_interval = std::int64_t{1} << 40;
    build_run(engine, o);
    engine.experiment_count = 2;
    std::thread interrupter([] {
        while (!delayed_ctrl_c_processing.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::raise(SIGINT);
    });
    const std::string log = run(engine);
    interrupter.join();
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);

    EXPECT_FALSE(contains(log, "Calculation 2 of 2")) << log;
    const std::string final_save = std::to_string(engine.step) + " of " + std::to_string(o.NT) + " steps completed";
    const std::vector<std::string> lines = lines_of(log);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_TRUE(contains(lines[lines.size() - 3], final_save)) << log;
    EXPECT_EQ(frame_steps(o.folder + "trajectory.bin", 4), (std::vector<std::int64_t>{0, engine.step}));
    EXPECT_EQ(files_in(dir.path(), ".backup").size(), 1u);
}

// Step counts beyond 32 bits are printed whole.
TEST_F(SimulationLoop, StateSavesPrintWideStepCounts) {
    PDcalc engine;
    RunOptions o = options();
    o.species = {{"A", 1, true}, {"B", 1, true}};
    o.reactions = {{"bind", 0, 1, 1.0, 1.0}};
    build_run(engine, o);
    backup::add(&engine.step, sizeof engine.step, __FILE__, __LINE__);
    backup::init_complete();
    engine.model.reactions[0].log = fopen_share(dir.file("bind.log"), "w+", false, false);
    engine.step = 3000000000;
    engine.NT = 4000000000;
    const std::string log = logged_text([&] { engine.save_state(false); });
    EXPECT_TRUE(contains(log, "message: 3000000000 of 4000000000 steps completed\n")) << log;
    engine.model.reactions[0].log.reset();
    EXPECT_EQ(read_file(dir.file("bind.log")), "3.000000e-01\t0\n");
    const std::vector<std::string> restart = files_in(dir.path(), ".backup");
    ASSERT_EQ(restart.size(), 1u);
    EXPECT_TRUE(contains(restart[0], "_(3000000000).backup")) << restart[0];
}

// One instance alone in a large box: its move is its six normal draws in
// order, scaled by the frictions across and along its axis, in its body
// frame; a species that does not move and a stopped instance stay.
TEST_F(SimulationLoop, InstanceStepIsTheBrownianMoveInTheBodyFrame) {
    PDcalc engine;
    RunOptions o = options();
    o.halfsize = 1e-6;
    o.species = {{"mover", 1, true}, {"still", 1, false}};
    build_run(engine, o);
    engine.T = 300;
    engine.prots.clear();
    const double turned[3][3] = {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}};
    add_instance(engine, 0, {1e-8, -2e-8, 3e-8}, turned);
    add_instance(engine, 1, {-5e-7, 0, 0});
    add_instance(engine, 0, {5e-7, 5e-7, 0});
    engine.prots[2].stopped = true;
    const std::vector<PROT> before = engine.prots;

    RngStream twin("twin");
    twin.SetEngineSeed(o.seed);
    const auto normal = [&] {
        double u1 = twin.RandU01();
        while (u1 == 0.0) u1 = twin.RandU01();
        const double u2 = twin.RandU01();
        return std::sqrt(2 * engine.TimeStep) * std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
    };
    double g[6];
    for (double& x : g) x = normal();
    const double kT = 1.380662e-23 * 300;
    const POINT3D d{std::sqrt(kT / fixture_f_trans_b) * g[0], std::sqrt(kT / fixture_f_trans_b) * g[1],
                    std::sqrt(kT / fixture_f_trans_a) * g[2]};
    const POINT3D w{std::sqrt(kT / fixture_f_rot_b) * g[5], std::sqrt(kT / fixture_f_rot_b) * g[4],
                    std::sqrt(kT / fixture_f_rot_a) * g[3]};

    engine.step_instances();
    const PROT& p = engine.prots[0];
    const POINT3D moved = POINT3D{before[0].x, before[0].y, before[0].z} + d.fromInternalRotateOnly(before[0]);
    EXPECT_EQ(p.x, moved.x);
    EXPECT_EQ(p.y, moved.y);
    EXPECT_EQ(p.z, moved.z);
    double rot[3][3];
    turn_3a(rot, turned, -w.z, -w.y, -w.x);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_EQ(p.rot[i][j], rot[i][j]);
    EXPECT_EQ(std::memcmp(&engine.prots[1], &before[1], sizeof(PROT)), 0);
    EXPECT_EQ(std::memcmp(&engine.prots[2], &before[2], sizeof(PROT)), 0);
    // Only the moving instance drew numbers.
    EXPECT_EQ(engine.uniform_rand(), twin.RandU01());
}

}  // namespace
