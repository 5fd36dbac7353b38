// Output file names: patterns from the configuration filled per experiment.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include <unistd.h>

#include "dynamics/PDcalc.h"
#include "dynamics/output/FileNamePattern.h"
#include "support/FixtureSpecies.h"
#include "support/LoggedText.h"
#include "utils/Format.h"
#include "utils/config/RootSection.h"

namespace {

// 9 December 2026, 10:20:32 UTC.
std::time_t fixed_clock() { return 1796811632; }

class FileNames : public ::testing::Test {
protected:
    void SetUp() override {
        saved_tz_ = std::getenv("TZ") != nullptr ? std::getenv("TZ") : "";
        had_tz_ = std::getenv("TZ") != nullptr;
        ::setenv("TZ", "UTC0", 1);
        ::tzset();
        file_names_detail::set_clock(fixed_clock);
        engine.runtime_folder = "run/";
    }
    void TearDown() override {
        file_names_detail::set_clock(nullptr);
        if (had_tz_) ::setenv("TZ", saved_tz_.c_str(), 1);
        else ::unsetenv("TZ");
        ::tzset();
    }

    static std::string pid() { return std::to_string(static_cast<unsigned long>(::getpid())); }
    static constexpr const char* time = "09_12_2026__10_20_32";

    // make_filename, with what it logged.
    std::optional<std::string> name(const std::string& pattern, std::optional<std::string_view> folder,
                                    std::string& log) {
        std::optional<std::string> result;
        log = testing_support::logged_text([&] { result = engine.make_filename(pattern, folder); });
        return result;
    }

    PDcalc engine;

private:
    std::string saved_tz_;
    bool had_tz_ = false;
};

TEST_F(FileNames, PlaceholdersAreFilled) {
    struct Case {
        std::string pattern;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"r.%1$d.%2$s-%3$lu.log", std::string("r.1.") + time + "-" + pid() + ".log"},
        {"out/%1$d.pdb", "out/1.pdb"},
        {"plain.txt", "plain.txt"},
        {"100%%.txt", "100%.txt"},
        {"%%1$d", "%1$d"},
        {"%1$d%1$d", "11"},
        {"%1$03d.txt", "001.txt"},
        {"[%1$-3d]", "[1  ]"},
        {"%3$lu%2$s", pid() + time},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        std::string log;
        EXPECT_EQ(name(c.pattern, "f/", log), "f/" + c.expected);
        EXPECT_EQ(log, "");
    }
}

TEST_F(FileNames, FolderDefaultsToTheRuntimeFolder) {
    std::string log;
    EXPECT_EQ(name("a.%1$d", std::nullopt, log), "run/a.1");
    EXPECT_EQ(name("a.%1$d", "", log), "a.1");
}

TEST_F(FileNames, ExperimentNumberIsTheRunningExperiment) {
    engine.experiment_index = 7;
    std::string log;
    EXPECT_EQ(name("e%1$d", "", log), "e7");
}

// A pattern is the user's text: anything that is not one of the placeholders
// is refused with an error that names it, and no file name is made.
TEST_F(FileNames, HostilePatternsAreRefused) {
    struct Case {
        std::string pattern;
        std::string directive;
    };
    const std::vector<Case> cases = {
        {"%s.log", "%s"},          {"a%n", "%n"},          {"%d.pdb", "%d"},       {"%5$d", "%5$d"},
        {"%1$s", "%1$s"},          {"%2$d", "%2$d"},       {"%3$d", "%3$d"},       {"%1$n", "%1$n"},
        {"%1$ld", "%1$ld"},        {"%3$lx", "%3$lx"},     {"%*d", "%*"},          {"%.*s", "%.*"},
        {"%1$9999d", "%1$9999d"},  {"%2$.5000s", "%2$.5000s"}, {"%9999999999$d", "%9999999999$d"},
        {"50%", "%"},              {"a%1$", "%1$"},        {"%0$d", "%0$d"},       {"x%1$d%p", "%p"},
        {"%1$d%", "%"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        std::string log;
        EXPECT_EQ(name(c.pattern, "", log), std::nullopt);
        EXPECT_EQ(log, "error: \"" + c.directive + "\" in file name pattern \"" + c.pattern +
                           "\" is not allowed; a pattern may hold %1$d (experiment number), %2$s (date and time), "
                           "%3$lu (process id) and %% (a percent sign)\n");
    }
}

// Species and reaction files: the text of a key in their section; '*' stands
// for the default pattern over the name.
class KeyFileNames : public FileNames {
protected:
    void SetUp() override {
        FileNames::SetUp();
        species.name = "lys";
        species.section = root.CreateSection("Species.lys");
        reaction.section = root.CreateSection("Reactions.bind");
    }
    void set(Section* section, const char* key, const char* value) { ASSERT_TRUE(section->SetString(value, key)); }

    RootSection root{"t", false};
    PROT_CLASS species;
    REACTION reaction;
};

TEST_F(KeyFileNames, SpeciesKeys) {
    set(species.section, "pdb", "*");
    set(species.section, "pdb_out", "out/%1$d.pdb");
    set(species.section, "star_first", "*ignored");
    set(species.section, "spheres", "*");
    struct Case {
        const char* key;
        std::optional<std::string_view> default_format;
        std::optional<std::string_view> folder;
        std::optional<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"pdb", "%s.pdb", "in/", "in/lys.pdb"},
        {"pdb_out", "%s.out.pdb", "", "out/1.pdb"},
        {"star_first", "%s.x", "", "lys.x"},
        {"spheres", std::nullopt, "", "*"},
        {"pdb", "%s.%%1$d.%%2$s-%%3$lu.txt", std::nullopt, std::string("run/lys.1.") + time + "-" + pid() + ".txt"},
        {"missing", "%s.pdb", "in/", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(engine.make_prot_filename(species, c.key, c.default_format, c.folder), c.expected);
    }
}

// A name is taken literally however many percent signs it holds.
TEST_F(KeyFileNames, NamesWithPercentSignsStayLiteral) {
    species.name = "50%s%n";
    set(species.section, "pdb", "*");
    EXPECT_EQ(engine.make_prot_filename(species, "pdb", "%s.%%1$d.pdb", ""), "50%s%n.1.pdb");
}

TEST_F(KeyFileNames, SpeciesWithoutSectionHasNoFiles) {
    species.section = nullptr;
    EXPECT_EQ(engine.make_prot_filename(species, "pdb", "%s.pdb", ""), std::nullopt);
}

TEST_F(KeyFileNames, HostileValueIsRefusedWithAnError) {
    set(species.section, "pdb_out", "%s%s%s%n");
    std::optional<std::string> result{"unset"};
    const std::string log = testing_support::logged_text(
        [&] { result = engine.make_prot_filename(species, "pdb_out", "%s.out.pdb", ""); });
    EXPECT_EQ(result, std::nullopt);
    EXPECT_NE(log.find("error: \"%s\" in file name pattern \"%s%s%s%n\" is not allowed"), std::string::npos) << log;
}

TEST_F(KeyFileNames, ReactionKeysUseTheSectionName) {
    set(reaction.section, "savefile", "*");
    EXPECT_EQ(engine.make_reaction_filename(reaction, "savefile", "%s.%%1$d.%%2$s-%%3$lu.log", std::nullopt),
              std::string("run/bind.1.") + time + "-" + pid() + ".log");
    EXPECT_EQ(engine.make_reaction_filename(reaction, "nothing", "%s.log", std::nullopt), std::nullopt);
}

// A structure dump's name keeps a "%d" for the dump number through the
// first two fillings.
TEST_F(KeyFileNames, StructureDumpNumber) {
    set(reaction.section, "pdb_dump", "*");
    const auto dump = engine.make_reaction_filename(reaction, "pdb_dump", "%s.%%1$d.%%%%d.%%2$s-%%3$lu.pdb", "");
    ASSERT_TRUE(dump.has_value());
    EXPECT_EQ(*dump, std::string("bind.1.%d.") + time + "-" + pid() + ".pdb");
    EXPECT_EQ(file_names::fill_dump_number(*dump, 7).text, std::string("bind.1.7.") + time + "-" + pid() + ".pdb");

    struct Case {
        std::string name;
        std::optional<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"d.%d.pdb", "d.12345678901.pdb"}, {"d.%05d", "d.12345678901"}, {"fixed.pdb", "fixed.pdb"},
        {"100%%", "100%"},                  {"d.%s", std::nullopt},     {"d.%n", std::nullopt},
        {"d.%1$d", std::nullopt},           {"d.%", std::nullopt},      {"d.%ld", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const file_names::Filled filled = file_names::fill_dump_number(c.name, 12345678901);
        EXPECT_EQ(filled.text, c.expected);
        EXPECT_EQ(filled.error.empty(), c.expected.has_value());
    }
}

TEST(DefaultFileNamePatterns, OnlyNameAndPercentSigns) {
    EXPECT_EQ(file_names::fill_default("%s.%%1$d.%%2$s-%%3$lu.log", "r").text, "r.%1$d.%2$s-%3$lu.log");
    EXPECT_EQ(file_names::fill_default("%s.%%1$d", "a%b").text, "a%%b.%1$d");
    EXPECT_EQ(file_names::fill_default("%d.%s", "r").text, std::nullopt);
    EXPECT_EQ(file_names::fill_default("%5s", "r").text, std::nullopt);
}

}  // namespace
