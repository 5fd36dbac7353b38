// Which registry the static calls of `backup` reach on each thread.
#include "utils/backup/backup.h"

namespace {

// The registry of callers outside any engine.
backup::registry& process_registry() {
    static backup::registry registry;
    return registry;
}

// The calling thread's current registry; null for the process's own.
thread_local backup::registry* thread_registry = nullptr;

}  // namespace

backup::registry::~registry() {
    if (thread_registry == this) thread_registry = nullptr;
}

backup::scope::scope(registry& r) : previous_(thread_registry) { thread_registry = &r; }

backup::scope::~scope() { thread_registry = previous_; }

backup::registry& backup::current() { return thread_registry != nullptr ? *thread_registry : process_registry(); }

void backup::make_current(registry& r) { thread_registry = &r; }
