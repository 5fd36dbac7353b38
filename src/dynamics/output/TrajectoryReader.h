#pragma once
// Reads the frames of a trajectory file (output/TrajectoryFormat.h). The
// file may still grow while it is read (a calculation appending frames):
// the frame count is taken from the file's length each time it is asked
// for, and a tail shorter than a frame is not a frame yet. The length is
// that of the file the reader opened (by its descriptor), whatever its path
// names later (another working directory, the file replaced); offsets are
// 64-bit throughout.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "dynamics/output/TrajectoryFormat.h"
#include "utils/File.h"

namespace trajectory {

struct Frame {
    std::int64_t step = 0;
    std::vector<InstanceState> instances;
};

class Reader {
public:
    // Opens `path` for frames of `instances` instances; see is_open.
    Reader(std::string path, std::size_t instances);

    bool is_open() const { return file_ != nullptr; }
    // The path as given when the reader was made.
    const std::string& path() const { return path_; }
    std::uint64_t frame_size() const { return frame_size_; }
    // The whole frames the file holds now; 0 when it cannot be measured.
    std::uint64_t frame_count() const;
    // Reads frame `index` (frame f begins at f × frame_size); false, with
    // `frame` unchanged, when the file does not hold that frame whole or
    // cannot be read.
    bool read(std::uint64_t index, Frame& frame);

private:
    std::string path_;
    std::size_t instances_;
    std::uint64_t frame_size_;
    FilePtr file_;
    std::vector<unsigned char> bytes_;  // one frame
};

}  // namespace trajectory
