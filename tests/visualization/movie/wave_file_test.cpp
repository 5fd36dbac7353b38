#include <gtest/gtest.h>

#include <string>

#include "MovieFixtures.h"
#include "visualization/movie/WaveFile.h"

using namespace movie_testing;

namespace {

// The samples found point into `bytes`, which must outlive them.
std::optional<movie::WaveData> read(const std::string& bytes) {
    return movie::read_wave({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
}
std::optional<movie::WaveData> read(const std::string&& bytes) = delete;

std::string text(std::span<const std::uint8_t> bytes) { return {bytes.begin(), bytes.end()}; }

}  // namespace

TEST(WaveFile, FormatAndSamplesAreFound) {
    const movie::PcmFormat format = pcm_format(2, 22050, 16);
    const std::string samples = rising_samples(5, 2);
    const std::string file = wave_file(format, samples);
    const auto wave = read(file);
    ASSERT_TRUE(wave);
    EXPECT_EQ(wave->format.format_tag, movie::WAVE_FORMAT_PCM);
    EXPECT_EQ(wave->format.channels, 2);
    EXPECT_EQ(wave->format.sample_rate, 22050u);
    EXPECT_EQ(wave->format.bytes_per_second, 88200u);
    EXPECT_EQ(wave->format.block_align, 4);
    EXPECT_EQ(wave->format.bits_per_sample, 16);
    EXPECT_EQ(text(wave->samples), samples);
}

TEST(WaveFile, OtherChunksAreSkippedWithTheirPadByte) {
    const movie::PcmFormat format = pcm_format(1, 8000, 8);
    const std::string samples = "\x10\x20\x30";  // odd: a pad byte follows
    const std::string file = wave_file(riff_chunk("LIST", "odd") + format_chunk(format) + riff_chunk("data", samples) +
                                       riff_chunk("cue ", "1234"));
    const auto wave = read(file);
    ASSERT_TRUE(wave);
    EXPECT_EQ(wave->format.sample_rate, 8000u);
    EXPECT_EQ(text(wave->samples), samples);
}

TEST(WaveFile, TheFirstOfRepeatedChunksCounts) {
    const std::string chunks = format_chunk(pcm_format(1, 8000, 8)) + format_chunk(pcm_format(2, 44100, 16)) +
                               riff_chunk("data", "ab") + riff_chunk("data", "cdef");
    const std::string file = wave_file(chunks);
    const auto wave = read(file);
    ASSERT_TRUE(wave);
    EXPECT_EQ(wave->format.sample_rate, 8000u);
    EXPECT_EQ(text(wave->samples), "ab");
}

TEST(WaveFile, ExtraFormatBytesAreCounted) {
    std::string content = format_chunk(pcm_format(1, 8000, 16)).substr(8);
    put16(content, 2);  // extra size, then the extra bytes
    content += "xy";
    const std::string file = wave_file(riff_chunk("fmt ", content) + riff_chunk("data", "ab"));
    const auto wave = read(file);
    ASSERT_TRUE(wave);
    EXPECT_EQ(wave->format.extra_size, 2);
    EXPECT_EQ(wave->format.bits_per_sample, 16);
}

TEST(WaveFile, BytesThatAreNoWaveFile) {
    const std::string good = wave_file(pcm_format(1, 8000, 16), "abcd");
    std::string short_format = format_chunk(pcm_format(1, 8000, 16)).substr(8, 14);
    std::string long_riff = good;
    long_riff[4] = static_cast<char>(long_riff[4] + 2);  // the file says it is longer than the bytes
    std::string tiny_riff = good;
    tiny_riff[4] = 2;  // the file says it ends inside its own "WAVE"
    tiny_riff[5] = tiny_riff[6] = tiny_riff[7] = 0;
    std::string long_chunk = good;
    long_chunk[good.size() - 8] = 9;  // the data chunk's size runs past the end
    const struct {
        const char* name;
        std::string bytes;
    } table[] = {
        {"empty", ""},
        {"too short for a header", good.substr(0, 11)},
        {"not RIFF", "RIFX" + good.substr(4)},
        {"not WAVE", good.substr(0, 8) + "AVI " + good.substr(12)},
        {"no format chunk", wave_file(riff_chunk("data", "abcd"))},
        {"no data chunk", wave_file(format_chunk(pcm_format(1, 8000, 16)))},
        {"format chunk shorter than 16 bytes", wave_file(riff_chunk("fmt ", short_format) + riff_chunk("data", "ab"))},
        {"file longer than the bytes", long_riff},
        {"file too short to hold its name", tiny_riff},
        {"chunk longer than the file", long_chunk},
        {"cut in the middle of a chunk", good.substr(0, good.size() - 1)},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.name);
        EXPECT_FALSE(read(row.bytes));
    }
}

TEST(PcmFormat, OnlyConsistentPlainPcmIsSupported) {
    EXPECT_TRUE(movie::is_supported_pcm(pcm_format(1, 8000, 8)));
    EXPECT_TRUE(movie::is_supported_pcm(pcm_format(2, 44100, 16)));
    EXPECT_TRUE(movie::is_supported_pcm(pcm_format(6, 48000, 24)));
    EXPECT_TRUE(movie::is_supported_pcm(pcm_format(8, 96000, 32)));
    const auto changed = [](auto change) {
        movie::PcmFormat format = pcm_format(2, 44100, 16);
        change(format);
        return movie::is_supported_pcm(format);
    };
    EXPECT_FALSE(changed([](movie::PcmFormat& f) { f.format_tag = 3; }));  // floating point
    EXPECT_FALSE(changed([](movie::PcmFormat& f) { f.channels = 0; }));
    EXPECT_FALSE(changed([](movie::PcmFormat& f) { f.sample_rate = 0; }));
    EXPECT_FALSE(changed([](movie::PcmFormat& f) { f.bits_per_sample = 12; }));
    EXPECT_FALSE(changed([](movie::PcmFormat& f) { f.block_align = 2; }));
    EXPECT_FALSE(changed([](movie::PcmFormat& f) { f.bytes_per_second = 44100; }));
    EXPECT_FALSE(movie::is_supported_pcm(pcm_format(9, 8000, 8)));
    EXPECT_FALSE(movie::is_supported_pcm(pcm_format(1, 2'000'000, 16)));
}
