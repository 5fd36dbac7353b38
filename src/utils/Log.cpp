#include "utils/Log.h"

#include <ctime>
#include <thread>

#include "utils/File.h"
#include "utils/Format.h"
#include "utils/MiscIo.h"
#include "utils/fopen_s.h"

const char* const CLog::c_sErrorPrefix = "error: ";
const char* const CLog::c_sWarningPrefix = "warning: ";
const char* const CLog::c_sMessagePrefix = "message: ";

SLogParams CLog::m_Params{};
FilePtr CLog::m_LogFile;
std::FILE* CLog::m_LogStream = stderr;
std::string CLog::m_sLastMessage;
std::string CLog::m_sLastModule;
std::string CLog::warningsAccumulator;
LogSink CLog::m_Sink;
std::recursive_mutex CLog::m_Mutex;

namespace {

// How deeply this thread is inside code that changes the logger's state (its
// settings, streams, last message and collected lines). A fault handler reads
// it, so it lives in the thread's static TLS block, which reading never
// allocates.
[[gnu::tls_model("initial-exec")]] thread_local int state_changes = 0;

// Whether this thread has seized the logger after a fault.
[[gnu::tls_model("initial-exec")]] thread_local bool seized_by_this_thread = false;

// Whether this thread is inside the line sink: what the sink logs is not
// handed back to it.
thread_local bool in_sink = false;

class StateChange {
public:
    StateChange() { ++state_changes; }
    ~StateChange() { --state_changes; }
    StateChange(const StateChange&) = delete;
    StateChange& operator=(const StateChange&) = delete;
};

// A null format is logged as the empty text.
const char* const empty_format = "";

// Cuts `text` to at most `limit` bytes without splitting a UTF-8 sequence.
void cut_to(std::string& text, std::size_t limit) {
    if (text.size() <= limit) return;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    text.resize(end);
}

std::string time_stamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return format("%d/%d/%d, %02d:%02d:%02d : ", local.tm_mday, local.tm_mon + 1, local.tm_year + 1900,
                  local.tm_hour, local.tm_min, local.tm_sec);
}

}  // namespace

bool CLog::StartLogging(const SLogParams* params, const char* log_file_name) {
    if (params == nullptr) return false;
    std::lock_guard lock(m_Mutex);
    const StateChange change;
    m_Params = *params;
    if (log_file_name != nullptr) {
        m_LogFile = fopen_share(log_file_name, "a+", false, false);
    }
    m_LogStream = m_Params.no_console ? nullptr : stderr;
    Io::SetTraceHandler(logtrace);
    return log_file_name == nullptr || m_LogFile != nullptr;
}

void CLog::Print(const char* source_file, int line, const char* prefix, const char* format, ...) {
    std::string file = source_file != nullptr ? source_file : "";
    if (const auto slash = file.find_last_of('/'); slash != std::string::npos) file.erase(0, slash + 1);
    const std::string location = ::format("%s(%d)", file.c_str(), line);
    va_list args;
    va_start(args, format);
    Write(location.c_str(), prefix, format != nullptr ? format : empty_format, args);
    va_end(args);
}

void CLog::Write(const char* location, const char* prefix, const char* format, va_list args) {
    std::lock_guard lock(m_Mutex);
    WriteLocked(location, prefix, format, args);
}

namespace {

LogLevel level_of(const char* prefix) {
    if (prefix == CLog::c_sErrorPrefix) return LogLevel::error;
    if (prefix == CLog::c_sWarningPrefix) return LogLevel::warning;
    if (prefix == CLog::c_sMessagePrefix) return LogLevel::message;
    return LogLevel::plain;
}

}  // namespace

LogLine CLog::ComposeLine(const char* location, const char* prefix, const std::string& message) {
    LogLine line;
    line.level = level_of(prefix);
    std::string& text = line.text;
    if (!m_Params.no_time) text += time_stamp();
    line.location_begin = line.location_end = text.size();
    if (!m_Params.no_location) {
        text += location;
        line.location_end = text.size();
        text += ", ";
    }
    line.prefix_begin = text.size();
    if (!m_Params.no_prefix) text += prefix;
    line.message_begin = text.size();
    text += message;
    cut_to(text, max_line);
    return line;
}

void CLog::WriteLocked(const char* location, const char* prefix, const char* format, va_list args) {
    const bool is_error = prefix == c_sErrorPrefix;

    va_list for_message;
    va_copy(for_message, args);
    std::string message = vformat(format, for_message);
    va_end(for_message);
    cut_to(message, max_line);

    if (is_error) {
        std::fprintf(stderr, "%s\n", message.c_str());
        std::fflush(stderr);
    }
    if (location == nullptr || format == nullptr || prefix == nullptr) return;
    Record(location, prefix, message, true);
}

void CLog::Record(const char* location, const char* prefix, const std::string& message, bool to_sink) {
    const StateChange change;
    const bool is_error = prefix == c_sErrorPrefix;
    const bool is_warning = prefix == c_sWarningPrefix;
    const bool is_message = prefix == c_sMessagePrefix;

    m_sLastMessage = message;
    m_sLastModule = location;
    cut_to(m_sLastModule, max_line);

    const LogLine composed = ComposeLine(location, prefix, message);
    const std::string& line = composed.text;
    if (m_LogFile != nullptr) {
        std::fprintf(m_LogFile.get(), "%s\n", line.c_str());
        std::fflush(m_LogFile.get());
    }
    if (is_error || is_warning) {
        warningsAccumulator += line;
        warningsAccumulator += '\n';
    }
    const bool quiet = (is_error && m_Params.quiet_errors) || (is_warning && m_Params.quiet_warnings) ||
                       (is_message && m_Params.quiet_messages);
    if (!quiet && m_LogStream != nullptr) {
        std::fprintf(m_LogStream, "%s\n", line.c_str());
        std::fflush(m_LogStream);
    }
    if (to_sink) PassToSink(composed);
}

bool CLog::isLogfileOpen() {
    std::lock_guard lock(m_Mutex);
    return m_LogFile != nullptr;
}

void CLog::EndLogging() {
    std::lock_guard lock(m_Mutex);
    const StateChange change;
    Io::SetTraceHandler(stdtrace);
    if (!warningsAccumulator.empty()) {
        if (m_LogFile != nullptr) {
            std::fprintf(m_LogFile.get(), "\n\nRepeating warnings/errors:\n%s\n", warningsAccumulator.c_str());
            std::fflush(m_LogFile.get());
        }
        if (m_LogStream != nullptr) {
            std::fprintf(m_LogStream, "\n\nRepeating warnings/errors:%s\n", warningsAccumulator.c_str());
            std::fflush(m_LogStream);
        }
        warningsAccumulator.clear();
    }
    if (m_LogFile != nullptr) {
        std::fputs("\n\n", m_LogFile.get());
        m_LogFile.reset();
    }
}

bool CLog::SeizeForFault(std::chrono::milliseconds wait) {
    if (state_changes > 0) return false;
    // Only non-blocking calls here: the caller may be a signal handler.
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (m_Mutex.try_lock()) {
            seized_by_this_thread = true;  // and the lock kept until the process ends
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void CLog::WriteSeizedError(const char* location, const char* message) {
    if (!seized_by_this_thread) return;
    std::string text = message != nullptr ? message : "";
    cut_to(text, max_line);
    Record(location, c_sErrorPrefix, text, false);
}

void CLog::SetLineSink(LogSink sink) {
    std::lock_guard lock(m_Mutex);
    m_Sink = std::move(sink);
}

void CLog::PassToSink(const LogLine& line) {
    if (!m_Sink || in_sink) return;
    in_sink = true;
    bool failed = false;
    try {
        m_Sink(line);
    } catch (...) {
        failed = true;
    }
    in_sink = false;
    if (!failed) return;
    m_Sink = nullptr;
    LOG_ERROR("the log's line sink failed; it receives no more lines");
}

std::string CLog::LastMessage() {
    std::lock_guard lock(m_Mutex);
    return m_sLastMessage;
}

std::string CLog::LastModule() {
    std::lock_guard lock(m_Mutex);
    return m_sLastModule;
}
