#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "utils/options.h"

namespace {

// The engine program's table.
const char* const engine_table[] = {
    "h|help", "v|verbose", "s|silent", "l:logfile  <filename>", "d:directory  <foldername>", "m|mpich",
    "c:config  <filename>", nullptr,
};

// A table with optional, list and hidden options and two long names that
// share a prefix.
const char* const mixed_table[] = {
    "v|verbose", "s|silent", "o?output  <file>", "f+files  <file>", "g*", "-z|secret", "c:config", "k:cfg",
    "q|xyzzy", nullptr,
};

// One parse step's result and argument ("" for none, shown as "-").
struct Step {
    int result;
    const char* arg;
};

std::string describe(const std::vector<Step>& steps) {
    std::string text;
    for (const Step& s : steps) {
        text += '(';
        text += std::to_string(s.result);
        text += ',';
        text += s.arg;
        text += ')';
    }
    return text;
}

// Parses `args` to the end of the options; returns the steps and what the
// parser wrote to standard error.
std::vector<Step> parse_all(const char* const* table, unsigned controls, const std::vector<const char*>& args,
                            std::string& messages, std::vector<std::string>& storage) {
    Options options("/some/path/zelmar", table);
    options.set_controls(controls);
    OptArgvIter iter(static_cast<int>(args.size()), args.data());
    std::vector<Step> steps;
    std::optional<std::string> optarg;
    testing::internal::CaptureStderr();
    storage.reserve(64);
    for (int guard = 0; guard < 32; ++guard) {
        optarg.reset();
        const int result = options(iter, optarg);
        if (result == 0) break;
        storage.push_back(optarg ? *optarg : "-");
        steps.push_back({result, storage.back().c_str()});
    }
    messages = testing::internal::GetCapturedStderr();
    return steps;
}

}  // namespace

TEST(Options, ParsesArgumentsStepByStep) {
    constexpr unsigned pos = Options::return_positional;
    struct Case {
        const char* name;
        const char* const* table;
        unsigned controls;
        std::vector<const char*> args;
        std::vector<Step> steps;
        const char* messages;
    };
    const Case cases[] = {
        {"long value after =", engine_table, pos, {"--conf=a.cfg"}, {{'c', "a.cfg"}}, ""},
        {"long value after :", engine_table, pos, {"--config:a.cfg"}, {{'c', "a.cfg"}}, ""},
        {"long value in the next word", engine_table, pos, {"--config", "a.cfg"}, {{'c', "a.cfg"}}, ""},
        {"long names ignore case", engine_table, pos, {"--VERB"}, {{'v', "-"}}, ""},
        {"attached short value", engine_table, pos, {"-cfile"}, {{'c', "file"}}, ""},
        {"short value in the next word", engine_table, pos, {"-c", "file"}, {{'c', "file"}}, ""},
        {"cluster", engine_table, pos, {"-vs"}, {{'v', "-"}, {'s', "-"}}, ""},
        {"cluster ending in an option with its value", engine_table, pos, {"-vlrun"}, {{'v', "-"}, {'l', "run"}},
         ""},
        {"required value may look like an option", engine_table, pos, {"-c", "-v"}, {{'c', "-v"}}, ""},
        {"missing short value", engine_table, pos, {"-v", "-l"}, {{'v', "-"}, {'l', "-"}},
         "zelmar: argument required for -l option.\n"},
        {"missing long value", engine_table, pos, {"--logfile"}, {{'l', "-"}},
         "zelmar: argument required for --logfile option.\n"},
        {"value given to an option without one", engine_table, pos, {"--help=x"}, {{'h', "x"}},
         "zelmar: option --help does NOT take an argument.\n"},
        {"unknown long option", engine_table, pos, {"--bogus", "-v"}, {{-2, "bogus"}, {'v', "-"}},
         "zelmar: unknown option --bogus.\n"},
        {"unknown long option retried as a cluster", engine_table, pos, {"--vs"}, {{'v', "-"}, {'s', "-"}}, ""},
        {"no guessing", engine_table, pos | Options::no_guessing, {"--vs"}, {{-2, "vs"}},
         "zelmar: unknown option --vs.\n"},
        {"single-dash long name is a cluster", engine_table, pos, {"-verbose"},
         {{'v', "-"}, {-1, "erbose"}, {-1, "rbose"}, {-1, "bose"}, {-1, "ose"}, {'s', "-"}, {-1, "e"}},
         "zelmar: unknown option -e.\nzelmar: unknown option -r.\nzelmar: unknown option -b.\n"
         "zelmar: unknown option -o.\nzelmar: unknown option -e.\n"},
        {"unknown short option retried as a long one", mixed_table, pos, {"-xyz"}, {{'q', "-"}}, ""},
        {"lone dash", engine_table, pos, {"-", "-v"}, {{-1, ""}, {'v', "-"}}, "zelmar: unknown option -.\n"},
        {"positional arguments returned", engine_table, pos, {"a.cfg", "-v", "b"},
         {{-4, "a.cfg"}, {'v', "-"}, {-4, "b"}}, ""},
        {"empty argument is positional", engine_table, pos, {""}, {{-4, ""}}, ""},
        {"positional argument ends the options", engine_table, 0, {"-v", "a.cfg", "-s"}, {{'v', "-"}}, ""},
        {"after -- everything is positional", engine_table, pos, {"-v", "--", "-s", "--"},
         {{'v', "-"}, {-4, "-s"}, {-4, "--"}}, ""},
        {"-- ends the options", engine_table, 0, {"--", "-v"}, {}, ""},
        {"ambiguous prefix", mixed_table, pos, {"--c"}, {{-3, "c"}}, "zelmar: ambiguous option --c.\n"},
        {"a name that is not a prefix of another", mixed_table, pos, {"--cfg", "x"}, {{'k', "x"}}, ""},
        {"short options by case", engine_table, pos | Options::no_guessing, {"-V"}, {{-1, "V"}},
         "zelmar: unknown option -V.\n"},
        {"short options without case", engine_table, pos | Options::any_case | Options::no_guessing, {"-V"},
         {{'v', "-"}}, ""},
        {"unknown short option found as a long one without case", engine_table, pos, {"-V"}, {{'v', "-"}}, ""},
        {"optional value taken from a plain word", mixed_table, pos, {"-o", "out.txt"}, {{'o', "out.txt"}}, ""},
        {"optional value not taken from an option", mixed_table, pos, {"-o", "-v"}, {{'o', "-"}, {'v', "-"}}, ""},
        {"optional value absent at the end", mixed_table, pos, {"--output"}, {{'o', "-"}}, ""},
        {"optional list without value", mixed_table, pos, {"-g"}, {{'g', "-"}}, ""},
        {"hidden options are parsed", mixed_table, pos, {"--secret", "-z"}, {{'z', "-"}, {'z', "-"}}, ""},
        {"quiet", engine_table, pos | Options::quiet, {"--bogus", "-l"}, {{-2, "bogus"}, {'l', "-"}}, ""},
        {"long only", engine_table, pos | Options::long_only, {"-verbose", "-conf", "x"}, {{'v', "-"}, {'c', "x"}},
         ""},
        {"long only reports with one dash", engine_table, pos | Options::long_only, {"-bogus"}, {{-2, "bogus"}},
         "zelmar: unknown option -bogus.\n"},
        {"plus introduces long options", engine_table, pos | Options::plus_long, {"+verbose"}, {{'v', "-"}}, ""},
        {"plus words continue a list", mixed_table, pos | Options::plus_long | Options::short_only,
         {"-f", "a", "+b", "+c"}, {{'f', "a"}, {'f', "+b"}, {'f', "+c"}}, ""},
        {"short only has no long options", engine_table, pos | Options::short_only | Options::no_guessing,
         {"--verbose"}, {{-1, "-verbose"}, {'v', "-"}, {-1, "erbose"}, {-1, "rbose"}, {-1, "bose"}, {-1, "ose"},
          {'s', "-"}, {-1, "e"}},
         "zelmar: unknown option --.\nzelmar: unknown option -e.\nzelmar: unknown option -r.\n"
         "zelmar: unknown option -b.\nzelmar: unknown option -o.\nzelmar: unknown option -e.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string messages;
        std::vector<std::string> storage;
        const std::vector<Step> steps = parse_all(c.table, c.controls, c.args, messages, storage);
        EXPECT_EQ(describe(steps), describe(c.steps));
        EXPECT_EQ(messages, c.messages);
    }
}

TEST(Options, PositionalArgumentIsNotConsumedWhenOptionsEnd) {
    const char* args[] = {"a.cfg", "-v"};
    Options options("zelmar", engine_table);
    OptArgvIter iter(2, args);
    std::optional<std::string> optarg;
    EXPECT_EQ(options(iter, optarg), 0);
    EXPECT_STREQ(iter.curr(), "a.cfg");
}

TEST(OptionSpec, FormatsUsageItems) {
    struct Case {
        const char* spec;
        unsigned controls;
        const char* text;
    };
    const Case cases[] = {
        {"h|help", 0, "[-h|--help]"},
        {"l:logfile  <filename>", 0, "[-l|--logfile <filename>]"},
        {"o?output  <file>", 0, "[-o|--output [<file>]]"},
        {"f+files  <file>", 0, "[-f|--files <file> ...]"},
        {"g*", 0, "[-g [<value> ...]]"},
        {"k:", 0, "[-k <value>]"},
        {"k:  <n>", 0, "[-k <n>]"},
        {"v", 0, "[-v]"},
        {" |long", 0, "[--long]"},
        {"-x|secret", 0, ""},
        {"l:logfile  <filename>", Options::short_only, "[-l <filename>]"},
        {"l:logfile  <filename>", Options::long_only, "[-logfile <filename>]"},
        {" :long  <x>", Options::short_only, "[-long <x>]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.spec);
        EXPECT_EQ(OptionSpec(c.spec).Format(c.controls), c.text);
    }
}

TEST(Options, UsageLineWrapsBeforeColumn80) {
    std::ostringstream out;
    Options("/bin/Zelmar", engine_table).usage(out, "");
    EXPECT_EQ(out.str(),
              "usage: Zelmar [-h|--help] [-v|--verbose] [-s|--silent]\n"
              "              [-l|--logfile <filename>] [-d|--directory <foldername>]\n"
              "              [-m|--mpich] [-c|--config <filename>] \n");
}

TEST(Options, UsageLeavesOutHiddenOptionsAndEndsWithThePositionals) {
    const char* const table[] = {"-x|secret", "a|all", nullptr};
    std::ostringstream out;
    Options("prog", table).usage(out, "<file> ...");
    EXPECT_EQ(out.str(), "usage: prog [-a|--all] <file> ...\n");
    const char* const empty[] = {nullptr};
    std::ostringstream nothing;
    Options("prog", empty).usage(nothing, "x");
    EXPECT_EQ(nothing.str(), "");
}

TEST(OptionsDeathTest, MalformedTableEndsTheProcessWithStatus127) {
    const char* const table[] = {"v|verbose", "", "x!bad", "-", nullptr};
    EXPECT_EXIT(Options("/usr/bin/prog", table), testing::ExitedWithCode(127),
                "prog: empty option specifier.\n\tmust be at least 1 character long.\n"
                "prog: bad option specifier \"x!bad\".\n\t2nd character must be in the set \"\\|\\?:\\*\\+\".\n"
                "prog: empty option specifier.\n\tmust be at least 1 character long.\n");
}

TEST(OptIter, ArgumentVectorStopsAtCountOrNullEntryAndRewinds) {
    const char* args[] = {"a", "b", nullptr, "d"};
    OptArgvIter iter(4, args);
    EXPECT_STREQ(iter(), "a");
    EXPECT_STREQ(iter(), "b");
    EXPECT_EQ(iter(), nullptr);
    EXPECT_EQ(iter.curr(), nullptr);
    iter.rewind();
    EXPECT_STREQ(iter.curr(), "a");
    OptArgvIter counted(1, args);
    counted.next();
    counted.next();
    EXPECT_EQ(counted.curr(), nullptr);
}

TEST(OptIter, StringTokensSplitAtRunsOfDelimiters) {
    OptStrTokIter iter("  -v\t\t-c  a.cfg \n");
    std::vector<std::string> tokens;
    while (const char* token = iter()) tokens.emplace_back(token);
    EXPECT_EQ(tokens, (std::vector<std::string>{"-v", "-c", "a.cfg"}));
    iter.rewind();
    EXPECT_STREQ(iter.curr(), "-v");
    OptStrTokIter commas("a,,b", ",");
    EXPECT_STREQ(commas(), "a");
    EXPECT_STREQ(commas(), "b");
    EXPECT_EQ(commas(), nullptr);
}

TEST(OptIter, StreamSkipsBlankAndCommentLines) {
    std::istringstream input("# options\n\n   \n-v -l\n  # more\nrun.log\n\n-c a.cfg\n");
    OptIstreamIter iter(input);
    Options options("zelmar", engine_table);
    options.set_controls(Options::return_positional);
    std::optional<std::string> optarg;
    std::vector<std::string> seen;
    while (const int result = options(iter, optarg)) seen.push_back(std::string(1, char(result)) + "=" + optarg.value_or("-"));
    // -l takes its value from the next line.
    EXPECT_EQ(seen, (std::vector<std::string>{"v=-", "l=run.log", "c=a.cfg"}));
    EXPECT_EQ(iter.curr(), nullptr);
}
