// The program's entry run in a child process with a stand-in engine: exit
// statuses and messages, directory rules, logging start-up.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "support/TempDir.h"
#include "utils/par/Par.h"
#include "zelmar/FakeEngine.h"
#include "zelmar/HelpTexts.h"
#include "zelmar/LogText.h"
#include "zelmar/Zelmar_main.h"

using fake_engine::Behaviour;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

namespace fs = std::filesystem;

namespace {

int run_entry(const std::vector<std::string>& args, const zelmar::EngineFactory& make_engine) {
    std::vector<std::string> words = {"/usr/local/bin/zelmar"};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    return zelmar::zelmar_main(static_cast<int>(words.size()), argv.data(), make_engine);
}

using log_text::normalised;

// Runs the entry in a child process started in `folder` and checks its exit
// status and what it wrote to standard error (normalised).
// `arrange`, when given, runs first in the child.
void expect_run(const fs::path& folder, const std::vector<std::string>& args, const zelmar::EngineFactory& engine,
                int status, const std::string& console, const std::function<void()>& arrange = {}) {
    EXPECT_EXIT(
        {
            if (arrange) arrange();
            if (::chdir(folder.c_str()) != 0) std::_Exit(99);
            // Not a terminal, so the run is silent unless told otherwise.
            if (std::freopen("/dev/null", "w", stdout) == nullptr) std::_Exit(98);
            std::exit(run_entry(args, engine));
        },
        testing::ExitedWithCode(status),
        testing::ResultOf([](const std::string& text) { return normalised(text); }, testing::Eq(console)));
}

// Replaces every "{T}" in `text` by `root`.
std::string with_root(std::string text, const std::string& root) {
    for (auto at = text.find("{T}"); at != std::string::npos; at = text.find("{T}", at + root.size()))
        text.replace(at, 3, root);
    return text;
}

// A log file's content as written by a run that logged `lines` (normalised)
// and had `errors` among them.
std::string expected_log(const std::vector<std::string>& lines, const std::vector<std::string>& errors) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    if (!errors.empty()) {
        text += "\n\nRepeating warnings/errors:\n";
        for (const std::string& line : errors) text += line + "\n";
        text += "\n";
    }
    return text + "\n\n";
}

// The niceness line of the report: the run lowers its priority by 20 steps,
// as far as the system allows.
std::string lowered_priority() { return "nice " + std::to_string(std::min(::nice(0) + 20, 19)) + "\n"; }

}  // namespace

TEST(EntryHelp, BothOptionTablesPrintTheirHelpExactly) {
    std::ostringstream with_mpi;
    zelmar::print_help(with_mpi, "/usr/local/bin/zelmar", true);
    EXPECT_EQ(with_mpi.str(), help_texts::with_mpi());
    std::ostringstream without_mpi;
    zelmar::print_help(without_mpi, "zelmar", false);
    EXPECT_EQ(without_mpi.str(), help_texts::without_mpi());
    EXPECT_EQ(zelmar::option_table(), par::available ? zelmar::optv_with_mpi : zelmar::optv_without_mpi);
}

TEST(EntryDeathTest, StatusesAndMessagesOfTheEngineRun) {
    struct Case {
        const char* name;
        zelmar::EngineFactory engine;
        int status;
        const char* error;  // logged by the entry, or null
        bool calculated;
    };
    const auto engine = [](Behaviour b) { return fake_engine::factory(b); };
    const Case cases[] = {
        {"normal end", engine(Behaviour::succeed), 0, nullptr, true},
        {"preparation fails", engine(Behaviour::fail), 1, "program terminated with error", false},
        {"text thrown in preparation", engine(Behaviour::throw_text_in_prepare), 1,
         "program terminated with exception No compartment defined", false},
        {"text thrown in calculation", engine(Behaviour::throw_text_in_calculate), 1,
         "program terminated with exception Bad restart file", true},
        {"string thrown", engine(Behaviour::throw_string), 1,
         "program terminated with exception restart file does not match", false},
        {"out of memory", engine(Behaviour::throw_bad_alloc), 1, "not enough memory", false},
        {"standard exception", engine(Behaviour::throw_standard), 1, "program terminated with exception", false},
        {"anything else thrown", engine(Behaviour::throw_int), 1, "program terminated with exception", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string error_line = c.error ? std::string("Zelmar_main.cpp(N), error: ") + c.error : "";
        expect_run(dir.path(), {"-s", "-l", dir.file("run")}, c.engine, c.status,
                   c.error ? std::string(c.error) + "\n" : "");
        std::vector<std::string> lines = {"FakeEngine.h(N), message: fake prepare"};
        if (c.calculated) lines.push_back("FakeEngine.h(N), message: fake calculate");
        if (c.error) lines.push_back(error_line);
        lines.push_back("FakeEngine.h(N), message: fake engine destroyed");
        EXPECT_EQ(normalised(read_file(dir.file("run.log"))),
                  expected_log(lines, c.error ? std::vector<std::string>{error_line} : std::vector<std::string>{}));
    }
}

TEST(EntryDeathTest, EngineThatCannotBeConstructedIsReportedAsOutOfMemory) {
    TempDir dir;
    const zelmar::EngineFactory engine = []() -> std::unique_ptr<zelmar::Engine> { throw std::bad_alloc(); };
    expect_run(dir.path(), {"-s", "-l", dir.file("run")}, engine, 1, "not enough memory\n");
    EXPECT_EQ(normalised(read_file(dir.file("run.log"))),
              expected_log({"Zelmar_main.cpp(N), error: not enough memory"},
                           {"Zelmar_main.cpp(N), error: not enough memory"}));
}

TEST(EntryDeathTest, WorkingFolderAndConfigurationFollowTheOptions) {
    struct Case {
        const char* name;
        std::vector<std::string> args;
        const char* console;
        const char* folder;  // expected working folder
        const char* config;  // expected configuration path
    };
    const Case cases[] = {
        {"-d before -c keeps the folder", {"-d", "{T}/data", "-c", "cfg/a.cfg"}, "", "{T}/data",
         "{T}/data/cfg/a.cfg"},
        {"-c before -d moves twice", {"-c", "cfg/a.cfg", "-d", "{T}/data"}, "", "{T}/data", "{T}/cfg/a.cfg"},
        {"long option with value", {"--config=cfg/a.cfg"}, "", "{T}/cfg", "{T}/cfg/a.cfg"},
        {"the folder follows each positional argument", {"one/a.cfg", "../two/b.cfg"}, "", "{T}/two",
         "{T}/two/b.cfg"},
        {"links are resolved", {"link/a.cfg"}, "", "{T}/cfg", "{T}/cfg/a.cfg"},
        {"no configuration given", {}, "", "{T}", "Zelmar"},
        {"-c without its file", {"-c"}, "zelmar: argument required for -c option.\n", "{T}", "Zelmar"},
        {"-d without its folder", {"-c", "cfg/a.cfg", "-d"}, "zelmar: argument required for -d option.\n", "{T}/cfg",
         "{T}/cfg/a.cfg"},
        {"a name without its extension", {"-c", "cfg/a"}, "error: bad filename \"cfg/a\"\n", "{T}/cfg", "{T}/cfg/a"},
        {"unknown options are reported and skipped", {"-x", "--bogus", "-c", "cfg/a.cfg"},
         "zelmar: unknown option -x.\nzelmar: unknown option --bogus.\n", "{T}/cfg", "{T}/cfg/a.cfg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string root = fs::canonical(dir.path()).string();
        for (const char* folder : {"data/cfg", "cfg", "one", "two"}) fs::create_directories(dir.path() / folder);
        for (const char* file : {"data/cfg/a.cfg", "cfg/a.cfg", "one/a.cfg", "two/b.cfg"})
            write_file(dir.file(file), "");
        fs::create_directory_symlink(dir.path() / "cfg", dir.path() / "link");

        std::vector<std::string> args = {"-s", "-l", dir.file("run")};
        for (const std::string& arg : c.args) args.push_back(with_root(arg, root));
        const std::string report = dir.file("report");
        expect_run(dir.path(), args, fake_engine::factory(Behaviour::succeed, report), 0, c.console);
        EXPECT_EQ(read_file(report), with_root(c.folder, root) + "\n" + with_root(c.config, root) + "\n0 of 1\n" +
                                         lowered_priority());
    }
}

TEST(EntryDeathTest, DefaultLogIsZelmarLogInTheFinalFolder) {
    TempDir dir;
    fs::create_directory(dir.path() / "cfg");
    write_file(dir.file("cfg/a.cfg"), "");
    expect_run(dir.path(), {"-s", "-c", "cfg/a.cfg"}, fake_engine::factory(Behaviour::succeed), 0, "");
    EXPECT_TRUE(fs::exists(dir.path() / "cfg" / "Zelmar.log"));
    EXPECT_FALSE(fs::exists(dir.path() / "Zelmar.log"));
}

// A folder that cannot be entered is a failed start: its messages, each on
// its own line, and status 1, before anything is logged or prepared.
TEST(EntryDeathTest, UnusablePathsEndTheRunAsAFailedStart) {
    struct Case {
        const char* name;
        std::vector<std::string> args;
        const char* console;
    };
    const Case cases[] = {
        {"configuration in a missing folder", {"-c", "missing/x.cfg"},
         "error: bad filename \"missing/x.cfg\"\nerror: Failed to chdir to \"{T}/missing\" (-1)\n"},
        {"missing working folder", {"-d", "nowhere"},
         "error: bad filename \"nowhere\"\nerror: Failed to chdir to \"{T}/nowhere\" (-1)\n"},
        {"working folder that is a file", {"-d", "file"}, "error: Failed to chdir to \"{T}/file\" (-1)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        write_file(dir.file("file"), "");
        const std::string root = fs::canonical(dir.path()).string();
        std::vector<std::string> args = {"-s", "-l", dir.file("run")};
        args.insert(args.end(), c.args.begin(), c.args.end());
        expect_run(dir.path(), args, fake_engine::factory(Behaviour::succeed, dir.file("report")), 1,
                   with_root(c.console, root));
        EXPECT_FALSE(fs::exists(dir.file("report")));
        EXPECT_FALSE(fs::exists(dir.file("run.log")));
    }
}

TEST(EntryDeathTest, LogThatCannotStartEndsWithStatusOneBeforeTheEngine) {
    TempDir dir;
    const std::string log = dir.file("missing/run");
    expect_run(dir.path(), {"-s", "-l", log}, fake_engine::factory(Behaviour::succeed, dir.file("report")), 1,
               "fopen_s.cpp(N), warning: could not open " + log + ".log\nerror: Failed to start logging\n");
    EXPECT_FALSE(fs::exists(dir.file("report")));
}

// Failures before logging starts: each is written to standard error on a
// line of its own, its code is the exit status, and nothing is logged or
// prepared.
TEST(EntryDeathTest, FailuresBeforeLoggingEndWithTheirCodes) {
    struct Case {
        const char* name;
        bool needs_mpi;
        std::function<void()> arrange;
        std::vector<std::string> args;
        int status;
        const char* console;
    };
    const Case cases[] = {
        {"exit function not registered", false,
         [] { zelmar_detail::set_exit_registration([](void (*)()) { return 7; }); }, {}, 7,
         "error: Failed to register exit function (7)\n"},
        {"MPI does not start", true, [] { par_detail::set_failures({.init = 5}); }, {"-m"}, 5,
         "error: Failed to init MPICH (5)\n"},
        {"rank unknown", true, [] { par_detail::set_failures({.rank = 6}); }, {"-m"}, 6,
         "error: Failed to get process rank (6)\n"},
        {"size of the job unknown", true, [] { par_detail::set_failures({.size = 8}); }, {"-m"}, 8,
         "error: Failed to get communictor group size (8)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.needs_mpi && !par::available) continue;  // no -m without MPI
        TempDir dir;
        std::vector<std::string> args = {"-s", "-l", dir.file("run")};
        args.insert(args.end(), c.args.begin(), c.args.end());
        expect_run(dir.path(), args, fake_engine::factory(Behaviour::succeed, dir.file("report")), c.status,
                   c.console, c.arrange);
        EXPECT_FALSE(fs::exists(dir.file("report")));
        EXPECT_FALSE(fs::exists(dir.file("run.log")));
    }
}

TEST(EntryDeathTest, HelpEndsWithStatusZeroWithoutLogging) {
    TempDir dir;
    expect_run(dir.path(), {"-s", "-l", dir.file("run"), "-h", "-c", "nowhere.cfg"},
               fake_engine::factory(Behaviour::succeed, dir.file("report")), 0, "");
    EXPECT_FALSE(fs::exists(dir.file("report")));
    EXPECT_FALSE(fs::exists(dir.file("run.log")));
}

TEST(EntryDeathTest, MpiOptionExistsOnlyInBuildsWithMpi) {
    if (par::available) GTEST_SKIP() << "joining MPI is shown by the mpiexec tests";
    TempDir dir;
    expect_run(dir.path(), {"-s", "-l", dir.file("run"), "-m"}, fake_engine::factory(Behaviour::succeed), 0,
               "zelmar: unknown option -m.\n");
}

TEST(Entry, ChdirDriveReportsTheFailingCall) {
    testing_support::CurrentDirGuard guard;
    EXPECT_EQ(zelmar::chdir_drive(""), 0);
    testing::internal::CaptureStderr();
    EXPECT_EQ(zelmar::chdir_drive("/no/such/folder"), -1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "error: Failed to chdir to \"/no/such/folder\" (-1)\n");
    TempDir dir;
    EXPECT_EQ(zelmar::chdir_drive(dir.path().string()), 0);
    EXPECT_EQ(fs::current_path(), fs::canonical(dir.path()));
}
