#pragma once
// The trajectory frames a document shows. The file is opened at the first
// count that finds it. While the document's own calculation writes it, the
// frames follow the engine's trajectory generation: until the calculation
// has opened its file no frame is counted (the file on disk is still the
// previous run's), and each time the generation changes the file is opened
// anew, so a truncated or restarted file is never read with an old view of it.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "dynamics/output/TrajectoryReader.h"
#include "visualization/FrameSource.h"

class DocumentFrames : public FrameSource {
public:
    DocumentFrames(std::string path, std::size_t instances);

    // From now on the frames are those of the calculation whose engine
    // counts its trajectory files in `generation` (it must outlive this
    // object or a later call of follow).
    void follow(const std::atomic<std::uint64_t>& generation);

    std::uint64_t frame_count() override;
    bool read(std::uint64_t index, trajectory::Frame& frame) override;

    // Raised each time the frames start over (a calculation's new file):
    // a view that sees it change goes back to the first frame.
    std::uint64_t restarts() const { return restarts_; }

    const std::string& path() const { return path_; }

private:
    // Drops the reader when the engine has opened a new file since.
    void sync();
    bool open();

    std::string path_;
    std::size_t instances_;
    const std::atomic<std::uint64_t>* generation_ = nullptr;
    std::optional<std::uint64_t> seen_generation_;  // the generation the open reader belongs to
    bool awaiting_file_ = false;                    // the calculation followed has not opened its file yet
    std::uint64_t restarts_ = 0;
    std::optional<trajectory::Reader> reader_;
};
