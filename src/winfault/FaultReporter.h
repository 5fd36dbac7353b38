#pragma once
// The processor-fault reporter.
//
// Installed on a thread, it turns a processor fault on that thread (a memory
// access violation, a stack overflow, an illegal instruction, an arithmetic
// fault: the signals SIGSEGV, SIGBUS, SIGILL and SIGFPE) into one error line of
// the log with the fault's name, code and address, for example
//   Exception INT_DIVIDE_BY_ZERO (0xC0000094) at address 0x000055D0C3A1B2C4.
// and then ends the program as the engine entry's last handler ends it after
// any other exception: the error "program terminated with exception" and exit
// status 1, with the exit functions run, so that the log gets its closing
// summary. A C++ exception cannot leave a signal handler portably, so the
// handler ends the program itself rather than unwinding to the entry; the
// engine object is not destroyed then (its memory may be what faulted).
//
// Never hanging weighs more than the summary. A second fault while reporting
// ends the process at once with status 1. The logger is used only when it can
// be had in time (see FaultLog.h); when it cannot, the exit functions are
// skipped too, since they would wait for it. And should the ending still hang
// (a fault inside the allocator or stdio, a lock held for ever), a watchdog
// ends the process with status 1 after `FaultLimits::ending`.
//
// A fault on a thread that did not install the reporter goes where it would
// have gone without it: to the handler installed before, or the signal's
// default action, which ends the process by the signal.
#include <chrono>

namespace winfault {

struct FaultLimits {
    // How long a fault waits for another thread to leave the logger.
    std::chrono::milliseconds logger_wait{2000};
    // How long the ending may take before the watchdog ends the process.
    std::chrono::seconds ending{10};
};

// Installs the reporter for the calling thread: the process's handlers of the
// fault signals (the first time), and for this thread its own signal stack,
// so that a stack overflow can be reported. The reporter's log lines are
// located at `source_file`(`line`); `source_file` must stay valid for the
// thread's life (a __FILE__ literal). Installing again on the same thread
// keeps its signal stack and takes the new location and limits.
void install_fault_reporter(const char* source_file, int line, FaultLimits limits = {});

}  // namespace winfault
