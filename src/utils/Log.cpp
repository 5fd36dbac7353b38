#include "utils/Log.h"

#include <ctime>

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
std::recursive_mutex CLog::m_Mutex;

namespace {

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

std::string CLog::ComposeLine(const char* location, const char* prefix, const std::string& message) {
    std::string line;
    if (!m_Params.no_time) line += time_stamp();
    if (!m_Params.no_location) {
        line += location;
        line += ", ";
    }
    if (!m_Params.no_prefix) line += prefix;
    line += message;
    cut_to(line, max_line);
    return line;
}

void CLog::WriteLocked(const char* location, const char* prefix, const char* format, va_list args) {
    const bool is_error = prefix == c_sErrorPrefix;
    const bool is_warning = prefix == c_sWarningPrefix;
    const bool is_message = prefix == c_sMessagePrefix;

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

    m_sLastMessage = message;
    m_sLastModule = location;
    cut_to(m_sLastModule, max_line);

    const std::string line = ComposeLine(location, prefix, message);
    if (m_LogFile != nullptr) {
        std::fprintf(m_LogFile.get(), "%s\n", line.c_str());
        std::fflush(m_LogFile.get());
    }
    if (is_error || is_warning) {
        warningsAccumulator += line;
        warningsAccumulator += '\n';
    }
    if ((is_error && m_Params.quiet_errors) || (is_warning && m_Params.quiet_warnings) ||
        (is_message && m_Params.quiet_messages))
        return;
    if (m_LogStream != nullptr) {
        std::fprintf(m_LogStream, "%s\n", line.c_str());
        std::fflush(m_LogStream);
    }
}

bool CLog::isLogfileOpen() {
    std::lock_guard lock(m_Mutex);
    return m_LogFile != nullptr;
}

void CLog::EndLogging() {
    std::lock_guard lock(m_Mutex);
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

std::string CLog::LastMessage() {
    std::lock_guard lock(m_Mutex);
    return m_sLastMessage;
}

std::string CLog::LastModule() {
    std::lock_guard lock(m_Mutex);
    return m_sLastModule;
}
