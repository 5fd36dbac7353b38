// The built `zelmar` program run as a child process: help output, console
// rules, log file names, a log held by another process, and the example.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "support/Subprocess.h"
#include "support/TempDir.h"
#include "utils/par/Par.h"
#include "zelmar/HelpTexts.h"
#include "zelmar/LogText.h"

using log_text::normalised;
using testing_support::read_file;
using testing_support::run_program;
using testing_support::TempDir;
using testing_support::write_file;

namespace fs = std::filesystem;

namespace {

const std::string program = ZELMAR_BINARY_DIR "/src/zelmar/zelmar";

// `timeout_seconds` only ends a hung run; it measures no speed.
testing_support::ProgramRun zelmar(const fs::path& folder, std::vector<std::string> args, bool terminal = false,
                                   int timeout_seconds = 60) {
    args.insert(args.begin(), program);
    return run_program(args, {folder, terminal, timeout_seconds});
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool has_stamped_lines(const std::string& text) { return std::regex_search(text, log_text::time_stamp()); }

// The log lines a run writes before its summary.
std::vector<std::string> lines_before_summary(const std::string& log) {
    return lines_of(log.substr(0, log.find("\n\nRepeating warnings/errors:")));
}

const std::string help_of_this_build = par::available ? help_texts::with_mpi() : help_texts::without_mpi();

}  // namespace

TEST(Program, HelpIsPrintedExactlyAndNothingIsLogged) {
    TempDir dir;
    const auto run = zelmar(dir.path(), {"-h"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, help_of_this_build);
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(Program, HelpComesAfterTheOptionsBeforeIt) {
    TempDir dir;
    const auto run = zelmar(dir.path(), {"--bogus", "--help", "-c"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, help_of_this_build);
    EXPECT_EQ(run.err, "zelmar: unknown option --bogus.\n");
}

TEST(Program, RunWithoutArgumentsLogsToZelmarLogInTheCurrentFolder) {
    TempDir dir;
    const auto run = zelmar(dir.path(), {});
    EXPECT_EQ(run.status, 1);  // the configuration "Zelmar" does not exist
    ASSERT_TRUE(fs::exists(dir.path() / "Zelmar.log"));
    const std::string log = read_file(dir.file("Zelmar.log"));

    const std::regex line(R"(\d{1,2}/\d{1,2}/\d{4}, \d{2}:\d{2}:\d{2} : \w+\.cpp\(\d+\), (message|warning|error): .+)");
    const auto lines = lines_before_summary(log);
    ASSERT_FALSE(lines.empty());
    for (const std::string& text : lines) EXPECT_TRUE(std::regex_match(text, line)) << text;
    EXPECT_TRUE(lines.back().ends_with(", message: Done.")) << lines.back();
    const std::string normal = normalised(log);
    EXPECT_NE(normal.find("Zelmar_main.cpp(N), error: program terminated with error\n"), std::string::npos);
    EXPECT_NE(normal.find("\n\nRepeating warnings/errors:\n"), std::string::npos);
    EXPECT_TRUE(log.ends_with("program terminated with error\n\n\n\n"));
}

TEST(Program, ConsoleFollowsTheLastOfVerboseAndSilent) {
    struct Case {
        const char* name;
        std::vector<std::string> args;
        bool terminal;
        bool verbose;
    };
    const Case cases[] = {
        {"not a terminal", {}, false, false},
        {"a terminal", {}, true, true},
        {"silent on a terminal", {"-s"}, true, false},
        {"verbose", {"-v"}, false, true},
        {"silent then verbose", {"-s", "-v"}, false, true},
        {"verbose then silent", {"--verbose", "--silent"}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const auto run = zelmar(dir.path(), c.args, c.terminal);
        EXPECT_EQ(run.status, 1);
        const auto lines = lines_of(run.err);
        ASSERT_FALSE(lines.empty());
        if (c.verbose) {
            // Every log line, errors also bare at once, then the summary.
            EXPECT_NE(run.err.find("program terminated with error\n"), std::string::npos);
            EXPECT_NE(normalised(run.err).find("Zelmar_main.cpp(N), error: program terminated with error\n"),
                      std::string::npos);
            EXPECT_NE(run.err.find(", message: Done.\n"), std::string::npos);
            EXPECT_NE(run.err.find("\n\nRepeating warnings/errors:"), std::string::npos);
        } else {
            // Only the errors, bare.
            EXPECT_FALSE(has_stamped_lines(run.err)) << run.err;
            EXPECT_EQ(lines.back(), "program terminated with error");
        }
        EXPECT_TRUE(fs::exists(dir.path() / "Zelmar.log"));
    }
}

TEST(Program, LogHeldByAnotherProcessIsRefusedUntouched) {
    TempDir dir;
    const std::string log = dir.file("run.log");
    write_file(log, "an earlier run\n");
    // This test process is the other program: it holds a write lock.
    const int fd = ::open(log.c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    ASSERT_EQ(fcntl(fd, F_OFD_SETLK, &lock), 0);

    const auto run = zelmar(dir.path(), {"-l", "run"});
    ::close(fd);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(normalised(run.err), "fopen_s.cpp(N), warning: could not lock run.log\nerror: Failed to start logging\n");
    EXPECT_EQ(read_file(log), "an earlier run\n");
}

TEST(Program, SecondRunAppendsToTheSameLog) {
    TempDir dir;
    zelmar(dir.path(), {"-l", "run"});
    const std::string first = read_file(dir.file("run.log"));
    zelmar(dir.path(), {"-l", "run"});
    const std::string both = read_file(dir.file("run.log"));
    ASSERT_TRUE(both.starts_with(first));
    EXPECT_TRUE(std::regex_search(both.substr(first.size()), log_text::time_stamp()));
    EXPECT_TRUE(first.ends_with("\n\n\n"));
}

namespace {

// A small run of the peptide fixture: 20 steps, its final restart file at
// step 20; `files` goes into its "Files" section.
std::string peptide_run(const std::string& files = "") {
    return std::string(R"(
        Files { in_folder = ")") + ZELMAR_FIXTURES + R"(/proteins/"  no_overwrite = 0  )" + files + R"( }
        Calculation { calc_kin = 1  NT = 20  save_interval = 10  h = 3  N = 5  interaction = 0  random_seed = 5 }
        Physics { A = 20 }
        Compartments { box { halfsize = [60, 60, 60] } }
        Species { pept { pdb = "pept.pdb"  compartment = "box"  N = 4  ellipsoid = "*"  spheres = "*" } }
    )";
}

// The final restart file of the peptide run in `folder`.
std::string final_restart(const fs::path& folder) {
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().ends_with("_(20).backup")) return entry.path().filename().string();
    return "";
}

}  // namespace

// What a user meets when a run cannot start or cannot go on: each message on
// a line of its own (errors bare on standard error; warnings in the log) with
// its exact text, and the exit status. "{T}" stands for the run's folder.
TEST(Program, FailuresAndWarningsSayWhatHappened) {
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> files;  // written first
        std::vector<std::string> args;
        int status;
        const char* err;
        const char* logged;  // a line of the log (normalised), or null
        // Runs first in the folder, then edits the configuration: a restart
        // file from an earlier run, damaged or not.
        std::function<void(const fs::path&)> arrange;
    };
    const auto earlier_run = [](std::function<void(std::string&)> damage) {
        return [damage](const fs::path& folder) {
            write_file((folder / "run.cfg").string(), peptide_run());
            ASSERT_EQ(zelmar(folder, {"-s", "-l", "first", "-c", "run.cfg"}).status, 0);
            const std::string name = final_restart(folder);
            ASSERT_FALSE(name.empty());
            std::string bytes = read_file((folder / name).string());
            damage(bytes);
            fs::remove(folder / name);
            write_file((folder / "state.backup").string(), bytes);
            write_file((folder / "run.cfg").string(), peptide_run("recover { exp_1 = \"state.backup\" }"));
        };
    };
    const Case cases[] = {
        {"a configuration that does not exist", {}, {"-c", "missing.cfg"}, 1,
         "error: bad filename \"missing.cfg\"\nFailed to open configuration file \"{T}/missing.cfg\"\n"
         "program terminated with error\n",
         nullptr, {}},
        {"a configuration in a folder that does not exist", {}, {"-c", "/nonexistent/x.cfg"}, 1,
         "error: bad filename \"/nonexistent/x.cfg\"\nerror: Failed to chdir to \"/nonexistent\" (-1)\n", nullptr, {}},
        {"a configuration that does not parse", {{"bad.cfg", "Files { x = }\n"}}, {"-c", "bad.cfg"}, 1,
         "{T}/bad.cfg(1), error: expected number or \"string\" (may be array) after '='\n"
         "{T}/bad.cfg(2), error: unexpected end of file\n"
         "Failed to open configuration file \"{T}/bad.cfg\"\n"
         "configuration file \"{T}/bad.cfg\" could not be parsed: 2 error(s)\n"
         "program terminated with error\n",
         nullptr, {}},
        {"a number with text after it", {{"o.cfg", "Calculation {\n  TimeStep = 2O  # ps\n}\n"}}, {"-c", "o.cfg"}, 1,
         "the configuration has no \"Compartments\" section\nprogram terminated with error\n",
         "trace level 2, warning: {T}/o.cfg(2), warning: Calculation.TimeStep is read as 2: the text \"O\" after the "
         "number is ignored",
         {}},
        {"a restart file that does not exist", {{"run.cfg", peptide_run("recover { exp_1 = \"nowhere.backup\" }")}},
         {"-c", "run.cfg"}, 1, "program terminated with exception failed to open backup file nowhere.backup\n",
         nullptr, {}},
        {"a damaged restart file", {}, {"-c", "run.cfg"}, 1,
         "program terminated with exception damaged backup file state.backup\n", nullptr,
         earlier_run([](std::string& bytes) { bytes[bytes.size() / 2] ^= 0x40; })},
        {"a restart file without a checksum", {}, {"-c", "run.cfg"}, 0, "",
         "backup.cpp(N), warning: backup file state.backup has no checksum: it is restored unchecked",
         earlier_run([](std::string& bytes) { bytes.resize(bytes.size() - 8); })},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string root = fs::canonical(dir.path()).string();
        const auto with_root = [&root](std::string text) {
            for (auto at = text.find("{T}"); at != std::string::npos; at = text.find("{T}", at + root.size()))
                text.replace(at, 3, root);
            return text;
        };
        for (const auto& [name, text] : c.files) write_file(dir.file(name), text);
        if (c.arrange) c.arrange(dir.path());
        std::vector<std::string> args = {"-s", "-l", "run"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto run = zelmar(dir.path(), args);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.err, with_root(c.err));
        if (c.logged != nullptr) {
            const std::string log = normalised(read_file(dir.file("run.log")));
            EXPECT_NE(log.find(with_root(c.logged) + "\n"), std::string::npos) << log;
        }
    }
}

namespace {

// The example's folder, copied to `folder` with its configuration edited by
// `edit` (replacing each first text by the second).
void copy_example(const fs::path& folder, const std::vector<std::pair<std::string, std::string>>& edit = {}) {
    fs::copy(ZELMAR_EXAMPLES "/protease", folder);
    fs::create_directories(folder / "out");
    std::string config = read_file((folder / "protease.cfg").string());
    for (const auto& [from, to] : edit) {
        const auto at = config.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        config.replace(at, from.size(), to);
    }
    write_file((folder / "protease.cfg").string(), config);
}

testing_support::ProgramRun run_example(const fs::path& folder, const std::string& log) {
    // Under the sanitizers, on a busy machine, the example takes minutes: the
    // time limit only ends a hung run.
    return run_program({program, "-s", "-c", "protease.cfg", "-l", log}, {folder, false, 900});
}

std::vector<std::string> names_in(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The outputs of one run of the example whose names carry its date and
// process (written after `before` was taken), with the trajectory.
struct ExampleOutputs {
    std::string trajectory;
    std::string reaction_log;
    std::string contacts;
    std::vector<std::string> dumps;  // in the order of their names' binding numbers
};

ExampleOutputs outputs_since(const fs::path& out, const std::vector<std::string>& before) {
    ExampleOutputs outputs;
    outputs.trajectory = read_file((out / "trajectory.bin").string());
    std::vector<std::pair<int, std::string>> dumps;
    for (const std::string& name : names_in(out)) {
        if (std::binary_search(before.begin(), before.end(), name)) continue;
        const std::string text = read_file((out / name).string());
        if (name.starts_with("binding.1.") && name.ends_with(".log")) outputs.reaction_log = text;
        if (name.starts_with("peptide_protease.contacts.")) outputs.contacts = text;
        if (name.starts_with("binding.1.") && name.ends_with(".pdb"))
            dumps.emplace_back(std::stoi(name.substr(std::string("binding.1.").size())), text);
    }
    std::sort(dumps.begin(), dumps.end());
    for (auto& [number, text] : dumps) outputs.dumps.push_back(std::move(text));
    return outputs;
}

}  // namespace

// The example of examples/protease, run as scripts/example runs it: it ends
// when every protease is bound, with its reaction log, one structure dump per
// binding, the trajectory and the final restart file. Run again in the same
// folder, it reads the axes and spheres its first run cached and repeats that
// run byte for byte.
TEST(Program, ExampleRunsToItsLastBindingAndRepeatsItself) {
    TempDir dir;
    copy_example(dir.path());
    const auto run = run_example(dir.path(), "zelmar");
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string log = normalised(read_file(dir.file("zelmar.log")));
    EXPECT_NE(log.find("message: Calculation complete\n"), std::string::npos) << log;
    EXPECT_NE(log.find("message: Reaction binding, 8 events\n"), std::string::npos) << log;

    std::vector<std::string> reaction_logs, dumps, restarts;
    for (const auto& entry : fs::directory_iterator(dir.path() / "out")) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("binding.1.", 0) == 0 && name.size() > 4 && name.substr(name.size() - 4) == ".log")
            reaction_logs.push_back(entry.path().string());
        if (name.rfind("binding.1.", 0) == 0 && name.substr(name.size() - 4) == ".pdb") dumps.push_back(name);
        if (name.substr(name.size() - 7) == ".backup") restarts.push_back(name);
    }
    ASSERT_EQ(reaction_logs.size(), 1u);
    const std::vector<std::string> lines = lines_of(read_file(reaction_logs[0]));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines.front(), "t\tn\tk");
    EXPECT_EQ(lines.back().substr(lines.back().find('\t')), "\t8\tinf");
    EXPECT_EQ(dumps.size(), 8u);
    EXPECT_EQ(restarts.size(), 1u);
    const auto frame = 8 + 101 * (8 + 24);
    const auto size = fs::file_size(dir.path() / "out" / "trajectory.bin");
    EXPECT_GT(size, 2u * frame);
    EXPECT_EQ(size % frame, 0u);

    const ExampleOutputs first = outputs_since(dir.path() / "out", {});
    const std::vector<std::string> before = names_in(dir.path() / "out");
    const auto rerun = run_example(dir.path(), "again");
    ASSERT_EQ(rerun.status, 0) << rerun.err;
    const std::string again = normalised(read_file(dir.file("again.log")));
    for (const char* cached :
         {"reading rotation matrix from out/protease.ellipsoid ...", "reading out/protease.spheres ...",
          "reading rotation matrix from out/peptide.ellipsoid ...", "reading out/peptide.spheres ..."})
        EXPECT_NE(again.find(cached), std::string::npos) << cached;
    const ExampleOutputs second = outputs_since(dir.path() / "out", before);
    EXPECT_TRUE(second.trajectory == first.trajectory);
    EXPECT_EQ(second.reaction_log, first.reaction_log);
    EXPECT_EQ(second.contacts, first.contacts);
    EXPECT_EQ(second.dumps, first.dumps);
}

// An experiment restored from a restart file goes on as the uninterrupted
// one: the same trajectory, byte for byte, and the same reaction-log lines
// from the restart step on. The uninterrupted run computes the caches; the
// interrupted and the restored ones read them.
TEST(Program, RestoredExampleGoesOnAsTheUninterruptedRun) {
    TempDir dir;
    copy_example(dir.path(), {{"NT = 20000", "NT = 3000"}});
    ASSERT_EQ(run_example(dir.path(), "whole").status, 0);
    const ExampleOutputs whole = outputs_since(dir.path() / "out", {});

    copy_example(dir.path() / "part", {{"NT = 20000", "NT = 1000"}});
    fs::copy(dir.path() / "out", dir.path() / "part" / "out", fs::copy_options::recursive);
    std::vector<std::string> before = names_in(dir.path() / "part" / "out");
    ASSERT_EQ(run_example(dir.path() / "part", "part").status, 0);
    const ExampleOutputs part = outputs_since(dir.path() / "part" / "out", before);
    std::string restart;
    for (const std::string& name : names_in(dir.path() / "part" / "out"))
        if (name.ends_with("_(1000).backup")) restart = "out/" + name;
    ASSERT_FALSE(restart.empty());

    std::string config = read_file(dir.file("part/protease.cfg"));
    config.replace(config.find("NT = 1000"), 9, "NT = 3000");
    config.replace(config.find("Files {"), 7, "Files {\n    recover { exp_1 = \"" + restart + "\" }");
    write_file(dir.file("part/protease.cfg"), config);
    before = names_in(dir.path() / "part" / "out");
    const auto resumed = run_example(dir.path() / "part", "resumed");
    ASSERT_EQ(resumed.status, 0) << resumed.err;
    const std::string log = normalised(read_file(dir.file("part/resumed.log")));
    EXPECT_NE(log.find("message: successfully restored at step 1000\n"), std::string::npos) << log;
    const ExampleOutputs rest = outputs_since(dir.path() / "part" / "out", before);

    EXPECT_TRUE(rest.trajectory == whole.trajectory);
    // The log lines: the interrupted run's up to step 1000, the restored
    // run's (a fresh log of its own) from step 1000 on.
    const std::vector<std::string> all = lines_of(whole.reaction_log);
    const std::vector<std::string> head = lines_of(part.reaction_log);
    std::vector<std::string> tail = lines_of(rest.reaction_log);
    ASSERT_FALSE(tail.empty());
    EXPECT_EQ(tail.front(), "t\tn\tk");
    tail.erase(tail.begin());
    ASSERT_EQ(head.size() + tail.size(), all.size() + 1);  // the line of step 1000 in both
    EXPECT_EQ(head, std::vector<std::string>(all.begin(), all.begin() + static_cast<long>(head.size())));
    EXPECT_EQ(tail, std::vector<std::string>(all.end() - static_cast<long>(tail.size()), all.end()));
}
