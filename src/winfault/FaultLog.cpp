#include "winfault/FaultLog.h"

#include <string_view>

#include <unistd.h>

#include "utils/Log.h"

namespace winfault {

FaultLog::FaultLog(const char* source_file, int line, std::chrono::milliseconds logger_wait)
    : logger_wait_(logger_wait) {
    std::string_view file = source_file != nullptr ? source_file : "";
    if (const auto slash = file.find_last_of('/'); slash != std::string_view::npos) file.remove_prefix(slash + 1);
    location_.append(file).append("(").append_decimal(line).append(")");
}

void FaultLog::error(const char* message) {
    write_bare_error(message);
    if (!tried_) {
        tried_ = true;
        seized_ = CLog::SeizeForFault(logger_wait_);
    }
    if (seized_) CLog::WriteSeizedError(location_.c_str(), message);
}

void write_bare_error(const char* message) {
    SafeText line;
    line.append(message).append("\n");
    write_all(STDERR_FILENO, line.view());
}

}  // namespace winfault
