#include "visualization/movie/WaveFile.h"

#include <string_view>

#include "utils/LittleEndian.h"

namespace movie {

namespace {

bool has_name(std::span<const std::uint8_t> bytes, std::size_t at, std::string_view name) {
    return std::string_view(reinterpret_cast<const char*>(bytes.data()) + at, 4) == name;
}

std::uint16_t u16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return little_endian::load<std::uint16_t>(bytes.data() + at);
}

std::uint32_t u32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return little_endian::load<std::uint32_t>(bytes.data() + at);
}

PcmFormat format_of(std::span<const std::uint8_t> chunk) {
    PcmFormat format;
    format.format_tag = u16(chunk, 0);
    format.channels = u16(chunk, 2);
    format.sample_rate = u32(chunk, 4);
    format.bytes_per_second = u32(chunk, 8);
    format.block_align = u16(chunk, 12);
    format.bits_per_sample = u16(chunk, 14);
    format.extra_size = chunk.size() >= 18 ? u16(chunk, 16) : 0;
    return format;
}

}  // namespace

std::optional<WaveData> read_wave(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 12 || !has_name(bytes, 0, "RIFF") || !has_name(bytes, 8, "WAVE")) return std::nullopt;
    const std::uint64_t riff_end = 8 + static_cast<std::uint64_t>(u32(bytes, 4));
    if (riff_end < 12 || riff_end > bytes.size()) return std::nullopt;
    const auto file = bytes.first(static_cast<std::size_t>(riff_end));

    std::optional<PcmFormat> format;
    std::optional<std::span<const std::uint8_t>> samples;
    std::size_t at = 12;
    while (file.size() - at >= 8) {
        const std::uint32_t size = u32(file, at + 4);
        if (size > file.size() - at - 8) return std::nullopt;
        const auto content = file.subspan(at + 8, size);
        if (has_name(file, at, "fmt ") && !format) {
            if (size < 16) return std::nullopt;
            format = format_of(content);
        } else if (has_name(file, at, "data") && !samples) {
            samples = content;
        }
        // The pad byte after an odd chunk may be missing at the very end.
        at += 8 + static_cast<std::size_t>(size);
        if (size % 2 != 0 && at < file.size()) ++at;
    }
    if (!format || !samples) return std::nullopt;
    return WaveData{*format, *samples};
}

}  // namespace movie
