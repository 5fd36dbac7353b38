// From fault signals and their codes to the reporter's names, and the records
// built from what a signal handler receives.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include <ucontext.h>

#include "winfault/FaultCodes.h"
#include "winfault/SignalTranslation.h"
#include "winfault/ThreadStack.h"

using winfault::StackBounds;

namespace {

std::string name_of(std::uint32_t code) {
    const char* name = winfault::fault_name(code);
    return name != nullptr ? name : "(unknown)";
}

struct SignalCase {
    int signal;
    int code;
    bool stack_overflow;
    const char* name;
};

siginfo_t signal_info(int signal, int code, std::uintptr_t address) {
    siginfo_t info{};
    info.si_signo = signal;
    info.si_code = code;
    info.si_addr = reinterpret_cast<void*>(address);
    return info;
}

constexpr std::uintptr_t stack_low = 0x7F0000000000;
constexpr StackBounds some_stack{stack_low, 4096};

}  // namespace

TEST(SignalTranslation, SignalCodesHaveTheirNames) {
    const SignalCase cases[] = {
        {SIGSEGV, SEGV_MAPERR, false, "ACCESS_VIOLATION"},
        {SIGSEGV, SEGV_ACCERR, false, "ACCESS_VIOLATION"},
        {SIGSEGV, SEGV_PKUERR, false, "ACCESS_VIOLATION"},
        {SIGSEGV, SI_KERNEL, false, "ACCESS_VIOLATION"},
        {SIGSEGV, SEGV_MAPERR, true, "STACK_OVERFLOW"},
        {SIGSEGV, SEGV_ACCERR, true, "STACK_OVERFLOW"},
        {SIGSEGV, SEGV_BNDERR, false, "ARRAY_BOUNDS_EXCEEDED"},
        {SIGBUS, BUS_ADRALN, false, "DATATYPE_MISALIGNMENT"},
        {SIGBUS, BUS_ADRERR, false, "IN_PAGE_ERROR"},
        {SIGBUS, BUS_OBJERR, false, "IN_PAGE_ERROR"},
        {SIGBUS, BUS_MCEERR_AR, false, "IN_PAGE_ERROR"},
        {SIGBUS, BUS_MCEERR_AO, false, "IN_PAGE_ERROR"},
        {SIGILL, ILL_ILLOPC, false, "ILLEGAL_INSTRUCTION"},
        {SIGILL, ILL_ILLOPN, false, "ILLEGAL_INSTRUCTION"},
        {SIGILL, ILL_ILLADR, false, "ILLEGAL_INSTRUCTION"},
        {SIGILL, ILL_ILLTRP, false, "ILLEGAL_INSTRUCTION"},
        {SIGILL, ILL_COPROC, false, "ILLEGAL_INSTRUCTION"},
        {SIGILL, ILL_BADSTK, false, "ILLEGAL_INSTRUCTION"},
        {SIGILL, ILL_PRVOPC, false, "PRIV_INSTRUCTION"},
        {SIGILL, ILL_PRVREG, false, "PRIV_INSTRUCTION"},
        {SIGFPE, FPE_INTDIV, false, "INT_DIVIDE_BY_ZERO"},
        {SIGFPE, FPE_INTOVF, false, "INT_OVERFLOW"},
        {SIGFPE, FPE_FLTDIV, false, "FLT_DIVIDE_BY_ZERO"},
        {SIGFPE, FPE_FLTOVF, false, "FLT_OVERFLOW"},
        {SIGFPE, FPE_FLTUND, false, "FLT_UNDERFLOW"},
        {SIGFPE, FPE_FLTRES, false, "FLT_INEXACT_RESULT"},
        {SIGFPE, FPE_FLTINV, false, "FLT_INVALID_OPERATION"},
        {SIGFPE, FPE_FLTSUB, false, "ARRAY_BOUNDS_EXCEEDED"},
        // The overflow flag counts for memory faults only.
        {SIGFPE, FPE_INTDIV, true, "INT_DIVIDE_BY_ZERO"},
        {SIGSEGV, SEGV_BNDERR, true, "ARRAY_BOUNDS_EXCEEDED"},
        // Signals sent by a process are no processor faults.
        {SIGSEGV, SI_USER, false, "(unknown)"},
        {SIGSEGV, SI_TKILL, false, "(unknown)"},
        {SIGFPE, SI_QUEUE, false, "(unknown)"},
        {SIGBUS, SI_USER, true, "(unknown)"},
        // Codes this table does not know, and signals that carry no fault.
        {SIGSEGV, 99, false, "(unknown)"},
        {SIGFPE, 99, false, "(unknown)"},
        {SIGILL, 99, false, "(unknown)"},
        {SIGBUS, 99, false, "(unknown)"},
        {SIGTRAP, 1, false, "(unknown)"},
        {SIGABRT, 1, false, "(unknown)"},
    };
    for (const SignalCase& c : cases)
        EXPECT_EQ(name_of(winfault::fault_code_of(c.signal, c.code, c.stack_overflow)), c.name)
            << "signal " << c.signal << " code " << c.code << (c.stack_overflow ? " at the stack's end" : "");
}

TEST(SignalTranslation, FaultSignalsAreTheFourProcessorFaults) {
    const auto signals = winfault::fault_signals();
    EXPECT_EQ(std::vector<int>(signals.begin(), signals.end()), (std::vector<int>{SIGSEGV, SIGBUS, SIGILL, SIGFPE}));
}

#if defined(__x86_64__)
TEST(SignalTranslation, RecordTakesInstructionAccessAndAddressFromTheHandlerArguments) {
    ucontext_t context{};
    context.uc_mcontext.gregs[REG_RIP] = 0x401234;
    context.uc_mcontext.gregs[REG_TRAPNO] = 14;  // page fault
    context.uc_mcontext.gregs[REG_ERR] = 0x6;    // user-mode write
    const siginfo_t write = signal_info(SIGSEGV, SEGV_ACCERR, 0x7000);
    auto record = winfault::fault_record(write, &context, some_stack);
    EXPECT_EQ(record.code, winfault::fault_code::access_violation);
    EXPECT_EQ(record.address, 0x401234u);
    ASSERT_EQ(record.parameter_count, 2u);
    EXPECT_EQ(record.parameters[0], 1u);
    EXPECT_EQ(record.parameters[1], 0x7000u);

    context.uc_mcontext.gregs[REG_ERR] = 0x4;  // user-mode read
    record = winfault::fault_record(write, &context, some_stack);
    EXPECT_EQ(record.parameters[0], 0u);

    // A general protection fault pushes an error code of its own.
    context.uc_mcontext.gregs[REG_TRAPNO] = 13;
    context.uc_mcontext.gregs[REG_ERR] = 0x2;
    record = winfault::fault_record(signal_info(SIGSEGV, SI_KERNEL, 0), &context, some_stack);
    EXPECT_EQ(record.code, winfault::fault_code::access_violation);
    EXPECT_EQ(record.parameters[0], 0u);
}
#endif

TEST(SignalTranslation, RecordOfStackOverflowDivisionAndSentSignal) {
    auto record = winfault::fault_record(signal_info(SIGSEGV, SEGV_MAPERR, stack_low - 8), nullptr, some_stack);
    EXPECT_EQ(record.code, winfault::fault_code::stack_overflow);

    record = winfault::fault_record(signal_info(SIGSEGV, SEGV_MAPERR, stack_low - 8), nullptr, StackBounds{});
    EXPECT_EQ(record.code, winfault::fault_code::access_violation) << "stack bounds unknown";

    record = winfault::fault_record(signal_info(SIGFPE, FPE_INTDIV, 0x401000), nullptr, some_stack);
    EXPECT_EQ(record.code, winfault::fault_code::int_divide_by_zero);
    EXPECT_EQ(record.address, 0x401000u) << "without a context the signal's address is the instruction";
    EXPECT_EQ(record.parameter_count, 0u);

    record = winfault::fault_record(signal_info(SIGSEGV, SI_TKILL, 0), nullptr, some_stack);
    EXPECT_EQ(record.code, winfault::fault_code::none);
    EXPECT_EQ(record.parameter_count, 0u);
}

TEST(ThreadStack, OverflowIsAFaultJustBelowTheStack) {
    constexpr std::uintptr_t mib = 1 << 20;
    const struct {
        StackBounds stack;
        std::uintptr_t address;
        bool overflow;
    } cases[] = {
        {some_stack, stack_low - 1, true},
        {some_stack, stack_low - mib, true},
        {some_stack, stack_low - mib - 1, false},
        {some_stack, stack_low + 4095, true},
        {some_stack, stack_low + 4096, false},
        {some_stack, 0, false},
        {StackBounds{stack_low, 4 * mib}, stack_low - 4 * mib, true},
        {StackBounds{stack_low, 4 * mib}, stack_low - 4 * mib - 1, false},
        {StackBounds{0x1000, 4096}, 0, true},
        {StackBounds{}, stack_low - 1, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(winfault::is_stack_overflow(c.stack, c.address), c.overflow) << std::hex << c.address;
}

TEST(ThreadStack, BoundsOfTheMainAndAnotherThread) {
    const auto check = [] {
        const StackBounds stack = winfault::current_thread_stack();
        volatile char here = 0;
        const auto address = reinterpret_cast<std::uintptr_t>(&here);
        EXPECT_NE(stack.low, 0u);
        EXPECT_GT(address, stack.low);
        EXPECT_FALSE(winfault::is_stack_overflow(stack, address));
    };
    check();
    std::thread(check).join();
}
