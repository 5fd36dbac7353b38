#include "visualization/movie/PcmFormat.h"

namespace movie {

namespace {

constexpr std::uint32_t max_sample_rate = 1'000'000;  // Hz; far above any audio, and within an int

}  // namespace

bool is_supported_pcm(const PcmFormat& format) {
    if (format.format_tag != WAVE_FORMAT_PCM) return false;
    if (format.channels < 1 || format.channels > 8) return false;
    if (format.sample_rate == 0 || format.sample_rate > max_sample_rate) return false;
    switch (format.bits_per_sample) {
        case 8:
        case 16:
        case 24:
        case 32:
            break;
        default:
            return false;
    }
    const unsigned block = format.channels * (format.bits_per_sample / 8u);
    return format.block_align == block &&
           format.bytes_per_second == static_cast<std::uint64_t>(format.sample_rate) * block;
}

bool same_pcm_layout(const PcmFormat& a, const PcmFormat& b) {
    return a.channels == b.channels && a.sample_rate == b.sample_rate && a.bytes_per_second == b.bytes_per_second &&
           a.block_align == b.block_align && a.bits_per_sample == b.bits_per_sample;
}

}  // namespace movie
