#pragma once
// From processor-fault signals to the reporter's exception codes.
//
// A fault arrives as a signal with a code that tells its kind (si_code):
//   SIGSEGV  access violation, or a stack overflow when the stack ran off
//            its end; a bounds-check fault is an array-bounds fault
//   SIGBUS   a misaligned access, or a page that cannot be brought in (a
//            mapped file cut short, a hardware memory error)
//   SIGILL   an illegal or a privileged instruction
//   SIGFPE   integer and floating-point arithmetic faults
// A fault signal that a process sent (kill, raise) is no processor fault and
// has no code, nor has a signal code this table does not know.
#include <cstdint>
#include <span>

#include <csignal>

#include "winfault/FaultRecord.h"
#include "winfault/ThreadStack.h"

namespace winfault {

// The signals that carry processor faults.
std::span<const int> fault_signals();

// The exception code of `signal` with `signal_code`, or fault_code::none.
// `stack_overflow` tells that a memory fault lies at the end of the stack.
std::uint32_t fault_code_of(int signal, int signal_code, bool stack_overflow);

// The record of a fault as a signal handler received it: its code, the
// instruction that faulted and, for memory faults, the kind of access and
// the address accessed. `context` is the handler's machine context. Whether
// an access was a write is read from the context on x86-64 only; elsewhere
// every access counts as a read.
FaultRecord fault_record(const siginfo_t& info, const void* context, const StackBounds& stack);

}  // namespace winfault
