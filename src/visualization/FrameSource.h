#pragma once
// Where a view takes its trajectory frames from.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "dynamics/output/TrajectoryReader.h"

class FrameSource {
public:
    virtual ~FrameSource() = default;
    // Whole frames available now.
    virtual std::uint64_t frame_count() = 0;
    // Frame `index`; false when it cannot be had whole.
    virtual bool read(std::uint64_t index, trajectory::Frame& frame) = 0;
};

// The frames of a trajectory file that may not exist yet or still grow: the
// file is opened at the first count that finds it, and counted anew each
// time.
class TrajectoryFrames : public FrameSource {
public:
    TrajectoryFrames(std::string path, std::size_t instances);

    std::uint64_t frame_count() override;
    bool read(std::uint64_t index, trajectory::Frame& frame) override;

private:
    bool open();

    std::string path_;
    std::size_t instances_;
    std::optional<trajectory::Reader> reader_;
};
