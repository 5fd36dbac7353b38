// Links between nodes and files imported with $import.
#include <thread>

#include "ConfigTestSupport.h"

using namespace config_testing;

namespace {

using Links = ConfigTest;
using Imports = ConfigTest;

TEST_F(Links, AreFollowedByTheGettersOnly) {
    const auto config = read_text("target = 5\nT { s = \"text\" }\nl1 = @target\nl2 = @l1\nls = @T.s\nlt = @T\n");
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(config->GetType("l1"), SectionKind::numeric);
    EXPECT_EQ(render(*config, "l2"), "n:5");
    EXPECT_EQ(render(*config, "ls"), "s:text");
    EXPECT_EQ(config->GetType("lt"), SectionKind::plain);
    // Names, numbering and comments belong to the link node itself.
    EXPECT_EQ(config->GetSecNum("lt"), 0);
    EXPECT_STREQ(config->GetName("l1", -1), "l1");
    // Links are followed from the top of the tree, also from a subsection.
    Section* T = config->GetSection("T", -1);
    ASSERT_NE(T, nullptr);
    ASSERT_TRUE(config->SetLink("target", "T.back"));
    double value = 0;
    EXPECT_TRUE(T->GetDouble(value, "back"));
    EXPECT_EQ(value, 5);
}

TEST_F(Links, CyclesReadAsMissing) {
    const auto config = read_text("plain = 1\n");
    ASSERT_NE(config, nullptr);
    ASSERT_TRUE(config->SetLink("b", "a"));
    ASSERT_TRUE(config->SetLink("a", "b"));
    ASSERT_TRUE(config->SetLink("self", "self"));
    captured().clear();
    double value = 7;
    EXPECT_FALSE(config->GetDouble(value, "a"));
    EXPECT_EQ(value, 7);
    EXPECT_EQ(traces(Msgtype::warning), std::vector<std::string>({"section 'a': default value 7.000000e+00"}));
    EXPECT_EQ(config->GetType("self"), SectionKind::plain);
    EXPECT_EQ(config->GetString("b"), nullptr);
    EXPECT_EQ(config->GetDoubles(nullptr, 0, "a"), 0);
    // The trail of one lookup does not stay behind for the next.
    EXPECT_TRUE(config->GetDouble(value, "plain"));
    EXPECT_EQ(value, 1);
    ASSERT_TRUE(config->SetLink("plain", "c"));
    EXPECT_EQ(render(*config, "c"), "n:1");
}

TEST_F(Links, ToAMissingTargetReadAsMissing) {
    const auto config = read_text("a = 1\nl = @a\n");
    ASSERT_NE(config, nullptr);
    ASSERT_TRUE(config->SetLink("gone", "l"));
    EXPECT_EQ(config->GetType("l"), SectionKind::plain);
    EXPECT_EQ(config->GetString("l"), nullptr);
}

TEST_F(Links, TwoThreadsFollowLinksIndependently) {
    // Each thread follows its own chain; a trail shared between lookups
    // would make one thread see the other's links as a cycle.
    const auto config = read_text("a = 1\nb = 2\na1 = @a\na2 = @a1\na3 = @a2\nb1 = @b\nb2 = @b1\nb3 = @b2\n");
    ASSERT_NE(config, nullptr);
    Io::SetTraceHandler(stdtrace);  // the capture is not for threads
    auto reader = [&config](const char* path, double expected, int& wrong) {
        for (int i = 0; i < 20000; ++i) {
            double value = 0;
            if (!config->GetDouble(value, path) || value != expected) ++wrong;
        }
    };
    int wrong_a = 0;
    int wrong_b = 0;
    std::thread first(reader, "a3", 1.0, std::ref(wrong_a));
    std::thread second(reader, "b3", 2.0, std::ref(wrong_b));
    first.join();
    second.join();
    EXPECT_EQ(wrong_a, 0);
    EXPECT_EQ(wrong_b, 0);
}

TEST_F(Imports, SettingsOfImportsAreFoundThroughTheTopFile) {
    write("base.cfg", "shared = 3\nA { y = 2 }\nown = 1\n");
    write("t.cfg", "# head of t\n$import \"base\"\nown = 9\nl = @A.y\n");
    const auto config = read("t");
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(render(*config, "shared"), "n:3");
    EXPECT_EQ(render(*config, "A.y"), "n:2");
    EXPECT_EQ(render(*config, "own"), "n:9");  // the file's own settings come first
    EXPECT_EQ(render(*config, "l"), "n:2");
    RootSection& root = as_root(*config);
    EXPECT_EQ(root.root_comment(), " head of t\n");
    ASSERT_EQ(root.imports().count("base"), 1u);
    EXPECT_EQ(root.imports().at("base")->importer(), &root);
    EXPECT_EQ(root.files(), std::vector<std::string>({"t", "base", "t"}));
    // Imported files are read-only.
    Section* A = config->GetSection("A", -1);
    ASSERT_NE(A, nullptr);
    EXPECT_FALSE(A->SetDouble(1, "y"));
    EXPECT_EQ(traces(Msgtype::error), std::vector<std::string>({"section 'A' is 'read-only', cannot set parameter: y"}));
}

TEST_F(Imports, AFileImportedTwiceIsRecursive) {
    write("a.cfg", "x = 1\n");
    write("b.cfg", "\n$import \"a\"\n");
    write("t.cfg", "$import \"a\"\n$import \"b\"\n");
    EXPECT_EQ(read("t"), nullptr);
    EXPECT_EQ(diagnostics(), std::vector<std::string>({
                                 "b.cfg(2), error: recursive $import",
                                 "t.cfg(2), error: cannot parse import file",
                             }));
    write("t.cfg", "\n\n$import \"t\"\n");
    EXPECT_EQ(read("t"), nullptr);
    EXPECT_EQ(diagnostics(), std::vector<std::string>({"t.cfg(3), error: recursive $import"}));
}

TEST_F(Imports, MissingOrBrokenImportsFail) {
    write("t.cfg", "$import \"nothere\"\n");
    EXPECT_EQ(read("t"), nullptr);
    EXPECT_EQ(diagnostics(), std::vector<std::string>({"t.cfg(1), error: cannot parse import file"}));
    Parser::set_mode(2);
    EXPECT_EQ(read("t"), nullptr);
    EXPECT_EQ(diagnostics(), std::vector<std::string>({
                                 "cannot open import file:nothere.cfg",
                                 "t.cfg(1), error: cannot parse import file",
                             }));
    write("bad.cfg", "x = = 1\n");
    write("t.cfg", "$import \"bad\"\n");
    EXPECT_EQ(read("t"), nullptr);
    EXPECT_EQ(diagnostics(), std::vector<std::string>({
                                 "bad.cfg(1), error: expected number or \"string\" (may be array) after '='",
                                 "bad.cfg(1), error: syntax error",
                                 "t.cfg(1), error: cannot parse import file",
                             }));
}

TEST_F(Imports, AnImportInsideASectionActsOnTheRoot) {
    write("a.cfg", "x = 1\n");
    write("t.cfg", "S {\n $import \"a\"\n}\n");
    const auto config = read("t");
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(diagnostics(), std::vector<std::string>({"t.cfg(2), warning: $import in non-root section is depricated"}));
    EXPECT_EQ(render(*config, "x"), "n:1");
    EXPECT_EQ(config->GetSecNum("S"), 0);
}

TEST_F(Imports, AnImportedVarSectionServesLaterVariables) {
    write("vars.cfg", "VAR { Common { v = 7 } }\n");
    write("t.cfg", "VAR { Common { v = 1 } }\na = $VAR{v}\n$import \"vars\"\nb = $VAR{v}\n");
    const auto config = read("t", ConfMode::read, "C", {{'C', "Common"}});
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(render(*config, "a"), "n:1");
    EXPECT_EQ(render(*config, "b"), "n:7");
}

TEST_F(Imports, AFailedImportLeavesNoVarSectionBehind) {
    // The broken file is dropped; its VAR section must not be used afterwards.
    write("bad.cfg", "VAR { Common { v = 7 } }\nbroken = = 1\n");
    write("t.cfg", "VAR { Common { v = 1 } }\n$import \"bad\"\nb = $VAR{v}\n");
    EXPECT_EQ(read("t", ConfMode::read, "C", {{'C', "Common"}}), nullptr);
    EXPECT_EQ(traces(Msgtype::message), std::vector<std::string>({"$VAR{v}=1"}));
}

TEST_F(Imports, AreSearchedBelowTheRootFolder) {
    std::filesystem::create_directory("conf");
    write("conf/t.cfg", "$import \"a\"\n");
    write("conf/a.cfg", "x = 1\n");
    write("a.cfg", "x = 2\n");
    Parser::set_root_dir("conf");
    const auto config = read("t");
    ASSERT_NE(config, nullptr);
    EXPECT_EQ(render(*config, "x"), "n:1");
}

}  // namespace
