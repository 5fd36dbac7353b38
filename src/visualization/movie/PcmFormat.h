#pragma once
// The format of the PCM audio a movie may carry.
#include <cstdint>

namespace movie {

inline constexpr std::uint16_t WAVE_FORMAT_PCM = 1;

// The fields of a wave file's format chunk.
struct PcmFormat {
    std::uint16_t format_tag = 0;        // WAVE_FORMAT_PCM
    std::uint16_t channels = 0;          // 0: no format set
    std::uint32_t sample_rate = 0;       // Hz
    std::uint32_t bytes_per_second = 0;  // sample_rate × block_align
    std::uint16_t block_align = 0;       // bytes of one sample of every channel
    std::uint16_t bits_per_sample = 0;   // 8 (unsigned), 16, 24 or 32 (signed, little-endian)
    std::uint16_t extra_size = 0;        // bytes of format data after these fields
};

// Whether the format is plain PCM the movie can store: 1 to 8 channels of 8,
// 16, 24 or 32 bits at up to 1 MHz, and a block alignment and byte rate that
// agree with them.
bool is_supported_pcm(const PcmFormat& format);

// Whether two formats lay their samples out alike (channels, rate, byte rate,
// block alignment and bits).
bool same_pcm_layout(const PcmFormat& a, const PcmFormat& b);

}  // namespace movie
