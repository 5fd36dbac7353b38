#include "visualization/document/DocumentFrames.h"

#include <utility>

DocumentFrames::DocumentFrames(std::string path, std::size_t instances)
    : path_(std::move(path)), instances_(instances) {}

void DocumentFrames::follow(const std::atomic<std::uint64_t>& generation) {
    generation_ = &generation;
    // The file there now belongs to the generation seen now: none of its
    // frames is counted until the engine opens its own.
    seen_generation_ = generation.load();
    awaiting_file_ = true;
    reader_.reset();
}

void DocumentFrames::sync() {
    if (generation_ == nullptr) return;
    const std::uint64_t now = generation_->load();
    if (seen_generation_ && now == *seen_generation_) return;
    seen_generation_ = now;
    awaiting_file_ = false;
    reader_.reset();
    ++restarts_;
}

bool DocumentFrames::open() {
    sync();
    if (awaiting_file_) return false;
    if (!reader_ || !reader_->is_open()) reader_.emplace(path_, instances_);
    return reader_->is_open();
}

std::uint64_t DocumentFrames::frame_count() { return open() ? reader_->frame_count() : 0; }

bool DocumentFrames::read(std::uint64_t index, trajectory::Frame& frame) { return open() && reader_->read(index, frame); }
