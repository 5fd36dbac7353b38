// The engine program under `mpiexec -n 3`: log names and working folders
// with and without rank folders, and a job whose process 0 fails to prepare.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/Subprocess.h"
#include "support/TempDir.h"
#include "zelmar/LogText.h"

using log_text::normalised;
using testing_support::read_file;
using testing_support::run_program;
using testing_support::TempDir;
using testing_support::write_file;

namespace fs = std::filesystem;

namespace {

const std::string zelmar = ZELMAR_BINARY_DIR "/src/zelmar/zelmar";
const std::string barrier_probe = ZELMAR_BINARY_DIR "/tests/zelmar/zelmar_barrier_probe";

testing_support::ProgramRun mpiexec3(const fs::path& folder, const std::string& program,
                                     const std::vector<std::string>& args) {
    std::vector<std::string> words = {ZELMAR_MPIEXEC, "-n", "3", program};
    words.insert(words.end(), args.begin(), args.end());
    return run_program(words, {folder, false, 30});
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::vector<std::string> files_in(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) names.push_back(fs::relative(entry.path(), folder).string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(MpiJob, SharedFolderLogsPerRankAndEndsWhenProcessZeroFails) {
    TempDir dir;
    const std::string root = fs::canonical(dir.path()).string();
    // There is no configuration, so process 0 fails while the others wait at
    // their barrier: the job must end instead of hanging.
    const auto run = mpiexec3(dir.path(), zelmar, {"-l", "run", "-m"});
    EXPECT_EQ(run.status, 1) << run.err;
    const std::string first = normalised(read_file(dir.file("run.0.log")));
    EXPECT_TRUE(contains(first, "message: process 0 of 3\n")) << first;
    EXPECT_TRUE(contains(first, "message: running in " + root + "\n")) << first;
    EXPECT_TRUE(contains(first, "Zelmar_main.cpp(N), error: program terminated with error\n")) << first;
    EXPECT_TRUE(contains(first, "\n\nRepeating warnings/errors:\n")) << first;
    // The others never got past their barrier; a slow one may not even have
    // started its log when the job was ended.
    for (const std::string& name : files_in(dir.path())) {
        if (name == "run.0.log") continue;
        EXPECT_TRUE(name == "run.1.log" || name == "run.2.log") << name;
        EXPECT_EQ(read_file(dir.file(name)), "") << name;
    }
}

TEST(MpiJob, RankFoldersMakeEveryProcessWorkAlone) {
    TempDir dir;
    const std::string root = fs::canonical(dir.path()).string();
    for (const char* rank : {"0", "1", "2"}) fs::create_directory(dir.path() / rank);
    const auto run = mpiexec3(dir.path(), zelmar, {"-l", "run", "-m"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(files_in(dir.path()), (std::vector<std::string>{"0/run.log", "1/run.log", "2/run.log"}));
    for (const char* rank : {"0", "1", "2"}) {
        SCOPED_TRACE(rank);
        const std::string log = normalised(read_file(dir.file(std::string(rank) + "/run.log")));
        EXPECT_TRUE(contains(log, "message: process 0 of 1\n")) << log;
        EXPECT_TRUE(contains(log, "message: running in " + root + "/" + rank + "\n")) << log;
        EXPECT_TRUE(contains(log, "error: program terminated with error\n")) << log;
    }
}

TEST(MpiJob, RankFoldersAreLookedUpBesideAConfigurationGivenEarlier) {
    TempDir dir;
    const std::string root = fs::canonical(dir.path()).string();
    for (const char* rank : {"0", "1", "2"}) fs::create_directories(dir.path() / "sim" / rank);
    write_file(dir.file("sim/a.cfg"), "");
    const auto run = mpiexec3(dir.path(), zelmar, {"-c", "sim/a.cfg", "-m", "-l", "run"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(files_in(dir.path()),
              (std::vector<std::string>{"sim/0/run.log", "sim/1/run.log", "sim/2/run.log", "sim/a.cfg"}));
    const std::string log = normalised(read_file(dir.file("sim/2/run.log")));
    EXPECT_TRUE(contains(log, "message: running in " + root + "/sim/2\n")) << log;
    EXPECT_TRUE(contains(log, "message: configuration file " + root + "/sim/a.cfg\n")) << log;
}

TEST(MpiJob, SharedFolderProcessesPrepareAfterProcessZero) {
    TempDir dir;
    const auto run = mpiexec3(dir.path(), barrier_probe, {"-l", "run", "-m"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(files_in(dir.path()),
              (std::vector<std::string>{"rank0.prepared", "run.0.log", "run.1.log", "run.2.log"}));
    const std::string first = normalised(read_file(dir.file("run.0.log")));
    EXPECT_TRUE(contains(first, "message: process 0 of 3\n") && contains(first, "message: prepared first\n") &&
                contains(first, "message: calculating\n"))
        << first;
    for (const char* rank : {"1", "2"}) {
        SCOPED_TRACE(rank);
        const std::string log = normalised(read_file(dir.file(std::string("run.") + rank + ".log")));
        EXPECT_TRUE(contains(log, std::string("message: process ") + rank + " of 3\n")) << log;
        EXPECT_TRUE(contains(log, "message: process 0 had prepared: yes\n")) << log;
        EXPECT_TRUE(contains(log, "message: calculating\n")) << log;
    }
}

// A small simulation of the peptide: `settings` go into "Calculation".
std::string peptide_run(const std::string& settings) {
    return std::string(R"(
        Files { in_folder = ")") + ZELMAR_FIXTURES + R"(/proteins/"  no_overwrite = 0 }
        Calculation { calc_kin = 1  NT = 20  save_interval = 10  h = 3  N = 5  interaction = 0  )" + settings + R"( }
        Physics { A = 20 }
        Compartments { box { halfsize = [60, 60, 60] } }
        Species { pept { pdb = "pept.pdb"  compartment = "box"  N = 6  ellipsoid = "*"  spheres = "*" } }
    )";
}

// The final restart files (step 20) below `folder`.
std::vector<std::string> final_states(const TempDir& dir) {
    std::vector<std::string> finals;
    for (const std::string& name : files_in(dir.path()))
        if (name.find("_(20).backup") != std::string::npos) finals.push_back(read_file(dir.file(name)));
    return finals;
}

// A whole simulation in one shared folder: process 0 prepares first and
// writes the caches, which the others then read; experiments 1 to 4 are
// split by rank; every process draws from the stream of its rank, so no two
// experiments end alike.
TEST(MpiJob, SharedFolderSplitsTheExperiments) {
    TempDir dir;
    write_file(dir.file("run.cfg"), peptide_run("EXP_NUM = 4  random_seed = 99"));
    const auto run = mpiexec3(dir.path(), zelmar, {"-l", "run", "-m", "-c", "run.cfg"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::vector<std::string>> experiments = {{"1", "4"}, {"2"}, {"3"}};
    for (int rank = 0; rank < 3; ++rank) {
        SCOPED_TRACE(rank);
        const std::string log = normalised(read_file(dir.file("run." + std::to_string(rank) + ".log")));
        for (const std::string& e : experiments[static_cast<std::size_t>(rank)])
            EXPECT_TRUE(contains(log, "message: Calculation " + e + " of 4\n")) << log;
        EXPECT_EQ(contains(log, "rotation matrix written to ./pept.ellipsoid"), rank == 0) << log;
        EXPECT_EQ(contains(log, "reading rotation matrix from ./pept.ellipsoid"), rank > 0) << log;
        EXPECT_EQ(contains(log, "writing ./pept.spheres"), rank == 0) << log;
        const std::string seed = rank == 0 ? "message: random seed: 99\n"
                                           : "message: random seed: 99, stream " + std::to_string(rank) + "\n";
        EXPECT_TRUE(contains(log, seed)) << log;
    }
    // The final restart files differ between processes. (Process 0's second
    // experiment ends in the same minute at the same step as its first, so
    // its restart file has the same name and is not written.)
    const std::vector<std::string> finals = final_states(dir);
    ASSERT_GE(finals.size(), 3u);
    for (std::size_t a = 0; a < finals.size(); ++a)
        for (std::size_t b = 0; b < a; ++b) EXPECT_NE(finals[a], finals[b]) << a << " " << b;
}

// Processes alone in their rank folders with a seed from the clock start in
// the same second, yet each draws from the stream of its rank in the job.
TEST(MpiJob, RankFoldersWithAClockSeedDrawDifferently) {
    TempDir dir;
    for (const char* rank : {"0", "1", "2"}) {
        fs::create_directory(dir.path() / rank);
        write_file(dir.file(std::string(rank) + "/run.cfg"), peptide_run(""));
    }
    const auto run = mpiexec3(dir.path(), zelmar, {"-m", "-l", "run", "run.cfg"});
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* rank : {"1", "2"}) {
        const std::string log = normalised(read_file(dir.file(std::string(rank) + "/run.log")));
        EXPECT_TRUE(contains(log, std::string(", stream ") + rank + "\n")) << log;
    }
    const std::vector<std::string> finals = final_states(dir);
    ASSERT_EQ(finals.size(), 3u);
    EXPECT_NE(finals[0], finals[1]);
    EXPECT_NE(finals[0], finals[2]);
    EXPECT_NE(finals[1], finals[2]);
}
