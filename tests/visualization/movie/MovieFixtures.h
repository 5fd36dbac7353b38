#pragma once
// Frames, codec answers and wave files for the movie writer's tests.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "visualization/movie/CodecChooser.h"
#include "visualization/movie/DibImage.h"
#include "visualization/movie/PcmFormat.h"

namespace movie_testing {

using Rgb = std::array<std::uint8_t, 3>;  // red, green, blue

// A frame whose upper half has the colour `top` and lower half `bottom`,
// stored as the off-screen target stores it (rows bottom-up, BGR).
inline movie::DibImage two_colour_frame(int width, int height, Rgb top, Rgb bottom) {
    movie::DibImage image = movie::make_dib_image(width, height);
    for (int y = 0; y < height; ++y) {  // y counts from the top of the picture
        const Rgb& colour = y < height / 2 ? top : bottom;
        std::uint8_t* row = image.pixels.data() + static_cast<std::size_t>(image.stride) * (height - 1 - y);
        for (int x = 0; x < width; ++x) {
            row[3 * x + 0] = colour[2];
            row[3 * x + 1] = colour[1];
            row[3 * x + 2] = colour[0];
        }
    }
    return image;
}

// The codec dialog answered in code; remembers what it was offered.
class ScriptedChooser : public movie::CodecChooser {
public:
    using Answer = std::function<std::optional<std::size_t>(const std::vector<movie::VideoCodec>&, std::size_t)>;
    explicit ScriptedChooser(Answer answer) : answer_(std::move(answer)) {}

    std::optional<std::size_t> choose_codec(const std::vector<movie::VideoCodec>& codecs,
                                            std::size_t preselected) override {
        ++calls;
        offered = codecs;
        offered_selection = preselected;
        return answer_(codecs, preselected);
    }

    int calls = 0;
    std::vector<movie::VideoCodec> offered;
    std::size_t offered_selection = 0;

private:
    Answer answer_;
};

// Takes the codec of the encoder `name` (nothing when it is not offered).
inline ScriptedChooser choosing(const std::string& name) {
    return ScriptedChooser([name](const std::vector<movie::VideoCodec>& codecs, std::size_t) {
        for (std::size_t k = 0; k < codecs.size(); ++k)
            if (codecs[k].encoder == name) return std::optional<std::size_t>(k);
        return std::optional<std::size_t>();
    });
}

// OK on whatever the dialog pre-selected.
inline ScriptedChooser accepting() {
    return ScriptedChooser([](const std::vector<movie::VideoCodec>&, std::size_t preselected) {
        return std::optional<std::size_t>(preselected);
    });
}

inline ScriptedChooser cancelling() {
    return ScriptedChooser(
        [](const std::vector<movie::VideoCodec>&, std::size_t) { return std::optional<std::size_t>(); });
}

inline movie::PcmFormat pcm_format(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits) {
    const auto align = static_cast<std::uint16_t>(channels * (bits / 8));
    return {movie::WAVE_FORMAT_PCM, channels, rate, rate * align, align, bits, 0};
}

inline void put16(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value & 0xff);
    out += static_cast<char>((value >> 8) & 0xff);
}
inline void put32(std::string& out, std::uint32_t value) {
    put16(out, value & 0xffff);
    put16(out, value >> 16);
}

// One chunk: name, size, content and the pad byte of an odd size.
inline std::string riff_chunk(const std::string& name, const std::string& content) {
    std::string chunk = name;
    put32(chunk, static_cast<std::uint32_t>(content.size()));
    chunk += content;
    if (content.size() % 2 != 0) chunk += '\0';
    return chunk;
}

inline std::string format_chunk(const movie::PcmFormat& format) {
    std::string content;
    put16(content, format.format_tag);
    put16(content, format.channels);
    put32(content, format.sample_rate);
    put32(content, format.bytes_per_second);
    put16(content, format.block_align);
    put16(content, format.bits_per_sample);
    return riff_chunk("fmt ", content);
}

// A wave file of the given chunks.
inline std::string wave_file(const std::string& chunks) {
    std::string file = "RIFF";
    put32(file, static_cast<std::uint32_t>(4 + chunks.size()));
    return file + "WAVE" + chunks;
}

// A wave file of `format` holding `samples`.
inline std::string wave_file(const movie::PcmFormat& format, const std::string& samples) {
    return wave_file(format_chunk(format) + riff_chunk("data", samples));
}

// `count` 16-bit samples per channel of a rising sequence, as bytes.
inline std::string rising_samples(std::size_t count, int channels) {
    std::string samples;
    for (std::size_t k = 0; k < count * static_cast<std::size_t>(channels); ++k)
        put16(samples, static_cast<std::uint32_t>((k * 37) & 0xffff));
    return samples;
}

}  // namespace movie_testing
