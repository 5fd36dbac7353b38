#pragma once
// Interrupt and terminate signals.

namespace platform {

using SignalHandler = void (*)(int signal);

// Installs `handler` for the interrupt (SIGINT) and the terminate (SIGTERM)
// signal; it stays installed after it has run. Returns whether both were
// installed.
bool install_interrupt_handlers(SignalHandler handler);

}  // namespace platform

namespace platform {

// Writes `text` to standard error with the one call a signal handler may
// make; nothing is reported when it fails.
void signal_safe_error(const char* text);

}  // namespace platform
