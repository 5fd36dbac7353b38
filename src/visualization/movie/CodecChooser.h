#pragma once
// Where the user picks the codec of a new movie: the window layer shows a
// dialog, tests answer in code.
#include <cstddef>
#include <optional>
#include <vector>

#include "visualization/movie/VideoCodecs.h"

namespace movie {

class CodecChooser {
public:
    virtual ~CodecChooser() = default;

    // Offers `codecs` (never empty; uncompressed first) with entry
    // `preselected` selected at the start. Returns the index of the entry
    // the user took, or nothing when the user cancels.
    virtual std::optional<std::size_t> choose_codec(const std::vector<VideoCodec>& codecs, std::size_t preselected) = 0;
};

}  // namespace movie
