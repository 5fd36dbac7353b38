#pragma once
// Interrupt and terminate signals.

namespace platform {

using SignalHandler = void (*)(int signal);

// Installs `handler` for the interrupt (SIGINT) and the terminate (SIGTERM)
// signal; it stays installed after it has run. Returns whether both were
// installed.
bool install_interrupt_handlers(SignalHandler handler);

}  // namespace platform
