#include "dynamics/output/TrajectoryWriters.h"

#include <mutex>
#include <set>
#include <utility>

#include "utils/platform/Paths.h"

namespace trajectory {

namespace {

struct Writers {
    std::mutex mutex;
    std::set<std::string> paths;
};

Writers& writers() {
    static Writers all;
    return all;
}

}  // namespace

std::optional<WriterClaim> WriterClaim::take(const std::string& path) {
    std::string real = platform::resolved_as_far_as_possible(path);
    Writers& all = writers();
    const std::lock_guard lock(all.mutex);
    if (!all.paths.insert(real).second) return std::nullopt;
    return WriterClaim(std::move(real));
}

WriterClaim::WriterClaim(WriterClaim&& other) noexcept : real_path_(std::exchange(other.real_path_, {})) {}

WriterClaim& WriterClaim::operator=(WriterClaim&& other) noexcept {
    if (this != &other) {
        release();
        real_path_ = std::exchange(other.real_path_, {});
    }
    return *this;
}

WriterClaim::~WriterClaim() { release(); }

void WriterClaim::release() {
    if (real_path_.empty()) return;
    Writers& all = writers();
    const std::lock_guard lock(all.mutex);
    all.paths.erase(real_path_);
    real_path_.clear();
}

}  // namespace trajectory
