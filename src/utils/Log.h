#pragma once
// The process-wide logger. Every message becomes one time-stamped, located line
// in the log file and, unless silenced, on the console stream. Errors are also
// written bare to standard error at once. Warnings and errors are collected
// and repeated when logging ends.
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

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

    // The text and location tag of the last message logged.
    static std::string LastMessage();
    static std::string LastModule();

private:
    static void WriteLocked(const char* location, const char* prefix, const char* format, va_list args);
    static std::string ComposeLine(const char* location, const char* prefix, const std::string& message);

    static SLogParams m_Params;
    static FilePtr m_LogFile;
    static std::FILE* m_LogStream;
    static std::string m_sLastMessage;
    static std::string m_sLastModule;
    static std::string warningsAccumulator;
    static std::recursive_mutex m_Mutex;
};

// Shorthands that fill in the source location.
#define LOG_ERROR(...) CLog::Print(__FILE__, __LINE__, CLog::c_sErrorPrefix, __VA_ARGS__)
#define LOG_WARNING(...) CLog::Print(__FILE__, __LINE__, CLog::c_sWarningPrefix, __VA_ARGS__)
#define LOG_MESSAGE(...) CLog::Print(__FILE__, __LINE__, CLog::c_sMessagePrefix, __VA_ARGS__)
