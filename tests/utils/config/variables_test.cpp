// $VAR{name} and $VAR{name,default}: from the environment and from the
// file's VAR section, in the order the caller gives.
#include <cstdlib>

#include "ConfigTestSupport.h"

using namespace config_testing;

namespace {

const std::map<char, std::string> engine_map = {{'C', "Common"}, {'M', "MPI.Process_0"}};

class Variables : public ConfigTest {
protected:
    void SetUp() override {
        ConfigTest::SetUp();
        ::setenv("ZELMAR_TEST_NUMBER", "2.5e1xyz", 1);
        ::setenv("ZELMAR_TEST_TEXT", "abc", 1);
        ::unsetenv("ZELMAR_TEST_UNSET");
    }
    void TearDown() override {
        ::unsetenv("ZELMAR_TEST_NUMBER");
        ::unsetenv("ZELMAR_TEST_TEXT");
        ConfigTest::TearDown();
    }
};

struct VariableCase {
    const char* title;
    const char* text;
    const char* order;
    std::vector<std::string> errors;
    std::vector<std::pair<const char*, const char*>> probes;  // path, render()
};

TEST_F(Variables, Values) {
    const VariableCase cases[] = {
        {"a number from the environment", "x = $VAR{ZELMAR_TEST_NUMBER}\n", "E", {}, {{"x", "n:25"}}},
        {"a string from the environment", "x = $VAR{ZELMAR_TEST_TEXT}\n", "e", {}, {{"x", "s:abc"}}},
        {"a default number", "x = $VAR{ZELMAR_TEST_UNSET, 4}\n", "E", {}, {{"x", "n:4"}}},
        {"a default string", "x = $VAR{ZELMAR_TEST_UNSET, \"s\"}\n", "E", {}, {{"x", "s:s"}}},
        {"a default array", "x = $VAR{ZELMAR_TEST_UNSET, [1, 2]}\n", "E", {}, {{"x", "n:1,2"}}},
        {"a default link", "t = 8\nx = $VAR{ZELMAR_TEST_UNSET, @t}\n", "E", {}, {{"x", "n:8"}}},
        {"a default that is a variable", "x = $VAR{ZELMAR_TEST_UNSET, $VAR{ZELMAR_TEST_TEXT, 1}}\ny = 2\n", "E", {},
         {{"x", "s:abc"}, {"y", "n:2"}}},
        {"a found variable skips its whole default", "A {\n x = $VAR{ZELMAR_TEST_TEXT, $VAR{ZELMAR_TEST_UNSET, 3}}\n}\ny = 2\n",
         "E", {}, {{"A.x", "s:abc"}, {"y", "n:2"}}},
        {"a missing variable without default", "x = $VAR{ZELMAR_TEST_UNSET}\ny = 1\n", "E",
         {"t.cfg(1), error: variable not defined and no default value is given"}, {}},
        {"variables in an array", "x = [1, $VAR{ZELMAR_TEST_NUMBER}, $VAR{ZELMAR_TEST_UNSET, 3}]\n", "E", {},
         {{"x", "n:1,25,3"}}},
        {"a string variable in an array", "x = [$VAR{ZELMAR_TEST_TEXT}]\n", "E",
         {"t.cfg(1), error: environment variable used in array definition cannot be evaluated as number"}, {}},
        {"a missing variable in an array", "x = [$VAR{ZELMAR_TEST_UNSET}]\n", "E",
         {"t.cfg(1), error: variable not defined and no default value is given"}, {}},
        {"'$' not followed by VAR", "x = $ENV{A}\n", "E",
         {"t.cfg(1), error: undefined directive after $", "t.cfg(1), error: unexpected '}'"}, {}},
        {"VAR without braces", "x = $VAR 5\n", "E", {"t.cfg(1), error: expected $VAR{variable,default_value}"}, {}},
        {"the VAR section, first source first",
         "VAR { MPI { Process_0 { v = 1 } } Common { v = 2 w = \"w\" } }\na = $VAR{v}\nb = $VAR{w}\n", "MC", {},
         {{"a", "n:1"}, {"b", "s:w"}}},
        {"the environment before the VAR section",
         "VAR { Common { ZELMAR_TEST_TEXT = 1 } }\na = $VAR{ZELMAR_TEST_TEXT}\n", "EC", {}, {{"a", "s:abc"}}},
        {"variables only after the VAR section's name", "a = $VAR{v}\nVAR { Common { v = 1 } }\n", "C",
         {"t.cfg(1), error: variable not defined and no default value is given"}, {}},
    };
    for (const VariableCase& c : cases) {
        SCOPED_TRACE(c.title);
        const auto config = read_text(c.text, c.order, engine_map);
        EXPECT_EQ(traces(Msgtype::error), c.errors);
        ASSERT_EQ(config == nullptr, !c.errors.empty());
        for (const auto& [path, expected] : c.probes) EXPECT_EQ(render(*config, path), expected) << path;
    }
}

TEST_F(Variables, LookupsAreTracedInEveryMode) {
    Parser::set_mode(0);
    read_text("VAR { Common { v = 3 } }\nx = $VAR{v}\ny = $VAR{ZELMAR_TEST_UNSET, 1}\n", "EC", engine_map);
    EXPECT_EQ(traces(Msgtype::message), std::vector<std::string>({"$VAR{v}=3"}));
    EXPECT_EQ(traces(Msgtype::warning), std::vector<std::string>({
                                            "$ENV{v} not defined",
                                            "$ENV{ZELMAR_TEST_UNSET} not defined",
                                            "$VAR{ZELMAR_TEST_UNSET} not defined",
                                        }));
}

TEST_F(Variables, WithoutVarSectionOrMapping) {
    Parser::set_mode(0);
    read_text("x = $VAR{v, 1}\n", "C", engine_map);
    EXPECT_EQ(traces(Msgtype::warning), std::vector<std::string>({"VAR section not found", "$VAR{v} not defined"}));

    // A letter that maps to no section makes a path that begins with '.'.
    read_text("VAR { Common { v = 1 } }\nx = $VAR{v, 2}\n", "X", engine_map);
    EXPECT_EQ(traces(Msgtype::error), std::vector<std::string>({"path cannot begin with '.'"}));
}

TEST_F(Variables, NumericTextKeepsItsLiteral) {
    const auto config = read_text("x = $VAR{ZELMAR_TEST_NUMBER}\n", "E");
    ASSERT_NE(config, nullptr);
    EXPECT_STREQ(config->GetString("x"), "2.5e1xyz");
}

}  // namespace
