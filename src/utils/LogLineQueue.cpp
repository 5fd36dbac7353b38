#include "utils/LogLineQueue.h"

#include <new>
#include <utility>

void LogLineQueue::push(const LogLine& line) noexcept {
    const std::lock_guard lock(mutex_);
    try {
        lines_.push_back(line);
    } catch (const std::bad_alloc&) {
        ++dropped_;
    }
}

std::vector<LogLine> LogLineQueue::take() {
    std::vector<LogLine> taken;
    const std::lock_guard lock(mutex_);
    taken.swap(lines_);
    return taken;
}

std::uint64_t LogLineQueue::dropped() const {
    const std::lock_guard lock(mutex_);
    return dropped_;
}
