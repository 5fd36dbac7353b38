#include "winfault/SignalTranslation.h"

#include <array>

#include <ucontext.h>

#include "winfault/FaultCodes.h"

namespace winfault {

namespace {

constexpr std::array<int, 4> signals{SIGSEGV, SIGBUS, SIGILL, SIGFPE};

std::uint32_t segv_code(int signal_code, bool stack_overflow) {
    switch (signal_code) {
        case SEGV_MAPERR:
        case SEGV_ACCERR:
            return stack_overflow ? fault_code::stack_overflow : fault_code::access_violation;
        case SEGV_BNDERR: return fault_code::array_bounds_exceeded;
        case SEGV_PKUERR:  // a page the thread's protection keys deny
        case SI_KERNEL:    // a general protection fault, such as a non-canonical address
            return fault_code::access_violation;
        default: return fault_code::none;
    }
}

std::uint32_t bus_code(int signal_code) {
    switch (signal_code) {
        case BUS_ADRALN: return fault_code::datatype_misalignment;
        case BUS_ADRERR:
        case BUS_OBJERR:
        case BUS_MCEERR_AR:
        case BUS_MCEERR_AO: return fault_code::in_page_error;
        default: return fault_code::none;
    }
}

std::uint32_t ill_code(int signal_code) {
    switch (signal_code) {
        case ILL_ILLOPC:
        case ILL_ILLOPN:
        case ILL_ILLADR:
        case ILL_ILLTRP:
        case ILL_COPROC:
        case ILL_BADSTK: return fault_code::illegal_instruction;
        case ILL_PRVOPC:
        case ILL_PRVREG: return fault_code::priv_instruction;
        default: return fault_code::none;
    }
}

std::uint32_t fpe_code(int signal_code) {
    switch (signal_code) {
        case FPE_INTDIV: return fault_code::int_divide_by_zero;
        case FPE_INTOVF: return fault_code::int_overflow;
        case FPE_FLTDIV: return fault_code::flt_divide_by_zero;
        case FPE_FLTOVF: return fault_code::flt_overflow;
        case FPE_FLTUND: return fault_code::flt_underflow;
        case FPE_FLTRES: return fault_code::flt_inexact_result;
        case FPE_FLTINV: return fault_code::flt_invalid_operation;
        case FPE_FLTSUB: return fault_code::array_bounds_exceeded;
        default: return fault_code::none;
    }
}

std::uintptr_t instruction_address(const siginfo_t& info, const void* context) {
    const auto* machine = static_cast<const ucontext_t*>(context);
#if defined(__x86_64__)
    if (machine != nullptr) return static_cast<std::uintptr_t>(machine->uc_mcontext.gregs[REG_RIP]);
#elif defined(__aarch64__)
    if (machine != nullptr) return static_cast<std::uintptr_t>(machine->uc_mcontext.pc);
#endif
    // Without a context, illegal instructions and arithmetic faults still
    // carry the instruction's address.
    if (info.si_signo == SIGILL || info.si_signo == SIGFPE) return reinterpret_cast<std::uintptr_t>(info.si_addr);
    return 0;
}

bool was_write(const void* context) {
#if defined(__x86_64__)
    // A page fault (trap 14) pushes an error code whose bit 1 marks a write.
    constexpr greg_t page_fault = 14;
    constexpr greg_t write_access = 0x2;
    const auto* machine = static_cast<const ucontext_t*>(context);
    return machine != nullptr && machine->uc_mcontext.gregs[REG_TRAPNO] == page_fault &&
           (machine->uc_mcontext.gregs[REG_ERR] & write_access) != 0;
#else
    (void)context;
    return false;
#endif
}

}  // namespace

std::span<const int> fault_signals() { return signals; }

std::uint32_t fault_code_of(int signal, int signal_code, bool stack_overflow) {
    if (signal_code <= 0) return fault_code::none;  // sent by a process
    switch (signal) {
        case SIGSEGV: return segv_code(signal_code, stack_overflow);
        case SIGBUS: return bus_code(signal_code);
        case SIGILL: return ill_code(signal_code);
        case SIGFPE: return fpe_code(signal_code);
        default: return fault_code::none;
    }
}

FaultRecord fault_record(const siginfo_t& info, const void* context, const StackBounds& stack) {
    const auto accessed = reinterpret_cast<std::uintptr_t>(info.si_addr);
    const bool memory_fault = info.si_code > 0 && (info.si_signo == SIGSEGV || info.si_signo == SIGBUS);
    const bool overflow = memory_fault && info.si_signo == SIGSEGV &&
                          (info.si_code == SEGV_MAPERR || info.si_code == SEGV_ACCERR) &&
                          is_stack_overflow(stack, accessed);

    FaultRecord record;
    record.code = fault_code_of(info.si_signo, info.si_code, overflow);
    record.address = instruction_address(info, context);
    if (memory_fault) {
        record.parameter_count = 2;
        record.parameters = {was_write(context) ? std::uintptr_t{1} : std::uintptr_t{0}, accessed};
    }
    return record;
}

}  // namespace winfault
