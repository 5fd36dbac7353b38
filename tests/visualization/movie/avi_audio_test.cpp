#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "MovieFixtures.h"
#include "MovieProbe.h"
#include "support/TempDir.h"
#include "visualization/movie/AviWriter.h"

using namespace movie;
using namespace movie_testing;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

std::span<const std::uint8_t> bytes_of(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

DibImage frame() { return two_colour_frame(40, 30, {255, 255, 255}, {0, 0, 0}); }

class AviAudio : public testing::Test {
protected:
    TempDir dir;
    AviWriterPtr writer = avi_open(dir.file("movie.avi"));
    const PcmFormat mono = pcm_format(1, 8000, 16);
    const std::string samples = rising_samples(4000, 1);  // half a second

    std::string movie() const { return dir.file("movie.avi"); }
};

}  // namespace

TEST_F(AviAudio, SamplesBeforeTheFirstFrameGoIntoTheMovie) {
    ASSERT_EQ(avi_add_audio(writer.get(), &mono, bytes_of(samples.substr(0, 3000))), AVIERR_OK);
    ASSERT_EQ(avi_add_audio(writer.get(), nullptr, bytes_of(samples.substr(3000))), AVIERR_OK);  // the movie's format
    for (int k = 0; k < 3; ++k) ASSERT_EQ(avi_add_frame(writer.get(), frame()), AVIERR_OK);
    ASSERT_EQ(avi_close(std::move(writer)), AVIERR_OK);

    const auto audio = probe_fields(movie(), "a:0", "stream=codec_name,sample_rate,channels");
    EXPECT_EQ(audio.at("codec_name"), "pcm_s16le");
    EXPECT_EQ(audio.at("sample_rate"), "8000");
    EXPECT_EQ(audio.at("channels"), "1");
    EXPECT_EQ(decoded_audio(movie(), "s16le"), samples);
    EXPECT_EQ(probe_video(movie()).at("nb_read_frames"), "3");
}

TEST_F(AviAudio, AudioAloneMakesAMovie) {
    const PcmFormat stereo = pcm_format(2, 11025, 8);
    const std::string bytes(2 * 1000, '\x80');
    ASSERT_EQ(avi_add_audio(writer.get(), &stereo, bytes_of(bytes)), AVIERR_OK);
    ASSERT_EQ(avi_close(std::move(writer)), AVIERR_OK);
    const auto audio = probe_fields(movie(), "a:0", "stream=codec_name,sample_rate,channels");
    EXPECT_EQ(audio.at("codec_name"), "pcm_u8");
    EXPECT_EQ(audio.at("channels"), "2");
    EXPECT_EQ(decoded_audio(movie(), "u8"), bytes);
}

TEST_F(AviAudio, AudioAfterTheFirstFrameIsUnsupported) {
    ASSERT_EQ(avi_add_frame(writer.get(), frame()), AVIERR_OK);
    EXPECT_EQ(avi_add_audio(writer.get(), &mono, bytes_of(samples)), AVIERR_UNSUPPORTED);
    EXPECT_EQ(avi_add_wav_file(writer.get(), wave_file(mono, samples), AVI_WAV_MEMORY), AVIERR_UNSUPPORTED);
    EXPECT_EQ(avi_add_frame(writer.get(), frame()), AVIERR_OK);  // the movie goes on
    ASSERT_EQ(avi_close(std::move(writer)), AVIERR_OK);
    EXPECT_EQ(probe_video(movie()).at("nb_read_frames"), "2");
    EXPECT_EQ(probe_fields(movie(), "a", "stream=codec_name").count("codec_name"), 0u);
}

TEST_F(AviAudio, RefusedSamples) {
    PcmFormat floating = mono;
    floating.format_tag = 3;
    const PcmFormat other_rate = pcm_format(1, 44100, 16);
    EXPECT_EQ(avi_add_audio(writer.get(), &mono, {}), AVIERR_BADPARAM);
    EXPECT_EQ(avi_add_audio(writer.get(), nullptr, bytes_of(samples)), AVIERR_BADFORMAT);  // no format yet
    EXPECT_EQ(avi_add_audio(writer.get(), &floating, bytes_of(samples)), AVIERR_BADFORMAT);
    EXPECT_EQ(avi_add_audio(writer.get(), &mono, bytes_of("abc")), AVIERR_BADPARAM);       // a sample and a half
    EXPECT_EQ(avi_add_audio(writer.get(), nullptr, bytes_of(samples)), AVIERR_BADFORMAT);  // still no format
    ASSERT_EQ(avi_add_audio(writer.get(), &mono, bytes_of(samples)), AVIERR_OK);
    EXPECT_EQ(avi_add_audio(writer.get(), &other_rate, bytes_of(samples)), AVIERR_BADFORMAT);
    EXPECT_EQ(avi_add_audio(writer.get(), nullptr, bytes_of(samples)), AVIERR_OK);  // none of that failed the writer
}

TEST_F(AviAudio, WaveFilesByNameAndFromMemory) {
    const std::string first = samples.substr(0, 2000);
    const std::string second = samples.substr(2000);
    write_file(dir.file("first.wav"), wave_file(mono, first));
    ASSERT_EQ(avi_add_wav_file(writer.get(), dir.file("first.wav"), AVI_WAV_FILE_NAME), AVIERR_OK);
    ASSERT_EQ(avi_add_wav_file(writer.get(), wave_file(mono, second), AVI_WAV_MEMORY), AVIERR_OK);
    ASSERT_EQ(avi_add_frame(writer.get(), frame()), AVIERR_OK);
    ASSERT_EQ(avi_close(std::move(writer)), AVIERR_OK);
    EXPECT_EQ(decoded_audio(movie(), "s16le"), samples);
}

TEST_F(AviAudio, RefusedWaveFiles) {
    const std::string good = wave_file(mono, samples);
    EXPECT_EQ(avi_add_wav_file(writer.get(), good, 0), AVIERR_BADFLAGS);
    EXPECT_EQ(avi_add_wav_file(writer.get(), good, AVI_WAV_MEMORY | AVI_WAV_FILE_NAME), AVIERR_BADFLAGS);
    EXPECT_EQ(avi_add_wav_file(writer.get(), dir.file("missing.wav"), AVI_WAV_FILE_NAME), AVIERR_FILEOPEN);
    EXPECT_EQ(avi_add_wav_file(writer.get(), "not a wave file", AVI_WAV_MEMORY), AVIERR_BADFORMAT);
    EXPECT_EQ(avi_add_wav_file(writer.get(), wave_file(pcm_format(1, 8000, 12), samples), AVI_WAV_MEMORY),
              AVIERR_BADFORMAT);
    ASSERT_EQ(avi_add_wav_file(writer.get(), good, AVI_WAV_MEMORY), AVIERR_OK);
    // Every later wave must have the first one's format.
    for (const PcmFormat& other : {pcm_format(2, 8000, 16), pcm_format(1, 11025, 16), pcm_format(1, 8000, 8)}) {
        SCOPED_TRACE(other.channels * 100000 + other.sample_rate * 10 + other.bits_per_sample);
        EXPECT_EQ(avi_add_wav_file(writer.get(), wave_file(other, rising_samples(100, other.channels)), AVI_WAV_MEMORY),
                  AVIERR_BADFORMAT);
    }
    EXPECT_EQ(avi_add_wav_file(writer.get(), good, AVI_WAV_MEMORY), AVIERR_OK);
}
