#include "gui/QuitSignals.h"

#include <atomic>

#include "dynamics/ProcessGlobals.h"
#include "utils/platform/Signals.h"

namespace {

std::atomic<bool> quit{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler stores to the flag");

void on_signal(int signal) {
    quit.store(true);
    signal_callback_handler(signal);  // running calculations stop after their step
}

}  // namespace

namespace quit_signals {

bool install() { return platform::install_interrupt_handlers(on_signal); }
bool requested() { return quit.load(); }
void clear() { quit.store(false); }

}  // namespace quit_signals
