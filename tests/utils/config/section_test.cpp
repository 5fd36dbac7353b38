// The Section interface: typed getters with logged defaults, paths, names
// and children, and the setters with the read-only rule.
#include <optional>
#include <string_view>

#include "ConfigTestSupport.h"
#include "utils/config/Symbols.h"

using namespace config_testing;

namespace {

const char* const settings =
    "NT = 1e6\n"
    "exact = 1000000\n"
    "big = 1e10\n"
    "huge = 1e30\n"
    "frac = 2.5\n"
    "neg = -7.9\n"
    "zero = 0\n"
    "s = \"text\"\n"
    "arr = [1, 2, 3]\n"
    "wide = [1, 3e9]\n"
    "empty = []\n"
    "Plain { x = 1 }\n";

class Getters : public ConfigTest {
protected:
    void SetUp() override {
        ConfigTest::SetUp();
        config_ = read_text(settings);
        ASSERT_NE(config_, nullptr);
        captured().clear();
    }
    std::vector<std::string> take_traces(int level) {
        std::vector<std::string> lines = traces(level);
        captured().clear();
        return lines;
    }
    std::unique_ptr<Config> config_;
};

TEST_F(Getters, MissingKeysKeepTheDefaultAndLogIt) {
    double d = 1.5;
    int i = -3;
    long l = 42;
    bool b = true;
    EXPECT_FALSE(config_->GetDouble(d, "missing"));
    EXPECT_FALSE(config_->GetInt(i, "missing"));
    EXPECT_FALSE(config_->GetLong(l, "missing"));
    EXPECT_FALSE(config_->GetBool(b, "missing"));
    EXPECT_EQ(d, 1.5);
    EXPECT_EQ(i, -3);
    EXPECT_EQ(l, 42);
    EXPECT_TRUE(b);
    EXPECT_EQ(take_traces(Msgtype::warning), std::vector<std::string>({
                                                 "section 'missing': default value 1.500000e+00",
                                                 "section 'missing': default value -3",
                                                 "section 'missing': default value 42",
                                                 "section 'missing': default value TRUE",
                                             }));
    b = false;
    EXPECT_FALSE(config_->GetBool(b, "s"));
    EXPECT_EQ(take_traces(Msgtype::warning), std::vector<std::string>({
                                                 "section 's': non-numeric data found",
                                                 "section 's': default value FALSE",
                                             }));
    EXPECT_FALSE(config_->GetDouble(d, "Plain"));
    EXPECT_EQ(take_traces(Msgtype::warning), std::vector<std::string>({
                                                 "section 'Plain': non-numeric data found",
                                                 "section 'Plain': default value 1.500000e+00",
                                             }));
}

TEST_F(Getters, AMissingNameIsTracedAtTheLookupLevel) {
    double d = 0;
    config_->GetDouble(d, "Plain.y");
    EXPECT_EQ(traces(Msgtype::debug + 1), std::vector<std::string>({"section 'Plain': cannot find subsection: 'y'"}));
}

TEST_F(Getters, EmptyArraysReadLikeMissingKeys) {
    double d = 4;
    int i = 4;
    EXPECT_FALSE(config_->GetDouble(d, "empty"));
    EXPECT_FALSE(config_->GetInt(i, "empty"));
    EXPECT_EQ(d, 4);
    EXPECT_EQ(i, 4);
    EXPECT_EQ(take_traces(Msgtype::warning), std::vector<std::string>({
                                                 "section 'empty': default value 4.000000e+00",
                                                 "section 'empty': default value 4",
                                             }));
    EXPECT_EQ(config_->GetType("empty"), SectionKind::numeric);
    EXPECT_EQ(config_->GetDoubles(nullptr, 0, "empty"), 0);
    EXPECT_STREQ(config_->GetString("empty"), "");
}

TEST_F(Getters, IntegersReadTheNumberNotItsText) {
    struct Case {
        const char* path;
        bool ok;
        long value;  // the result, or the default kept
        std::vector<std::string> warnings;
        std::vector<std::string> errors;
    };
    const Case cases[] = {
        {"NT", true, 1000000, {}, {}},
        {"exact", true, 1000000, {}, {}},
        {"big", true, 10000000000L, {}, {}},
        {"arr", true, 1, {}, {}},
        {"frac", false, -1, {"section 'frac': value 2.5 is not an integer", "section 'frac': default value -1"}, {}},
        {"huge", false, -1, {"section 'huge': default value -1"}, {"section 'huge': value 1e+30 is out of the integer range"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        long value = -1;
        EXPECT_EQ(config_->GetLong(value, c.path), c.ok);
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(traces(Msgtype::warning), c.warnings);
        EXPECT_EQ(take_traces(Msgtype::error), c.errors);
    }
}

TEST_F(Getters, IntsTruncateAndRefuseWhatDoesNotFit) {
    int value = 0;
    EXPECT_TRUE(config_->GetInt(value, "neg"));
    EXPECT_EQ(value, -7);
    EXPECT_TRUE(config_->GetInt(value, "NT"));
    EXPECT_EQ(value, 1000000);
    value = 5;
    EXPECT_FALSE(config_->GetInt(value, "big"));
    EXPECT_EQ(value, 5);
    EXPECT_EQ(traces(Msgtype::error), std::vector<std::string>({"section 'big': value 1e+10 is out of the integer range"}));
    EXPECT_EQ(take_traces(Msgtype::warning), std::vector<std::string>({"section 'big': default value 5"}));

    int out[3] = {9, 9, 9};
    EXPECT_EQ(config_->GetInts(out, 3, "wide"), 0);
    EXPECT_EQ(out[0], 9);
    EXPECT_EQ(take_traces(Msgtype::error), std::vector<std::string>({"section 'wide': value 3e+09 is out of the integer range"}));
    EXPECT_EQ(config_->GetInts(out, 1, "wide"), 1);  // only what is read must fit
    EXPECT_EQ(out[0], 1);
}

TEST_F(Getters, BoolsAndDoubles) {
    bool flag = true;
    EXPECT_TRUE(config_->GetBool(flag, "zero"));
    EXPECT_FALSE(flag);
    EXPECT_TRUE(config_->GetBool(flag, "neg"));
    EXPECT_TRUE(flag);
    double d = 0;
    EXPECT_TRUE(config_->GetDouble(d, "arr"));
    EXPECT_EQ(d, 1);
}

TEST_F(Getters, ArraysAreCopiedUpToTheBufferSize) {
    EXPECT_EQ(config_->GetDoubles(nullptr, 0, "arr"), 3);
    double two[2] = {0, 0};
    EXPECT_EQ(config_->GetDoubles(two, 2, "arr"), 2);
    EXPECT_EQ(two[1], 2);
    double three[3] = {};
    EXPECT_EQ(config_->GetDoubles(three, 0, "arr"), 3);  // max 0 counts
    EXPECT_EQ(config_->GetDoubles(three, -1, "arr"), 0);
    EXPECT_EQ(config_->GetDoubles(three, 3, "s"), 0);
    EXPECT_EQ(config_->GetDoubles(three, 3, "missing"), 0);

    int five[5] = {7, 7, 7, 7, 7};
    EXPECT_EQ(config_->GetInts(five, 5, "arr"), 3);
    EXPECT_EQ(five[2], 3);
    EXPECT_EQ(five[3], 7);
    EXPECT_EQ(five[4], 7);
    EXPECT_EQ(config_->GetInts(five, 0, "arr"), 0);
    EXPECT_EQ(config_->GetInts(nullptr, 3, "arr"), 0);
    EXPECT_TRUE(captured().empty() || traces(Msgtype::warning).empty());
}

TEST_F(Getters, StringsTypesAndComments) {
    EXPECT_STREQ(config_->GetString("s"), "text");
    EXPECT_STREQ(config_->GetString("NT"), "1e6");
    EXPECT_STREQ(config_->GetString("arr"), "");
    EXPECT_EQ(config_->GetString("Plain"), nullptr);
    EXPECT_EQ(config_->GetString("missing"), nullptr);
    EXPECT_EQ(config_->GetType("s"), SectionKind::string);
    EXPECT_EQ(config_->GetType("Plain"), SectionKind::plain);
    EXPECT_EQ(config_->GetType("missing"), SectionKind::plain);
}

TEST_F(Getters, PathsAndTheirErrors) {
    struct Case {
        const char* path;
        const char* found;  // name of the node found, or null
        const char* error;  // the path error traced, or null
    };
    const Case cases[] = {
        {"Plain.x", "x", nullptr},
        {"  Plain.x  ", "x", nullptr},
        {"Plain.x.", "x", nullptr},
        {"", "t", nullptr},
        {nullptr, "t", nullptr},
        {"1Plain", nullptr, "section cannot begin with number"},
        {".Plain", nullptr, "path cannot begin with '.'"},
        {"Plain..x", nullptr, "path cannot begin with '.'"},
        {"Plain.1", nullptr, "section cannot begin with number"},
        {"Plain x", nullptr, "unknown symbol in the path"},
        {"   ", nullptr, "unknown symbol in the path"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path != nullptr ? c.path : "(null)");
        const char* name = config_->GetName(c.path, -1);
        if (c.found != nullptr) EXPECT_STREQ(name, c.found);
        else EXPECT_EQ(name, nullptr);
        const std::vector<std::string> errors = take_traces(Msgtype::error);
        if (c.error != nullptr) EXPECT_EQ(errors, std::vector<std::string>{c.error});
        else EXPECT_TRUE(errors.empty());
    }
}

TEST(Symbols, ParseSplitsTextIntoWords) {
    struct Case {
        std::string text;
        char separator;
        std::vector<std::string> words;
    };
    const Case cases[] = {
        {"Calculation.contacts.range", '\0', {"Calculation", "contacts", "range"}},
        {"  a1 +b_2 ,, \xC0\xE1 ", '\0', {"a1", "b_2", "\xC0\xE1"}},
        {"a.b..c.", '.', {"a", "b", "c"}},
        {"x y,z", ',', {"x y", "z"}},
        {"..", '.', {}},
        {"", '\0', {}},
        {std::string("one\0two", 7), '\0', {"one"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string_view cursor = c.text;
        std::vector<std::string> words;
        while (const std::optional<std::string_view> word = Symbols::parse(cursor, c.separator))
            words.emplace_back(*word);
        EXPECT_EQ(words, c.words);
        EXPECT_FALSE(Symbols::parse(cursor, c.separator).has_value());  // nothing left stays nothing
    }
}

TEST_F(Getters, ChildrenInFileOrder) {
    const int count = config_->GetSecNum("");
    ASSERT_EQ(count, 12);
    EXPECT_STREQ(config_->GetName("", 0), "NT");
    EXPECT_STREQ(config_->GetName("", 11), "Plain");
    EXPECT_EQ(config_->GetName("", 12), nullptr);
    EXPECT_EQ(config_->GetSecNum("Plain"), 1);
    EXPECT_EQ(config_->GetSecNum("Plain.x"), 0);
    EXPECT_EQ(config_->GetSecNum("missing"), -1);
    Section* x = config_->GetSection("Plain", 0);
    ASSERT_NE(x, nullptr);
    EXPECT_STREQ(x->GetName("", -1), "x");
    EXPECT_EQ(x->GetRoot(), config_->GetRoot());
    EXPECT_EQ(config_->GetSection("Plain", 1), nullptr);
    EXPECT_EQ(config_->GetSection("missing", -1), nullptr);
}

class Setters : public ConfigTest {};

TEST_F(Setters, CreateMissingSectionsAfterTheExistingOnes) {
    const auto config = read_text("a = 1\nb = 2\n");
    ASSERT_NE(config, nullptr);
    EXPECT_TRUE(config->SetString("value", "New.Sub.key"));
    EXPECT_EQ(config->GetSecNum(""), 3);
    EXPECT_STREQ(config->GetName("", 2), "New");
    EXPECT_EQ(render(*config, "New.Sub.key"), "s:value");
    EXPECT_EQ(config->GetType("New.Sub"), SectionKind::plain);
    // An invalid path creates nothing.
    EXPECT_FALSE(config->SetDouble(1, "c..d"));
    EXPECT_EQ(config->GetSecNum("c"), -1);
    EXPECT_FALSE(config->SetDouble(1, "c.1d"));
    EXPECT_EQ(config->GetSecNum("c"), -1);
}

TEST_F(Setters, SetValuesOfEveryKind) {
    const auto config = read_text("x = 5\n");
    ASSERT_NE(config, nullptr);
    EXPECT_TRUE(config->SetDouble(7.25, "x"));
    EXPECT_STREQ(config->GetString("x"), "7.25");  // no stale literal
    const double numbers[] = {1, 2};
    EXPECT_TRUE(config->SetDoubles(numbers, 2, "arr"));
    EXPECT_EQ(render(*config, "arr"), "n:1,2");
    EXPECT_TRUE(config->SetDoubles(nullptr, 0, "none"));
    EXPECT_EQ(render(*config, "none"), "n:");
    const int ints[] = {3, 4, 5};
    EXPECT_TRUE(config->SetInts(ints, 3, "ints"));
    EXPECT_EQ(render(*config, "ints"), "n:3,4,5");
    EXPECT_FALSE(config->SetInts(ints, 0, "ints"));
    EXPECT_TRUE(config->SetInt(-2, "i"));
    EXPECT_EQ(render(*config, "i"), "n:-2");
    EXPECT_TRUE(config->SetString("s", "x"));
    EXPECT_EQ(render(*config, "x"), "s:s");
    EXPECT_TRUE(config->SetComment("first\nsecond", "x", true));
    EXPECT_STREQ(config->GetComment("x", true), "first");
    EXPECT_TRUE(config->SetComment("above", "x", false));
    EXPECT_STREQ(config->GetComment("x", false), "above\n");
}

TEST_F(Setters, ReadOnlyNodesRefuseAndTellOnlyWhenAsked) {
    write("t.cfg", "x = 1\n");
    const auto config = read("t", ConfMode::read_only);
    ASSERT_NE(config, nullptr);
    Parser::set_mode(0);
    captured().clear();
    EXPECT_FALSE(config->SetDouble(2, "x"));
    EXPECT_TRUE(captured().empty());
    Parser::set_mode(1);
    EXPECT_FALSE(config->SetString("v", "x"));
    EXPECT_FALSE(config->SetInts(std::array<int, 1>{1}.data(), 1, "y"));
    EXPECT_FALSE(config->SetLink("x", "z"));
    EXPECT_FALSE(config->SetComment("c", "x", false));
    EXPECT_EQ(traces(Msgtype::error), std::vector<std::string>({
                                          "section 't' is 'read-only', cannot set parameter: x",
                                          "section 't' is 'read-only', cannot set parameter: y",
                                          "section 't' is 'read-only', cannot set parameter: z",
                                          "section 't' is 'read-only', cannot set comment 'c'",
                                      }));
    EXPECT_EQ(render(*config, "x"), "n:1");
    EXPECT_EQ(config->GetSecNum(""), 1);
}

}  // namespace
