#pragma once
// RIFF wave files held in memory.
#include <cstdint>
#include <optional>
#include <span>

#include "visualization/movie/PcmFormat.h"

namespace movie {

struct WaveData {
    PcmFormat format;                       // the format chunk as stored
    std::span<const std::uint8_t> samples;  // the data chunk, inside the bytes read
};

// Finds the format and data chunks of a wave file: "RIFF", the size of what
// follows, "WAVE", then chunks (four-character name, little-endian size,
// content padded to an even length) of which the first "fmt " (at least 16
// bytes) and the first "data" count and any other is skipped. Nothing when
// the bytes are no such file, or when the file or a chunk runs past the end
// of the bytes. The format is returned as stored; whether the movie can take
// it is the caller's question.
std::optional<WaveData> read_wave(std::span<const std::uint8_t> bytes);

}  // namespace movie
