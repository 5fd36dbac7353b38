// The files of a hosted engine: folders taken from the configuration's
// folder when the host asks for it, and reaction logs in the C locale
// whatever locale the host has set.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "dynamics/host/EngineHost.h"
#include "HostFixture.h"
#include "support/CommaLocale.h"

using namespace host_testing;
using engine_host::CalculationResult;

namespace {

std::string with_files_section(const std::string& files) {
    std::string text = small_configuration();
    const auto begin = text.find("Files {");
    const auto end = text.find('}', begin);
    return text.replace(begin, end - begin + 1, "Files { " + files + " }");
}

}  // namespace

TEST_F(HostedEngines, FoldersAreTakenFromTheConfigurationsFolderWhenAnchored) {
    const std::string files = R"(in_folder = "./"  out_folder = "out/"  runtime_folder = "././rt/"
                                 vis_folder = "/absolute/vis/"  bin_folder = "bin\tools\"
                                 trajectory = "trajectory.bin")";
    RunFolder folder(with_files_section(files));
    const std::string base = fs::canonical(folder.path()).string() + "/";
    struct Case {
        const char* name;
        bool anchored;
        std::string in, out, runtime, vis, bin;
    };
    const Case cases[] = {
        {"anchored", true, base, base + "out/", base + "rt/", "/absolute/vis/", base + "bin/tools/"},
        {"as the engine program has them", false, "./", "out/", "././rt/", "/absolute/vis/", "bin/tools/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PDcalc engine;
        const testing_support::CurrentDirGuard back;
        fs::current_path(folder.path());
        engine.anchor_folders = c.anchored;
        ASSERT_TRUE(engine.prepare("run.cfg")) << log();
        EXPECT_EQ(engine.in_folder, c.in);
        EXPECT_EQ(engine.out_folder, c.out);
        EXPECT_EQ(engine.runtime_folder, c.runtime);
        EXPECT_EQ(engine.vis_folder, c.vis);
        EXPECT_EQ(engine.bin_folder, c.bin);
        EXPECT_EQ(engine.configuration_folder, c.anchored ? base : "");
        EXPECT_EQ(engine.anchored("out/r.backup"), c.anchored ? base + "out/r.backup" : "out/r.backup");
        EXPECT_EQ(engine.anchored("/elsewhere/r.backup"), "/elsewhere/r.backup");
    }
}

// With the working directory elsewhere, an anchored engine's reaction log,
// restart file and trajectory all land in its own folder.
TEST_F(HostedEngines, AnAnchoredEngineWritesBesideItsConfigurationWhereverTheHostIs) {
    RunFolder folder(small_configuration());
    TempDir elsewhere;
    PDcalc engine;
    ASSERT_TRUE(prepare(engine, folder.config()));
    const testing_support::CurrentDirGuard back;
    fs::current_path(elsewhere.path());
    EXPECT_EQ(engine_host::run_calculation(engine), CalculationResult::finished);
    EXPECT_TRUE(fs::is_empty(elsewhere.path()));
    EXPECT_FALSE(only_file(folder.out(), ".backup").empty());
    EXPECT_FALSE(only_file(folder.out(), ".log").empty());
    EXPECT_TRUE(fs::exists(folder.out() / "trajectory.bin"));
}

TEST_F(HostedEngines, ReactionLogsKeepTheDecimalPointUnderACommaLocale) {
    RunFolder folder(small_configuration());
    PDcalc engine;
    ASSERT_TRUE(prepare(engine, folder.config()));
    testing_support::CommaLocale comma;
    if (!comma.active()) GTEST_SKIP() << "no locale with a decimal comma on this system";
    EXPECT_EQ(engine_host::run_calculation(engine), CalculationResult::finished);
    const std::string reaction_log = read_file(only_file(folder.out(), ".log"));
    const std::vector<std::string> lines = lines_of(reaction_log);
    ASSERT_EQ(lines.size(), 1u + 200 / 50 + 1) << reaction_log;  // the header, a line per save
    EXPECT_EQ(lines[0], "t\tn\tk");
    EXPECT_EQ(lines[1], "0.000000e+00\t0");
    EXPECT_EQ(lines[2].substr(0, lines[2].find('\t')), "1.000000e-09");  // 50 steps of 20 ps
    EXPECT_EQ(reaction_log.find(','), std::string::npos) << reaction_log;
}
