#pragma once
// Where the calling thread's stack ends, to tell a stack overflow from other
// memory faults.
#include <cstddef>
#include <cstdint>

namespace winfault {

struct StackBounds {
    std::uintptr_t low = 0;  // the lowest usable address of the stack; 0 when unknown
    std::size_t guard = 0;   // the size of the guard area below it
};

// The calling thread's stack; all zero when the platform does not tell.
StackBounds current_thread_stack();

// Whether a fault at `address` is the stack running off its end: the address
// lies in the guard area below the stack (at least a megabyte is counted, as
// one large frame may reach that far below the last usable page) or in the
// stack's lowest page.
bool is_stack_overflow(const StackBounds& stack, std::uintptr_t address);

}  // namespace winfault
