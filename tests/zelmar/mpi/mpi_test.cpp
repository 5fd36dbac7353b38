// The engine program under `mpiexec -n 3`: log names and working folders
// with and without rank folders, and a job whose process 0 fails to prepare.
#include <gtest/gtest.h>

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
    return run_program(words, {folder, false});
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
    // The engine cannot prepare yet, so process 0 fails while the others wait
    // at their barrier: the job must end instead of hanging.
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
