// The logger's line sink: every line once, in the file's order, in pieces
// that honour the logger's switches; and the queue between logging threads
// and a window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/TempDir.h"
#include "utils/Log.h"
#include "utils/LogLineQueue.h"
#include "utils/Trace.h"

using testing_support::read_file;
using testing_support::TempDir;

namespace {

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.empty()) break;  // the blank lines before the summary
        lines.push_back(line);
    }
    return lines;
}

// Logs with `params` into a fresh file while `body` runs, the queue's sink
// installed; returns the lines of the file.
template <class Body>
std::vector<std::string> logged_lines(SLogParams params, LogLineQueue& queue, Body body) {
    TempDir dir;
    const std::string log = dir.file("run.log");
    params.no_console = true;
    testing::internal::CaptureStderr();  // errors also go there bare
    CLog::StartLogging(&params, log.c_str());
    CLog::SetLineSink(queue.sink());
    body();
    CLog::SetLineSink({});
    CLog::EndLogging();
    testing::internal::GetCapturedStderr();
    return lines_of(read_file(log));
}

}  // namespace

TEST(LogSink, PiecesHonourTheSwitchesAndMakeTheFileLine) {
    struct Case {
        const char* name;
        bool no_time, no_location, no_prefix;
    };
    const Case cases[] = {
        {"everything", false, false, false},
        {"no time", true, false, false},
        {"no location", false, true, false},
        {"no prefix", false, false, true},
        {"message alone", true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SLogParams params{};
        params.no_time = c.no_time;
        params.no_location = c.no_location;
        params.no_prefix = c.no_prefix;
        LogLineQueue queue;
        const std::vector<std::string> file = logged_lines(params, queue, [] {
            CLog::Print("/src/dynamics/Run.cpp", 12, CLog::c_sErrorPrefix, "broken %d", 1);
            CLog::Print("Run.cpp", 13, CLog::c_sWarningPrefix, "careful");
            CLog::Print("Run.cpp", 14, CLog::c_sMessagePrefix, "fine");
            trace(Msgtype::info, "counted %d", 3);  // a line without a level
        });
        const std::vector<LogLine> lines = queue.take();
        ASSERT_EQ(lines.size(), 4u);
        ASSERT_EQ(file.size(), 4u);
        const LogLevel levels[] = {LogLevel::error, LogLevel::warning, LogLevel::message, LogLevel::plain};
        const char* locations[] = {"Run.cpp(12)", "Run.cpp(13)", "Run.cpp(14)", "trace level 3"};
        const char* prefixes[] = {"error: ", "warning: ", "message: ", ""};
        const char* messages[] = {"broken 1", "careful", "fine", "counted 3"};
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const LogLine& line = lines[i];
            EXPECT_EQ(line.text, file[i]);
            EXPECT_EQ(line.level, levels[i]);
            EXPECT_EQ(line.time_stamp().empty(), c.no_time);
            if (!c.no_time) {
                EXPECT_TRUE(line.time_stamp().ends_with(" : ")) << line.time_stamp();
            }
            EXPECT_EQ(line.location(), c.no_location ? "" : locations[i]);
            EXPECT_EQ(line.separator(), c.no_location ? "" : ", ");
            EXPECT_EQ(line.prefix(), c.no_prefix ? "" : prefixes[i]);
            EXPECT_EQ(line.message(), messages[i]);
            const std::string joined = std::string(line.time_stamp()) + std::string(line.location()) +
                                       std::string(line.separator()) + std::string(line.prefix()) +
                                       std::string(line.message());
            EXPECT_EQ(joined, line.text);
        }
    }
}

TEST(LogSink, ALineCutAtItsLimitIsCutInItsPiecesToo) {
    LogLineQueue queue;
    SLogParams params{};
    params.no_time = true;
    const std::string long_message(2000, 'x');
    const std::vector<std::string> file =
        logged_lines(params, queue, [&] { CLog::Print("a.cpp", 1, CLog::c_sMessagePrefix, "%s", long_message.c_str()); });
    const std::vector<LogLine> lines = queue.take();
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(file.size(), 1u);
    EXPECT_EQ(lines[0].text, file[0]);
    EXPECT_EQ(lines[0].text.size(), CLog::max_line);
    EXPECT_EQ(lines[0].message().size(), CLog::max_line - std::string("a.cpp(1), message: ").size());
}

// Two threads log 1000 messages each: the sink sees every line exactly once,
// whole, with its level, in the order of the file.
TEST(LogSink, EveryLineOfTwoThreadsOnceWholeInFileOrder) {
    LogLineQueue queue;
    constexpr int per_thread = 1000;
    std::vector<LogLine> taken_meanwhile;
    const std::vector<std::string> file = logged_lines(SLogParams{}, queue, [&] {
        std::vector<std::thread> threads;
        for (int t = 0; t < 2; ++t)
            threads.emplace_back([t] {
                for (int i = 0; i < per_thread; ++i) {
                    if (i % 10 == 9)
                        CLog::Print("thread.cpp", t, CLog::c_sWarningPrefix, "thread %d line %d", t, i);
                    else
                        CLog::Print("thread.cpp", t, CLog::c_sMessagePrefix, "thread %d line %d", t, i);
                }
            });
        // The window's thread takes lines while they come.
        for (int i = 0; i < 50; ++i) {
            for (LogLine& line : queue.take()) taken_meanwhile.push_back(std::move(line));
            std::this_thread::yield();
        }
        for (std::thread& thread : threads) thread.join();
    });
    std::vector<LogLine> lines = std::move(taken_meanwhile);
    for (LogLine& line : queue.take()) lines.push_back(std::move(line));

    ASSERT_EQ(file.size(), 2u * per_thread);
    ASSERT_EQ(lines.size(), file.size());
    int next[2] = {0, 0};
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const LogLine& line = lines[k];
        ASSERT_EQ(line.text, file[k]) << k;
        int t = -1, i = -1;
        ASSERT_EQ(std::sscanf(std::string(line.message()).c_str(), "thread %d line %d", &t, &i), 2) << line.text;
        ASSERT_TRUE(t == 0 || t == 1);
        EXPECT_EQ(i, next[t]++);  // each thread's lines in its own order, none twice
        EXPECT_EQ(line.level, i % 10 == 9 ? LogLevel::warning : LogLevel::message);
        EXPECT_EQ(line.location(), "thread.cpp(" + std::to_string(t) + ")");
    }
    EXPECT_EQ(next[0], per_thread);
    EXPECT_EQ(next[1], per_thread);
    EXPECT_EQ(queue.dropped(), 0u);
}

// What the sink logs itself goes to the file but not back to the sink; a
// sink that throws is dropped, and that is logged.
TEST(LogSink, ASinkThatLogsOrThrowsDoesNotLoop) {
    TempDir dir;
    const std::string log = dir.file("run.log");
    SLogParams params{};
    params.no_time = params.no_location = params.no_console = true;
    testing::internal::CaptureStderr();
    CLog::StartLogging(&params, log.c_str());
    std::vector<std::string> seen;
    CLog::SetLineSink([&](const LogLine& line) {
        seen.emplace_back(line.message());
        CLog::Print("sink.cpp", 1, CLog::c_sMessagePrefix, "echo of %s", std::string(line.message()).c_str());
    });
    CLog::Print("a.cpp", 1, CLog::c_sMessagePrefix, "first");
    CLog::SetLineSink([](const LogLine&) { throw 1; });
    CLog::Print("a.cpp", 2, CLog::c_sMessagePrefix, "second");
    CLog::Print("a.cpp", 3, CLog::c_sMessagePrefix, "third");
    CLog::EndLogging();
    testing::internal::GetCapturedStderr();

    EXPECT_EQ(seen, std::vector<std::string>{"first"});
    EXPECT_EQ(lines_of(read_file(log)),
              (std::vector<std::string>{"message: first", "message: echo of first", "message: second",
                                        "error: the log's line sink failed; it receives no more lines",
                                        "message: third"}));
}
