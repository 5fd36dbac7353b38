#pragma once
// The process-wide logger. Every message becomes one time-stamped, located line
// in the log file and, unless silenced, on the console stream. Errors are also
// written bare to standard error at once. Warnings and errors are collected
// and repeated when logging ends.
#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "utils/File.h"

struct SLogParams {
    void* reserved = nullptr;  // not read by the logger; callers zero it
    bool no_time = false;
    bool no_location = false;
    bool no_prefix = false;
    bool quiet_errors = false;
    bool quiet_warnings = false;
    bool quiet_messages = false;
    bool no_console = false;
};

// The level of a line: that of its prefix key, or none for any other prefix.
enum class LogLevel { plain, error, warning, message };

// One line of the log as a line sink receives it (CLog::SetLineSink): the
// line exactly as the log file has it, and its pieces. A piece whose switch
// is off (no_time, no_location, no_prefix) is empty, and so are the pieces
// that a line cut at CLog::max_line loses.
struct LogLine {
    LogLevel level = LogLevel::plain;
    std::string text;  // the whole line, without its line end

    // "9/12/2026, 10:17:23 : ", with its closing blank.
    std::string_view time_stamp() const { return piece(0, location_begin); }
    // "Calculate.cpp(42)" or "trace level 3", without the ", " after it.
    std::string_view location() const { return piece(location_begin, location_end); }
    // ", " after a location.
    std::string_view separator() const { return piece(location_end, prefix_begin); }
    // "error: ", "warning: ", "message: " or the caller's other prefix.
    std::string_view prefix() const { return piece(prefix_begin, message_begin); }
    std::string_view message() const { return piece(message_begin, text.size()); }

    std::size_t location_begin = 0;
    std::size_t location_end = 0;
    std::size_t prefix_begin = 0;
    std::size_t message_begin = 0;

private:
    std::string_view piece(std::size_t begin, std::size_t end) const {
        begin = std::min(begin, text.size());
        end = std::clamp(end, begin, text.size());
        return std::string_view(text).substr(begin, end - begin);
    }
};

// Receives every line of the log. It runs on the thread that logs, inside
// the logger, and must return promptly without waiting for another thread
// (a window's sink queues the line: LogLineQueue).
using LogSink = std::function<void(const LogLine&)>;

class CLog {
public:
    // Level keys: a line's level is the identity of the prefix pointer, not
    // its text. Any other prefix writes a plain line without a level.
    static const char* const c_sErrorPrefix;
    static const char* const c_sWarningPrefix;
    static const char* const c_sMessagePrefix;

    // Longest line (and message) kept, in bytes.
    static constexpr std::size_t max_line = 1023;

    // Starts logging to `log_file` (appended; none when null). Returns false
    // for a null `params` or when the file cannot be opened or locked.
    static bool StartLogging(const SLogParams* params, const char* log_file);

    // Logs one message located at `source_file`(`line`).
    static void Print(const char* source_file, int line, const char* prefix, const char* format, ...)
        __attribute__((format(printf, 4, 5)));

    // The line writer behind Print and logtrace.
    // A null format writes nothing but the bare error line (for errors).
    static void Write(const char* location, const char* prefix, const char* format, va_list args);

    static bool isLogfileOpen();

    // Repeats the collected warnings and errors and closes the log file.
    static void EndLogging();

    // For a handler of processor faults, which has already written the bare
    // error to standard error itself. Takes the logger for the rest of the
    // process when it can be had within `wait`: never when this thread
    // faulted while changing the logger's state (it is half-written then),
    // nor when another thread keeps the logger longer. Once taken, the
    // logger serves this thread alone, and the exit function's EndLogging on
    // this thread still gets in (the lock is recursive).
    static bool SeizeForFault(std::chrono::milliseconds wait);

    // Logs `message` as an error line at `location`, as Write does but
    // without the bare copy on standard error. Only after SeizeForFault.
    static void WriteSeizedError(const char* location, const char* message);

    // The text and location tag of the last message logged.
    static std::string LastMessage();
    static std::string LastModule();

    // Hands every line from now on to `sink` (none when empty): each line
    // exactly once, in the order of the log file, whether or not a file or
    // a console is open, after the file and the console. Lines that the
    // sink itself logs go to the file and the console only. A sink that
    // throws is dropped, and that is logged. Once this returns, the sink
    // replaced is no longer called. Lines written after a processor fault
    // (WriteSeizedError) reach the file and the console only.
    static void SetLineSink(LogSink sink);

private:
    static void WriteLocked(const char* location, const char* prefix, const char* format, va_list args);
    static void Record(const char* location, const char* prefix, const std::string& message, bool to_sink);
    static LogLine ComposeLine(const char* location, const char* prefix, const std::string& message);
    static void PassToSink(const LogLine& line);

    static SLogParams m_Params;
    static FilePtr m_LogFile;
    static std::FILE* m_LogStream;
    static std::string m_sLastMessage;
    static std::string m_sLastModule;
    static std::string warningsAccumulator;
    static LogSink m_Sink;
    static std::recursive_mutex m_Mutex;
};

// Shorthands that fill in the source location.
#define LOG_ERROR(...) CLog::Print(__FILE__, __LINE__, CLog::c_sErrorPrefix, __VA_ARGS__)
#define LOG_WARNING(...) CLog::Print(__FILE__, __LINE__, CLog::c_sWarningPrefix, __VA_ARGS__)
#define LOG_MESSAGE(...) CLog::Print(__FILE__, __LINE__, CLog::c_sMessagePrefix, __VA_ARGS__)
