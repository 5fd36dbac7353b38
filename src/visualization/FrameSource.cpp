#include "visualization/FrameSource.h"

#include <utility>

TrajectoryFrames::TrajectoryFrames(std::string path, std::size_t instances)
    : path_(std::move(path)), instances_(instances) {}

bool TrajectoryFrames::open() {
    if (!reader_ || !reader_->is_open()) reader_.emplace(path_, instances_);
    return reader_->is_open();
}

std::uint64_t TrajectoryFrames::frame_count() { return open() ? reader_->frame_count() : 0; }

bool TrajectoryFrames::read(std::uint64_t index, trajectory::Frame& frame) {
    return open() && reader_->read(index, frame);
}
