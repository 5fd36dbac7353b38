#include <gtest/gtest.h>

#include <clocale>
#include <regex>
#include <string>

#include "support/CommaLocale.h"
#include "support/TempDir.h"
#include "utils/Log.h"
#include "utils/Trace.h"

using testing_support::read_file;
using testing_support::TempDir;

namespace {

// Runs `body` with logging started on `log` under `params` and ended after it;
// returns what reached standard error.
template <class Body>
std::string with_log(const SLogParams& params, const std::string& log, Body body) {
    testing::internal::CaptureStderr();
    EXPECT_TRUE(CLog::StartLogging(&params, log.empty() ? nullptr : log.c_str()));
    body();
    CLog::EndLogging();
    return testing::internal::GetCapturedStderr();
}

SLogParams silent_params() {
    SLogParams params{};
    params.no_console = true;
    return params;
}

}  // namespace

TEST(Logger, LineHasTimeStampLocationPrefixAndMessage) {
    TempDir dir;
    const std::string log = dir.file("run.log");
    with_log(silent_params(), log, [] { CLog::Print("/some/where/Source.cpp", 42, CLog::c_sWarningPrefix, "value %d", 7); });
    const std::string text = read_file(log);
    const std::regex line(R"(\d{1,2}/\d{1,2}/\d{4}, \d{2}:\d{2}:\d{2} : Source\.cpp\(42\), warning: value 7\n)");
    std::smatch match;
    ASSERT_TRUE(std::regex_search(text, match, line)) << text;
    EXPECT_EQ(match.position(0), 0);
}

TEST(Logger, SummaryRepeatsWarningsAndErrorsInTheFileAndOnTheConsole) {
    TempDir dir;
    const std::string log = dir.file("run.log");
    SLogParams params{};
    params.no_time = true;
    const std::string console = with_log(params, log, [] {
        CLog::Print("a.cpp", 1, CLog::c_sMessagePrefix, "plain");
        CLog::Print("a.cpp", 2, CLog::c_sWarningPrefix, "careful");
        CLog::Print("a.cpp", 3, CLog::c_sErrorPrefix, "broken");
    });
    EXPECT_EQ(read_file(log),
              "a.cpp(1), message: plain\n"
              "a.cpp(2), warning: careful\n"
              "a.cpp(3), error: broken\n"
              "\n\nRepeating warnings/errors:\na.cpp(2), warning: careful\na.cpp(3), error: broken\n\n"
              "\n\n");
    EXPECT_EQ(console,
              "a.cpp(1), message: plain\n"
              "a.cpp(2), warning: careful\n"
              "broken\n"
              "a.cpp(3), error: broken\n"
              "\n\nRepeating warnings/errors:a.cpp(2), warning: careful\na.cpp(3), error: broken\n\n");
}

TEST(Logger, RunWithoutWarningsEndsWithBlankLinesOnly) {
    TempDir dir;
    const std::string log = dir.file("run.log");
    SLogParams params = silent_params();
    params.no_time = true;
    with_log(params, log, [] { CLog::Print("a.cpp", 1, CLog::c_sMessagePrefix, "fine"); });
    EXPECT_EQ(read_file(log), "a.cpp(1), message: fine\n\n\n");
}

TEST(Logger, SilentRunWritesOnlyBareErrorsToStandardError) {
    TempDir dir;
    const std::string log = dir.file("run.log");
    const std::string console = with_log(silent_params(), log, [] {
        CLog::Print("a.cpp", 1, CLog::c_sMessagePrefix, "quiet");
        CLog::Print("a.cpp", 2, CLog::c_sWarningPrefix, "quiet too");
        CLog::Print("a.cpp", 3, CLog::c_sErrorPrefix, "loud");
    });
    EXPECT_EQ(console, "loud\n");
    EXPECT_NE(read_file(log).find("Repeating warnings/errors:\n"), std::string::npos);
}

TEST(Logger, ErrorOutsideLoggingGoesToStandardErrorTwiceAndIsCollected) {
    SLogParams params{};
    params.no_time = true;
    with_log(params, "", [] {});  // leaves the console stream on standard error, no file
    testing::internal::CaptureStderr();
    CLog::Print("early.cpp", 5, CLog::c_sErrorPrefix, "too soon");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "too soon\nearly.cpp(5), error: too soon\n");
    const std::string console = with_log(params, "", [] {});
    EXPECT_NE(console.find("Repeating warnings/errors:early.cpp(5), error: too soon\n"), std::string::npos);
}

TEST(Logger, QuietFlagsFilterTheConsoleByLevel) {
    struct Case {
        const char* name;
        bool SLogParams::*flag;
        const char* const* prefix;
    };
    const Case cases[] = {
        {"errors", &SLogParams::quiet_errors, &CLog::c_sErrorPrefix},
        {"warnings", &SLogParams::quiet_warnings, &CLog::c_sWarningPrefix},
        {"messages", &SLogParams::quiet_messages, &CLog::c_sMessagePrefix},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SLogParams params{};
        params.no_time = true;
        params.*c.flag = true;
        const std::string console = with_log(params, "", [&] { CLog::Print("q.cpp", 9, *c.prefix, "hidden"); });
        const std::string line = std::string("q.cpp(9), ") + *c.prefix + "hidden\n";
        // The line itself is suppressed; only the summary may repeat it.
        const auto first = console.find(line);
        const auto summary = console.find("Repeating warnings/errors:");
        EXPECT_TRUE(first == std::string::npos || (summary != std::string::npos && first > summary)) << console;
    }
}

TEST(Logger, FlagsDropTimeLocationAndPrefix) {
    SLogParams params{};
    params.no_time = true;
    params.no_location = true;
    params.no_prefix = true;
    const std::string console = with_log(params, "", [] { CLog::Print("x.cpp", 1, CLog::c_sMessagePrefix, "bare"); });
    EXPECT_EQ(console, "bare\n");
}

TEST(Logger, OtherPrefixesWriteUncollectedLines) {
    SLogParams params{};
    params.no_time = true;
    const std::string console = with_log(params, "", [] { CLog::Print("x.cpp", 1, "", "no level"); });
    EXPECT_EQ(console, "x.cpp(1), no level\n");
}

TEST(Logger, TraceLevelsMapToPrefixes) {
    SLogParams params{};
    params.no_time = true;
    const std::string console = with_log(params, "", [] {
        trace(Msgtype::debug, "debug %d", 6);
        trace(Msgtype::info, "info");
        trace(Msgtype::warning, "warn");
    });
    EXPECT_NE(console.find("trace level 6, debug 6\n"), std::string::npos);
    EXPECT_NE(console.find("trace level 3, info\n"), std::string::npos);
    EXPECT_NE(console.find("trace level 2, warning: warn\n"), std::string::npos);
    EXPECT_EQ(trace, &stdtrace);
}

TEST(Logger, OverlongMessagesAreCutSafely) {
    SLogParams params{};
    params.no_time = true;
    const std::string long_text(5000, 'x');
    const std::string console = with_log(params, "", [&] { CLog::Print("x.cpp", 1, CLog::c_sMessagePrefix, "%s", long_text.c_str()); });
    const auto first_line = console.substr(0, console.find('\n'));
    EXPECT_EQ(first_line.size(), CLog::max_line);
    EXPECT_EQ(CLog::LastMessage().size(), CLog::max_line);
}

TEST(Logger, SecondRunAppendsAfterTheFirst) {
    TempDir dir;
    const std::string log = dir.file("run.log");
    SLogParams params = silent_params();
    params.no_time = true;
    with_log(params, log, [] { CLog::Print("a.cpp", 1, CLog::c_sMessagePrefix, "one"); });
    with_log(params, log, [] { CLog::Print("a.cpp", 1, CLog::c_sMessagePrefix, "two"); });
    EXPECT_EQ(read_file(log), "a.cpp(1), message: one\n\n\na.cpp(1), message: two\n\n\n");
}

TEST(Logger, NullParamsRefused) { EXPECT_FALSE(CLog::StartLogging(nullptr, "x.log")); }

TEST(Logger, NumbersIgnoreTheProcessLocale) {
    const testing_support::CommaLocale comma;
    if (!comma.active()) GTEST_SKIP() << "cannot build a locale with a decimal comma";
    SLogParams params{};
    params.no_time = true;
    const std::string console = with_log(params, "", [] { CLog::Print("x.cpp", 1, CLog::c_sMessagePrefix, "%.2f", 1.5); });
    EXPECT_EQ(console, "x.cpp(1), message: 1.50\n");
}
