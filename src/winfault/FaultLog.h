#pragma once
// The log as a fault handler can use it.
//
// Each error goes first, bare, to standard error with write(2), so it gets
// out whatever state the process is in. Then it becomes an ordinary error line
// of the logger (log file, console, closing summary), provided the logger
// could be seized: not when this thread faulted while changing the logger's
// state, nor when another thread keeps the logger beyond the wait.
#include <chrono>

#include "winfault/SafeText.h"

namespace winfault {

class FaultLog {
public:
    // Lines are located at `source_file`(`line`), the file's name after its
    // last '/', as the logger locates them.
    FaultLog(const char* source_file, int line, std::chrono::milliseconds logger_wait);

    // Logs `message` at error level.
    void error(const char* message);

    // Whether the logger was seized: it then serves this thread alone until
    // the process ends, and the exit function can still close the log.
    bool logger_seized() const { return seized_; }

private:
    SafeText location_;
    std::chrono::milliseconds logger_wait_;
    bool tried_ = false;
    bool seized_ = false;
};

// Writes `message` and a line end to standard error, async-signal-safely.
void write_bare_error(const char* message);

}  // namespace winfault
