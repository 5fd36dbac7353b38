#pragma once
// Process-wide globals shared by the engine program's entry and the engine.
#include <atomic>
#include <cstdint>

// MPI rank of this process; 0 when MPI is off or the process works alone in
// its rank folder.
extern std::int32_t processorID;
// Number of processes that share the experiments; 1 when MPI is off or the
// process works alone.
extern std::int32_t numberOfProcessors;
// MPI was initialised; the exit function then finalises it.
extern bool mpi_initialized;

// Cleared by an interrupt or terminate signal once the model run has begun;
// the step loop then stops at the end of its current step and no further
// experiment starts. Lock-free, so a signal handler may store to it.
extern std::atomic<bool> running_flag;
// Set by the step loop just before the model run: until then the signal
// handler ignores interrupts (preparation and scene set-up).
extern std::atomic<bool> delayed_ctrl_c_processing;
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler stores to these flags");

// The terminate handler installed by the preparation: logs the exception in
// flight ("Exception: %s" for a standard one, "Unknown exception" for
// others) and exits with status 1.
[[noreturn]] void catch_global();
// The handler of the interrupt and terminate signals: ignored until the
// model run begins, then "Exiting...\n" on standard error and running_flag
// cleared.
void signal_callback_handler(int signal);
