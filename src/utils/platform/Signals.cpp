#include "utils/platform/Signals.h"

#include <csignal>

namespace platform {

bool install_interrupt_handlers(SignalHandler handler) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;  // interrupted reads and writes go on
    const bool interrupt = ::sigaction(SIGINT, &action, nullptr) == 0;
    const bool terminate = ::sigaction(SIGTERM, &action, nullptr) == 0;
    return interrupt && terminate;
}

}  // namespace platform

#include <cstring>

#include <unistd.h>

namespace platform {

void signal_safe_error(const char* text) {
    const ssize_t ignored = ::write(STDERR_FILENO, text, std::strlen(text));
    static_cast<void>(ignored);
}

}  // namespace platform
