#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "MovieFixtures.h"
#include "MovieProbe.h"
#include "support/TempDir.h"
#include "visualization/movie/AviWriter.h"

using namespace movie_testing;
using testing_support::TempDir;

namespace {

constexpr Rgb red{220, 30, 30};
constexpr Rgb blue{30, 30, 220};

std::vector<std::string> encoders_of(const std::vector<movie::VideoCodec>& codecs) {
    std::vector<std::string> names;
    for (const movie::VideoCodec& codec : codecs) names.push_back(codec.encoder);
    return names;
}

bool offered(const std::vector<movie::VideoCodec>& codecs, const std::string& encoder) {
    const auto names = encoders_of(codecs);
    return std::find(names.begin(), names.end(), encoder) != names.end();
}

// The codec name readers report for the codec of an encoder.
std::string codec_name(const std::string& encoder) {
    if (encoder == movie::uncompressed_encoder) return "rawvideo";
    const AVCodec* codec = avcodec_find_encoder_by_name(encoder.c_str());
    return codec != nullptr ? avcodec_get_name(codec->id) : "?";
}

bool near(const std::uint8_t* pixel, Rgb colour, int tolerance) {
    for (int k = 0; k < 3; ++k)
        if (std::abs(pixel[k] - colour[k]) > tolerance) return false;
    return true;
}

std::string rgb_text(const std::uint8_t* pixel) {
    return std::to_string(pixel[0]) + "," + std::to_string(pixel[1]) + "," + std::to_string(pixel[2]);
}

// Records `frames` frames of the two-colour picture with the codec of
// `encoder` into `path`.
void record(const std::string& path, const std::string& encoder, int width, int height, int frames) {
    movie::AviWriterPtr writer = movie::avi_open(path);
    ASSERT_NE(writer, nullptr);
    const movie::DibImage image = two_colour_frame(width, height, red, blue);
    ScriptedChooser chooser = choosing(encoder);
    ASSERT_EQ(movie::avi_set_video_compression(chooser, nullptr, writer.get(), image), movie::AVIERR_OK);
    for (int k = 0; k < frames; ++k) ASSERT_EQ(movie::avi_add_frame(writer.get(), image), movie::AVIERR_OK) << k;
    ASSERT_EQ(movie::avi_close(std::move(writer)), movie::AVIERR_OK);
}

}  // namespace

TEST(VideoCodecs, UncompressedFirstThenTheCompressedCodecsOfThisMachine) {
    const std::vector<movie::VideoCodec> codecs = movie::avi_video_codecs(400, 300);
    ASSERT_FALSE(codecs.empty());
    EXPECT_EQ(codecs[0].handler, "DIB ");
    EXPECT_EQ(codecs[0].encoder, "rawvideo");
    EXPECT_EQ(codecs[0].description, "Uncompressed");
    for (const char* encoder : {"mjpeg", "mpeg4", "ffv1"}) EXPECT_TRUE(offered(codecs, encoder)) << encoder;
    EXPECT_EQ(offered(codecs, "libx264"), avcodec_find_encoder_by_name("libx264") != nullptr);
    for (const movie::VideoCodec& codec : codecs) {
        EXPECT_EQ(codec.handler.size(), 4u) << codec.encoder;
        EXPECT_FALSE(codec.description.empty()) << codec.encoder;
    }
    const auto handler_of = [&](const std::string& encoder) {
        for (const movie::VideoCodec& codec : codecs)
            if (codec.encoder == encoder) return codec.handler;
        return std::string();
    };
    EXPECT_EQ(handler_of("mjpeg"), "MJPG");
    EXPECT_EQ(handler_of("ffv1"), "FFV1");
}

TEST(VideoCodecs, OddSizesAreOfferedOnlyWhatTakesThem) {
    // 4:2:0 codecs cannot hold an odd number of rows or columns.
    const std::vector<movie::VideoCodec> codecs = movie::avi_video_codecs(401, 301);
    EXPECT_EQ(codecs.front().encoder, "rawvideo");
    EXPECT_TRUE(offered(codecs, "ffv1"));
    EXPECT_FALSE(offered(codecs, "libx264"));
    EXPECT_EQ(encoders_of(movie::avi_video_codecs(0, 300)), std::vector<std::string>{"rawvideo"});
}

TEST(VideoCodecs, TheDialogStartsFromTheOptions) {
    TempDir dir;
    const movie::DibImage image = two_colour_frame(64, 48, red, blue);
    const auto selection = [&](const movie::CompressionOptions* options) {
        movie::AviWriterPtr writer = movie::avi_open(dir.file("movie.avi"));
        ScriptedChooser chooser = cancelling();
        movie::avi_set_video_compression(chooser, options, writer.get(), image);
        EXPECT_EQ(chooser.calls, 1);
        return chooser.offered.at(chooser.offered_selection).encoder;
    };
    const movie::CompressionOptions uncompressed;  // handler "DIB "
    const movie::CompressionOptions motion_jpeg{"MJPG", ""};
    const movie::CompressionOptions lossless{"", "ffv1"};
    const movie::CompressionOptions unknown{"XXXX", ""};
    EXPECT_EQ(selection(nullptr), "rawvideo");
    EXPECT_EQ(selection(&uncompressed), "rawvideo");
    EXPECT_EQ(selection(&motion_jpeg), "mjpeg");
    EXPECT_EQ(selection(&lossless), "ffv1");
    EXPECT_EQ(selection(&unknown), "rawvideo");
}

// Every codec offered writes a movie that readers take: its codec, size,
// 5 frames a second, every frame, every frame a key frame, and the picture
// the right way up.
class EveryCodec : public testing::TestWithParam<std::string> {};

TEST_P(EveryCodec, SevenFramesOf400By300) {
    const std::string encoder = GetParam();
    if (!offered(movie::avi_video_codecs(400, 300), encoder)) GTEST_SKIP() << encoder << " is not on this machine";
    TempDir dir;
    const std::string path = dir.file("movie.avi");
    record(path, encoder, 400, 300, 7);

    const auto video = probe_video(path);
    EXPECT_EQ(video.count("error"), 0u) << video.at("error");
    EXPECT_EQ(video.at("codec_name"), codec_name(encoder));
    EXPECT_EQ(video.at("width"), "400");
    EXPECT_EQ(video.at("height"), "300");
    EXPECT_EQ(video.at("r_frame_rate"), "5/1");
    EXPECT_EQ(video.at("avg_frame_rate"), "5/1");
    EXPECT_EQ(video.at("nb_read_frames"), "7");
    const std::vector<std::string> flags = video_packet_flags(path);
    EXPECT_EQ(flags.size(), 7u);
    for (const std::string& flag : flags) EXPECT_EQ(flag.substr(0, 1), "K");

    const std::vector<std::uint8_t> picture = decoded_frame_rgb(path);
    ASSERT_EQ(picture.size(), 400u * 300 * 3);
    const int tolerance = encoder == "rawvideo" || encoder == "ffv1" ? 0 : 24;
    const std::uint8_t* top_left = picture.data();
    const std::uint8_t* bottom_left = picture.data() + 299u * 400 * 3;
    EXPECT_TRUE(near(top_left, red, tolerance)) << rgb_text(top_left);
    EXPECT_TRUE(near(bottom_left, blue, tolerance)) << rgb_text(bottom_left);
}

INSTANTIATE_TEST_SUITE_P(Movie, EveryCodec, testing::Values("rawvideo", "mjpeg", "mpeg4", "ffv1", "libx264"),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

TEST(VideoCodecs, EveryOfferedCodecIsTested) {
    const std::vector<std::string> tested{"rawvideo", "mjpeg", "mpeg4", "ffv1", "libx264"};
    for (const std::string& encoder : encoders_of(movie::avi_video_codecs(400, 300)))
        EXPECT_NE(std::find(tested.begin(), tested.end(), encoder), tested.end()) << encoder;
}

TEST(VideoCodecs, UncompressedRowsOfAnyWidthKeepTheirPadding) {
    // 401 pixels of 3 bytes make rows of 1203 bytes, padded to 1204.
    TempDir dir;
    const std::string path = dir.file("odd.avi");
    record(path, "rawvideo", 401, 301, 2);
    const auto video = probe_video(path);
    EXPECT_EQ(video.at("width"), "401");
    EXPECT_EQ(video.at("height"), "301");
    EXPECT_EQ(video.at("nb_read_frames"), "2");
    const std::vector<std::uint8_t> picture = decoded_frame_rgb(path);
    ASSERT_EQ(picture.size(), 401u * 301 * 3);
    for (const std::size_t pixel : {0u, 400u, 401u * 149 + 200})
        EXPECT_TRUE(near(&picture[3 * pixel], red, 0)) << pixel;
    for (const std::size_t pixel : {401u * 150, 401u * 301 - 1})
        EXPECT_TRUE(near(&picture[3 * pixel], blue, 0)) << pixel;
}
