#pragma once
// Process services of the operating system, behind named functions so that
// engine code does not scatter system calls.

namespace platform {

// Whether standard output is a terminal.
bool stdout_is_terminal();

// Registers `function` to run when the process exits normally. Returns 0, or
// the non-zero result of the registration.
int register_exit_function(void (*function)());

// Lowers the scheduling priority by `increment` niceness steps (as far as the
// system allows). Returns whether the request was accepted.
bool lower_priority(int increment);

// The process id.
unsigned long process_id();

// The processors this process may run on (its affinity mask), at least 1.
unsigned usable_processors();

}  // namespace platform
