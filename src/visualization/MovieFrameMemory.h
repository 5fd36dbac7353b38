#pragma once
// Which trajectory frame a view last appended to its movie, so that redrawing
// the same frame (while the camera turns, say) appends nothing. Each view
// keeps its own: two views recording at once do not drop each other's
// frames.
#include <cstdint>
#include <optional>

class MovieFrameMemory {
public:
    // Whether showing `frame` should append it to the movie.
    bool due(std::int64_t frame) const { return !last_ || *last_ != frame; }
    void appended(std::int64_t frame) { last_ = frame; }
    // Not recording: the next recorded draw appends whatever it shows.
    void forget() { last_.reset(); }

private:
    std::optional<std::int64_t> last_;
};
