// ConfCreate and its modes, the file names it derives, ConfSet, ConfSetTrace
// and ConfDelete.
#include "ConfigTestSupport.h"

using namespace config_testing;

namespace {

using FrontEnd = ConfigTest;

// "null", "empty" (a tree without nodes) or "tree".
std::string outcome(const std::unique_ptr<Config>& config) {
    if (config == nullptr) return "null";
    return config->GetSecNum("") == 0 ? "empty" : "tree";
}

TEST_F(FrontEnd, ModesDecideWhatAFailedReadGives) {
    write("good.cfg", "x = 1\n");
    write("bad.cfg", "x = = 1\n");
    struct Case {
        std::int32_t mode;
        const char* good;
        const char* missing;
        const char* bad;
    };
    const Case cases[] = {
        {ConfMode::no_read, "empty", "empty", "empty"},
        {ConfMode::read, "tree", "null", "null"},
        {ConfMode::read_only, "tree", "null", "null"},
        {ConfMode::read_or_empty, "tree", "empty", "null"},
        {ConfMode::always_a_tree, "tree", "empty", "empty"},
        {5, "null", "null", "null"},
        {-1, "null", "null", "null"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        EXPECT_EQ(outcome(read("good", c.mode)), c.good);
        EXPECT_EQ(outcome(read("missing", c.mode)), c.missing);
        EXPECT_EQ(outcome(read("bad", c.mode)), c.bad);
    }
}

TEST_F(FrontEnd, TheTreeTakesTheNameAndTheReadOnlyMode) {
    write("good.cfg", "x = 1\n");
    auto writable = read("  good  ", ConfMode::read);
    ASSERT_NE(writable, nullptr);
    EXPECT_STREQ(writable->GetName("", -1), "good");
    EXPECT_TRUE(writable->SetDouble(2, "x"));
    auto fixed = read("good", ConfMode::read_only);
    ASSERT_NE(fixed, nullptr);
    EXPECT_FALSE(fixed->SetDouble(2, "x"));
    // The empty tree of a file that could not be read is writable.
    auto empty = read("missing", ConfMode::always_a_tree);
    ASSERT_NE(empty, nullptr);
    EXPECT_STREQ(empty->GetName("", -1), "missing");
    EXPECT_TRUE(empty->SetDouble(2, "x"));
}

TEST_F(FrontEnd, CountsAreReported) {
    write("bad.cfg", "x = @nowhere\n");
    EXPECT_EQ(outcome(read("bad", ConfMode::always_a_tree)), "empty");
    EXPECT_EQ(traces(Msgtype::info), std::vector<std::string>({"1 error(s), 0 warning(s)"}));
    EXPECT_EQ(Parser::statistics(nullptr), 1);

    write("good.cfg", "A { }\n");
    read("good");
    EXPECT_EQ(traces(Msgtype::info), std::vector<std::string>({"0 error(s), 1 warning(s)"}));
    EXPECT_EQ(traces(Msgtype::warning).front(), "Translating config file: good");
    Parser::set_mode(0);
    read("good");
    EXPECT_TRUE(traces(Msgtype::info).empty());
    EXPECT_TRUE(traces(Msgtype::warning).empty());
}

TEST_F(FrontEnd, BadArgumentsGiveNullAndLeaveTheCounters) {
    write("bad.cfg", "x = @nowhere\n");
    read("bad");
    SConfigParams params;
    params.mode = ConfMode::read;
    EXPECT_EQ(ConfCreate("   ", &params), nullptr);
    EXPECT_EQ(ConfCreate("", &params), nullptr);
    EXPECT_EQ(ConfCreate(nullptr, &params), nullptr);
    EXPECT_EQ(ConfCreate("bad", nullptr), nullptr);
    int warnings = -1;
    EXPECT_EQ(Parser::statistics(&warnings), 1);
    EXPECT_EQ(warnings, 0);
}

TEST_F(FrontEnd, TheExtensionIsAddedUnlessTheNameHoldsIt) {
    write("t.cfg", "which = 1\n");
    std::filesystem::create_directory("my.cfgs");
    write("my.cfgs/t", "which = 2\n");
    write("my.cfgs/t.cfg", "which = 3\n");
    EXPECT_EQ(render(*read("t"), "which"), "n:1");
    EXPECT_EQ(render(*read("t.cfg"), "which"), "n:1");
    EXPECT_EQ(render(*read("my.cfgs/t"), "which"), "n:2");
    EXPECT_EQ(Parser::get_import_table(), std::vector<std::string>({"my.cfgs/t"}));
}

TEST_F(FrontEnd, DiagnosticsNameTheFileThatWasOpened) {
    write("t.cfg", "x = @nowhere\n");
    read("t.cfg");
    EXPECT_EQ(diagnostics(), std::vector<std::string>({"t.cfg(1), error: link to undefined section"}));
    Parser::set_root_dir("./");
    read("t");
    EXPECT_EQ(diagnostics(), std::vector<std::string>({"./t.cfg(1), error: link to undefined section"}));
}

TEST_F(FrontEnd, ResetDefaultsRestoresExtensionAndFolder) {
    write("t.cfg", "x = 1\n");
    Parser::set_conf_ext("txt");
    Parser::set_root_dir("elsewhere");
    EXPECT_EQ(Parser::conf_ext(), ".txt");
    EXPECT_EQ(Parser::get_root_dir(), "elsewhere/");
    SConfigParams params;
    params.mode = ConfMode::read;
    params.reset_defaults = 1;
    EXPECT_NE(ConfCreate("t", &params), nullptr);
    EXPECT_EQ(Parser::conf_ext(), ".cfg");
    EXPECT_EQ(Parser::get_root_dir(), "./");
}

TEST_F(FrontEnd, ConfSetChoosesFolderExtensionAndTrace) {
    std::filesystem::create_directory("sub");
    write("sub/t.txt", "x = 1\n");
    ConfSet("  sub  ", "txt", 0, nullptr);
    EXPECT_EQ(Parser::get_root_dir(), "sub/");
    EXPECT_EQ(Parser::get_mode(), 0);
    EXPECT_EQ(trace, &capture_trace);  // a null handler keeps the one installed
    auto config = read("t");
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(render(*config, "x"), "n:1");
    ConfSet("", nullptr, 1, nullptr);
    EXPECT_EQ(Parser::conf_ext(), ".cfg");
    EXPECT_EQ(Parser::get_root_dir(), "");
    ConfSetTrace(2, stdtrace);
    EXPECT_EQ(trace, &stdtrace);
    EXPECT_EQ(Parser::get_mode(), 2);
}

TEST_F(FrontEnd, ConfDeleteRemovesTheFile) {
    write("t.cfg", "x = 1\n");
    EXPECT_TRUE(ConfDelete("t"));
    EXPECT_FALSE(std::filesystem::exists("t.cfg"));
    EXPECT_FALSE(ConfDelete("t"));
}

TEST_F(FrontEnd, AFolderIsNoFile) {
    std::filesystem::create_directory("d.cfg");
    EXPECT_EQ(outcome(read("d", ConfMode::read)), "null");
}

}  // namespace
