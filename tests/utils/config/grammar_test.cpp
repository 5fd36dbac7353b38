// The file format as the reader accepts it: statements, values, comments,
// numbers, line counting and every diagnostic, read from a file "t.cfg".
#include "ConfigTestSupport.h"

using namespace config_testing;

namespace {

struct Probe {
    const char* path;
    const char* expected;  // as render() shows it
};

struct GrammarCase {
    const char* title;
    std::string text;
    std::vector<std::string> diagnostics;  // errors and warnings, in order
    std::vector<Probe> probes;             // checked when the read succeeds
};

std::string repeated(const std::string& text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i) all += text;
    return all;
}

class Grammar : public ConfigTest {
protected:
    void check(const GrammarCase& c) {
        SCOPED_TRACE(c.title);
        const std::unique_ptr<Config> config = read_text(c.text);
        EXPECT_EQ(diagnostics(), c.diagnostics);
        const bool has_errors = !traces(Msgtype::error).empty();
        EXPECT_EQ(config == nullptr, has_errors);
        if (config == nullptr) return;
        for (const Probe& probe : c.probes) EXPECT_EQ(render(*config, probe.path), probe.expected) << probe.path;
    }
};

TEST_F(Grammar, Statements) {
    const GrammarCase cases[] = {
        {"sections and keys", "A {\n  x = 1\n  s = \"a b\"\n  B { y = -2 }\n}\n", {},
         {{"A.x", "n:1"}, {"A.s", "s:a b"}, {"A.B.y", "n:-2"}, {"A", "plain"}}},
        {"braces after a value give the node children too", "A = 5 { b = 2 }\nC = \"s\"\n{ d = 1 }\n", {},
         {{"A", "n:5"}, {"A.b", "n:2"}, {"C", "s:s"}, {"C.d", "n:1"}}},
        {"a name without value or braces is followed by no other name", "flag\nnext = 1\n",
         {"t.cfg(2), error: expected '=' or '{'"}, {}},
        {"a name without value at the end", "a = 1\nflag {}\nlast\n", {"t.cfg(2), warning: blank section"},
         {{"flag", "plain"}, {"last", "plain"}}},
        {"the same name twice", "a = 1\na = 2\n", {"t.cfg(2), error: section redefinition"}, {}},
        {"a section and a key of one name", "a { x = 1 }\na = 2\n", {"t.cfg(2), error: section redefinition"}, {}},
        {"two names in a row", "a b = 1\n", {"t.cfg(1), error: expected '=' or '{'"}, {}},
        {"'=' without a name", "= 1\n", {"t.cfg(1), error: unexpected '='", "t.cfg(1), error: syntax error"}, {}},
        {"dotted names are no names", "x.y = 1\n",
         {"t.cfg(1), error: base digits was forgotten", "t.cfg(1), error: syntax error"}, {}},
        {"'}' at root level", "a = 1\n}\n", {"t.cfg(2), error: unexpected '}'"}, {}},
        {"'}' right after a name", "A { x }\n", {"t.cfg(1), error: unexpected '}'"}, {}},
        {"end of file inside braces", "A {\n x = 1\n", {"t.cfg(3), error: unexpected end of file"}, {}},
        {"empty braces", "A { }\n", {"t.cfg(1), warning: blank section"}, {{"A", "plain"}}},
        {"a value after '=' is missing", "a = {\n", {"t.cfg(1), error: expected number or \"string\" (may be array) after '='"}, {}},
        {"a string at section level", "\"s\"\n", {"t.cfg(1), error: syntax error"}, {}},
        {"an illegal byte", "a = 1\n? b = 2\n", {"t.cfg(2), error: illegal char", "t.cfg(2), error: unexpected '}'"}, {}},
        {"a lone '/' is an illegal byte and takes nothing with it", "x = 1/2\n",
         {"t.cfg(1), error: illegal char", "t.cfg(1), error: unexpected '}'"}, {}},
        {"UTF-8 text in a name is illegal", "gr\xC3\xBC\xC3\x9F = 1\n",
         {"t.cfg(1), error: illegal char", "t.cfg(1), error: unexpected '}'"}, {}},
        {"a byte-order mark is skipped", "\xEF\xBB\xBFz = 1\n", {}, {{"z", "n:1"}}},
        {"code page 1251 letters in names", "\xC0\xE1\xA8 = 1\n", {}, {{"\xC0\xE1\xA8", "n:1"}}},
        {"a NUL byte ends the input", std::string("a = 1\n\0 } ???", 12), {}, {{"a", "n:1"}}},
        {"nesting too deep stops with one error", repeated("a{", 300),
         {"t.cfg(1), error: too deeply nested, reading stopped"}, {}},
    };
    for (const GrammarCase& c : cases) check(c);
}

TEST_F(Grammar, Values) {
    const GrammarCase cases[] = {
        {"a string keeps every byte up to the quote", "s = \"  a # b /* c */ \"\n", {}, {{"s", "s:  a # b /* c */ "}}},
        {"an array", "a = [1, -2.5, 3e2]\n", {}, {{"a", "n:1,-2.5,300"}}},
        {"an array without commas", "a = [1 2]\n", {}, {{"a", "n:1,2"}}},
        {"an empty array is numeric without numbers", "a = []\n", {}, {{"a", "n:"}}},
        {"a comma before ']'", "a = [1, 2,]\n", {"t.cfg(1), warning: unnecessary comma before ']'"}, {{"a", "n:1,2"}}},
        {"a string in an array", "a = [1 \"s\" 2]\n", {"t.cfg(1), error: syntax error in array declaration"}, {}},
        {"end of file in an array", "a = [1,\n2", {"t.cfg(2), error: syntax error in array declaration"}, {}},
        {"a link to a node read before", "b { c = 4 }\na = @b.c\n", {}, {{"a", "n:4"}}},
        {"a link to a node read later", "a = @b\nb = 1\n", {"t.cfg(1), error: link to undefined section"}, {}},
        {"a link must begin with a letter", "a = @1\n",
         {"t.cfg(1), error: illegal char in link definition", "t.cfg(1), error: syntax error"}, {}},
        {"an unterminated string", "a = 1\nb = \"abc\n\n",
         {"t.cfg(2), error: \" outline"}, {}},
        {"a string running into the end of the file", "a = 1\nb = \"abc",
         {"t.cfg(2), error: unterminated string",
          "t.cfg(2), error: expected number or \"string\" (may be array) after '='"},
         {}},
        {"a directive other than import", "$include \"x\"\n", {"t.cfg(1), error: undefined directive after $"}, {}},
        {"'$' without a name", "$ 5\n", {"t.cfg(1), error: syntax error after $"}, {}},
        {"$import without a file name", "$import x\n",
         {"t.cfg(1), error: expected \"filename\" after $import directive"}, {}},
    };
    for (const GrammarCase& c : cases) check(c);
}

TEST_F(Grammar, CommentsAndLineCounting) {
    const GrammarCase cases[] = {
        {"block comments are skipped", "x = 1 /* a\n b */ y = 2\n", {}, {{"x", "n:1"}, {"y", "n:2"}}},
        {"a block comment running into the end of the file", "x = 1\n/* open\n\n",
         {"t.cfg(2), error: unterminated comment"}, {}},
        {"CR LF counts two lines", "a = 1\r\nb = 2\r\nc = @nowhere\r\n",
         {"t.cfg(5), error: link to undefined section"}, {}},
        {"a lone CR counts one line", "a = 1\rc = @nowhere\r", {"t.cfg(2), error: link to undefined section"}, {}},
        {"inside block comments only line feeds count", "/*\r\n\r\n*/ a = @nowhere\n",
         {"t.cfg(3), error: link to undefined section"}, {}},
        {"lines of # comments count", "# one\n# two\na = @nowhere\n", {"t.cfg(3), error: link to undefined section"}, {}},
        {"a comment before '}' is dropped", "A {\n x = 1\n # tail\n}\n", {"t.cfg(4), warning: comment skipped"},
         {{"A.x", "n:1"}}},
        {"a comment between a name and its braces", "A\n# c\n{ x = 1 }\n",
         {"t.cfg(3), warning: comment will be assigned to next section"}, {{"A.x", "n:1"}}},
    };
    for (const GrammarCase& c : cases) check(c);
}

TEST_F(Grammar, CommentsAttachToTheirNodes) {
    const auto config = read_text(
        "# head\n"
        "x = 1 # after x\n"
        "# before y\n"
        "# second line\n"
        "y = 2\n"
        "A { # on A's line\n"
        "  z = 3\n"
        "}\n"
        "A2\n"
        "# c\n"
        "{ w = 1 }\n"
        "last = 4 # no line end");
    ASSERT_NE(config, nullptr);
    EXPECT_STREQ(config->GetComment("x", false), " head\n");
    EXPECT_STREQ(config->GetComment("x", true), " after x");
    EXPECT_STREQ(config->GetComment("y", false), " before y\n second line\n");
    EXPECT_STREQ(config->GetComment("y", true), "");
    // A comment after '{' belongs to the first node inside the braces.
    EXPECT_STREQ(config->GetComment("A.z", false), " on A's line\n");
    EXPECT_STREQ(config->GetComment("A2.w", false), " c\n");
    EXPECT_STREQ(config->GetComment("last", true), " no line end");
    EXPECT_EQ(config->GetComment("nothing", false), nullptr);
}

struct NumberCase {
    const char* literal;
    std::vector<std::string> diagnostics;
    double value;  // checked when the read succeeds
};

TEST_F(Grammar, Numbers) {
    const NumberCase cases[] = {
        {"150", {}, 150},
        {"1.5e2", {}, 150},
        {"1.5E2", {}, 150},
        {"1.5d2", {}, 150},
        {"1.5D-1", {}, 0.15},
        {"+3", {}, 3},
        {"-.5", {}, -0.5},
        {"5.", {}, 5},
        {"1e+3", {}, 1000},
        {"0.0", {}, 0},
        {"0.000", {"t.cfg(1), warning: cannot parse number, set to zero"}, 0},
        {"1e-400", {"t.cfg(1), warning: cannot parse number, set to zero"}, 0},
        {"1e400", {"t.cfg(1), error: number out of range"}, 0},
        {"1e", {"t.cfg(1), error: exp digits was forgotten"}, 0},
        {"-", {"t.cfg(1), error: base digits was forgotten"}, 0},
        {"-e5", {"t.cfg(1), error: base digits was forgotten"}, 0},
        {"--1", {"t.cfg(1), error: double '-' before number", "t.cfg(1), error: syntax error"}, 0},
        {"+-1", {"t.cfg(1), error: '+-' syntax", "t.cfg(1), error: syntax error"}, 0},
        {".-1", {"t.cfg(1), error: '+-' syntax", "t.cfg(1), error: syntax error"}, 0},
        {"-+1", {"t.cfg(1), error: '-+' syntax", "t.cfg(1), error: syntax error"}, 0},
        {"++1", {"t.cfg(1), error: '++' syntax", "t.cfg(1), error: syntax error"}, 0},
        {"1-2", {"t.cfg(1), error: '-' or '+' before 'E', 'e', 'd' or 'D'", "t.cfg(1), error: syntax error"}, 0},
        {"1e5-", {"t.cfg(1), error: illegal '-' or '+' in exp"}, 0},
        {"1e--5", {"t.cfg(1), error: '--' before exp", "t.cfg(1), error: syntax error"}, 0},
        {"1e+-5", {"t.cfg(1), error: '+-' before exp", "t.cfg(1), error: syntax error"}, 0},
        {"1e-+5", {"t.cfg(1), error: '-+' before exp", "t.cfg(1), error: syntax error"}, 0},
        {"1e++5", {"t.cfg(1), error: '++' before exp", "t.cfg(1), error: syntax error"}, 0},
        {"1..2", {"t.cfg(1), error: double point, syntax", "t.cfg(1), error: syntax error"}, 0},
        {"1e5.2", {"t.cfg(1), error: invlaid '.'", "t.cfg(1), error: syntax error"}, 0},
        {"1e5e2", {"t.cfg(1), error: double 'E', 'e', 'd' or 'D'", "t.cfg(1), error: syntax error"}, 0},
    };
    for (const NumberCase& c : cases) {
        SCOPED_TRACE(c.literal);
        const auto config = read_text(std::string("x = ") + c.literal + "\n");
        EXPECT_EQ(diagnostics(), c.diagnostics);
        if (config == nullptr) continue;
        double value = -1;
        EXPECT_TRUE(config->GetDouble(value, "x"));
        EXPECT_EQ(value, c.value);
        EXPECT_STREQ(config->GetString("x"), c.literal);  // the literal as written
    }
}

}  // namespace

// A number followed at once by letters ("2O" for 20, "20ps") keeps the
// number, as it always has, and the text it leaves is reported whatever the
// trace mode: file, line, key and that text.
TEST_F(Grammar, TextRightAfterANumberIsReported) {
    Parser::set_mode(0);
    const std::map<char, std::string> common = {{'C', "Common"}};
    struct Case {
        const char* text;
        const char* key;
        double value;
        std::vector<std::string> diagnostics;
    };
    const Case cases[] = {
        {"Calculation {\n  TimeStep = 2O  # ps\n}\n", "Calculation.TimeStep", 2,
         {"t.cfg(2), warning: Calculation.TimeStep is read as 2: the text \"O\" after the number is ignored"}},
        {"x = 20ps\n", "x", 20, {"t.cfg(1), warning: x is read as 20: the text \"ps\" after the number is ignored"}},
        {"x = 1.5e3km\n", "x", 1500,
         {"t.cfg(1), warning: x is read as 1.5e3: the text \"km\" after the number is ignored"}},
        {"x = 2 O\n", "x", 2, {}},  // a name of its own
        {"x = 2\n", "x", 2, {}},
        {"VAR { Common { t = \"7days\" } }\nx = $VAR{t}\n", "x", 7,
         {"t.cfg(2), warning: x is read as 7: the text \"days\" after the number is ignored"}},
        {"VAR { Common { t = \"7 \" } }\nx = $VAR{t}\n", "x", 7, {}},  // only white space after it
        {"VAR { Common { t = \"3.5m\" } }\nx = [1, $VAR{t}]\n", "x", 1,
         {"t.cfg(2), warning: x is read as 3.5: the text \"m\" after the number is ignored"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto config = read_text(c.text, "C", common);
        ASSERT_NE(config, nullptr);
        std::vector<std::string> warnings;
        for (const std::string& line : diagnostics())
            if (line.rfind("$VAR", 0) != 0) warnings.push_back(line);
        EXPECT_EQ(warnings, c.diagnostics);
        double value = -1;
        EXPECT_TRUE(config->GetDouble(value, c.key));
        EXPECT_EQ(value, c.value);
    }
}
