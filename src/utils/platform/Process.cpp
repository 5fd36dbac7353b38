#include "utils/platform/Process.h"

#include <cerrno>
#include <cstdlib>
#include <thread>

#include <sched.h>
#include <unistd.h>

namespace platform {

bool stdout_is_terminal() { return ::isatty(STDOUT_FILENO) != 0; }

int register_exit_function(void (*function)()) { return std::atexit(function); }

bool lower_priority(int increment) {
    // nice() may legitimately return -1, so success is told by errno.
    errno = 0;
    const int result = ::nice(increment);
    return !(result == -1 && errno != 0);
}

unsigned long process_id() { return static_cast<unsigned long>(::getpid()); }

unsigned usable_processors() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
        return static_cast<unsigned>(CPU_COUNT(&set));
    const unsigned hardware = std::thread::hardware_concurrency();
    return hardware > 0 ? hardware : 1;
}

}  // namespace platform
