#include "winfault/FaultReporter.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>

#include <pthread.h>
#include <unistd.h>

#include "utils/Log.h"
#include "winfault/AlternateStack.h"
#include "winfault/FaultLog.h"
#include "winfault/FaultText.h"
#include "winfault/FaultTranslator.h"
#include "winfault/SignalTranslation.h"
#include "winfault/ThreadStack.h"

namespace winfault {

namespace {

// What the handler needs to know of the thread it runs on: plain data in the
// thread's static TLS block, which a handler reads without allocating.
struct ThreadReporter {
    bool installed = false;
    const char* source_file = nullptr;
    int line = 0;
    StackBounds stack;
};
[[gnu::tls_model("initial-exec")]] thread_local ThreadReporter this_thread;

// The thread's signal stack, released when the thread ends.
thread_local std::optional<AlternateStack> alternate_stack;

// The actions in place before, in the order of fault_signals().
std::array<struct sigaction, 4> previous_actions{};
std::once_flag handlers_installed;

std::atomic<long> logger_wait_ms{FaultLimits{}.logger_wait.count()};
std::atomic<long> ending_seconds{FaultLimits{}.ending.count()};

// The thread that is reporting a fault and ending the process; 0 while none
// is. Only threads with the reporter take it, and they never give it back.
std::atomic<pid_t> reporting_thread{0};
static_assert(std::atomic<pid_t>::is_always_lock_free);

const struct sigaction* previous_action(int signal) {
    const auto signals = fault_signals();
    for (std::size_t i = 0; i < signals.size() && i < previous_actions.size(); ++i)
        if (signals[i] == signal) return &previous_actions[i];
    return nullptr;
}

// Hands a fault on a thread without the reporter to the handler that was
// installed before, or else to the signal's default action, which ends the
// process by the signal: a fault comes back as soon as the handler returns
// and the instruction runs again; a sent signal is sent again.
void pass_on(int signal, siginfo_t* info, void* context) {
    const struct sigaction* previous = previous_action(signal);
    if (previous != nullptr) {
        if ((previous->sa_flags & SA_SIGINFO) != 0 && previous->sa_sigaction != nullptr) {
            previous->sa_sigaction(signal, info, context);
            return;
        }
        if ((previous->sa_flags & SA_SIGINFO) == 0 && previous->sa_handler != SIG_DFL) {
            if (previous->sa_handler == SIG_IGN) {
                if (info->si_code <= 0) return;  // an ignored signal that was sent stays ignored
            } else {
                previous->sa_handler(signal);
                return;
            }
        }
    }
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    ::sigaction(signal, &fallback, nullptr);
    if (info->si_code <= 0) ::raise(signal);
}

void on_watchdog(int) { ::_exit(1); }

// Ends the process with status 1 should the ending not be over in time.
void start_watchdog() {
    struct sigaction action {};
    action.sa_handler = on_watchdog;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_ONSTACK;
    ::sigaction(SIGALRM, &action, nullptr);
    sigset_t alarm_only;
    sigemptyset(&alarm_only);
    sigaddset(&alarm_only, SIGALRM);
    ::pthread_sigmask(SIG_UNBLOCK, &alarm_only, nullptr);
    ::alarm(static_cast<unsigned>(std::max(1L, ending_seconds.load())));
}

// Logs the fault and ends the program as the entry's last handler does after
// any other exception.
[[noreturn]] void report_and_end(const siginfo_t& info, const void* context) {
    start_watchdog();
    const FaultRecord record = fault_record(info, context, this_thread.stack);
    FaultLog log(this_thread.source_file, this_thread.line, std::chrono::milliseconds(logger_wait_ms.load()));
    translate_fault(record.code, record, log);
    log.error("program terminated with exception");
    // The exit functions close the log with its summary; they would wait for
    // a logger that could not be had.
    if (log.logger_seized()) std::exit(1);
    ::_exit(1);
}

// A fault while this thread was reporting one: only the bare line is safe.
[[noreturn]] void end_after_second_fault(const siginfo_t& info, const void* context) {
    const FaultRecord record = fault_record(info, context, this_thread.stack);
    SafeText text;
    describe_fault(record.code, record, text);
    write_bare_error(text.c_str());
    ::_exit(1);
}

// Another thread is reporting a fault and ends the process (or its watchdog
// does); this one waits for that.
[[noreturn]] void wait_for_the_end() {
    for (;;) ::pause();
}

void on_fault(int signal, siginfo_t* info, void* context) {
    const pid_t self = ::gettid();
    const pid_t reporter = reporting_thread.load();
    if (reporter == self) end_after_second_fault(*info, context);
    if (reporter != 0) wait_for_the_end();
    if (!this_thread.installed) {
        const int saved_errno = errno;
        pass_on(signal, info, context);
        errno = saved_errno;
        return;
    }
    pid_t none = 0;
    if (!reporting_thread.compare_exchange_strong(none, self)) wait_for_the_end();
    report_and_end(*info, context);
}

void install_handlers(const char* source_file, int line) {
    const auto signals = fault_signals();
    for (std::size_t i = 0; i < signals.size() && i < previous_actions.size(); ++i) {
        struct sigaction action {};
        action.sa_sigaction = on_fault;
        sigemptyset(&action.sa_mask);
        // SA_NODEFER: a fault inside the handler comes back to it (and ends
        // the process with status 1) instead of killing the process by the
        // blocked signal.
        action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_NODEFER;
        if (::sigaction(signals[i], &action, &previous_actions[i]) != 0)
            CLog::Print(source_file, line, CLog::c_sWarningPrefix,
                        "processor faults of signal %d will not be reported: %s", signals[i], std::strerror(errno));
    }
}

}  // namespace

void install_fault_reporter(const char* source_file, int line, FaultLimits limits) {
    logger_wait_ms.store(limits.logger_wait.count());
    ending_seconds.store(limits.ending.count());
    if (!alternate_stack) {
        alternate_stack.emplace();
        if (!alternate_stack->ok())
            CLog::Print(source_file, line, CLog::c_sWarningPrefix,
                        "no signal stack for the fault reporter, a stack overflow will end the program unreported "
                        "(%s)",
                        alternate_stack->error().c_str());
    }
    this_thread.stack = current_thread_stack();
    this_thread.source_file = source_file;
    this_thread.line = line;
    std::call_once(handlers_installed, install_handlers, source_file, line);
    this_thread.installed = true;
}

}  // namespace winfault
