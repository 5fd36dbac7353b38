#include "dynamics/output/TrajectoryReader.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdio>
#include <limits>
#include <utility>

static_assert(sizeof(off_t) == 8, "trajectories beyond 2 GiB are read whole");

namespace trajectory {

Reader::Reader(std::string path, std::size_t instances)
    : path_(std::move(path)),
      instances_(instances),
      frame_size_(trajectory::frame_size(instances)),
      file_(std::fopen(path_.c_str(), "rb")) {}

std::uint64_t Reader::frame_count() const {
    if (!file_) return 0;
    struct stat status {};
    if (::fstat(::fileno(file_.get()), &status) != 0 || status.st_size < 0) return 0;
    return static_cast<std::uint64_t>(status.st_size) / frame_size_;
}

bool Reader::read(std::uint64_t index, Frame& frame) {
    if (!file_ || index >= frame_count()) return false;
    const std::uint64_t offset = index * frame_size_;
    if (offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) return false;
    bytes_.resize(frame_size_);
    std::clearerr(file_.get());
    if (::fseeko(file_.get(), static_cast<off_t>(offset), SEEK_SET) != 0) return false;
    if (std::fread(bytes_.data(), 1, bytes_.size(), file_.get()) != bytes_.size()) return false;

    frame.step = decode_step(bytes_.data());
    frame.instances.resize(instances_);
    for (std::size_t k = 0; k < instances_; ++k)
        frame.instances[k] = decode_instance(bytes_.data() + step_bytes + instance_bytes * k);
    return true;
}

}  // namespace trajectory
