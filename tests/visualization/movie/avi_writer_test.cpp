#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>

#include "MovieFixtures.h"
#include "MovieProbe.h"
#include "support/TempDir.h"
#include "visualization/movie/AviWriter.h"

using namespace movie;
using namespace movie_testing;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

constexpr Rgb white{255, 255, 255};
constexpr Rgb black{0, 0, 0};

DibImage frame(int width = 40, int height = 30) { return two_colour_frame(width, height, white, black); }

const std::string wave = wave_file(pcm_format(1, 8000, 16), rising_samples(800, 1));

// A writer that failed: its codec choice was cancelled.
AviWriterPtr failed_writer(const std::string& path) {
    AviWriterPtr writer = avi_open(path);
    ScriptedChooser chooser = cancelling();
    EXPECT_EQ(avi_set_video_compression(chooser, nullptr, writer.get(), frame()), AVIERR_USERABORT);
    return writer;
}

// Lowers the largest file this process may write while it lives.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : old_handler_(std::signal(SIGXFSZ, SIG_IGN)) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, old_handler_);
    }

private:
    void (*old_handler_)(int);
    rlimit saved_{};
};

}  // namespace

TEST(AviWriter, NullWriterIsABadHandle) {
    ScriptedChooser chooser = accepting();
    const PcmFormat format = pcm_format(1, 8000, 16);
    const std::string samples = rising_samples(10, 1);
    const std::span<const std::uint8_t> bytes{reinterpret_cast<const std::uint8_t*>(samples.data()), samples.size()};
    EXPECT_EQ(avi_close(nullptr), AVIERR_BADHANDLE);
    EXPECT_EQ(avi_set_video_compression(chooser, nullptr, nullptr, frame()), AVIERR_BADHANDLE);
    EXPECT_EQ(avi_add_frame(nullptr, frame()), AVIERR_BADHANDLE);
    EXPECT_EQ(avi_add_audio(nullptr, &format, bytes), AVIERR_BADHANDLE);
    EXPECT_EQ(avi_add_wav_file(nullptr, wave, AVI_WAV_MEMORY), AVIERR_BADHANDLE);
    EXPECT_EQ(chooser.calls, 0);
}

TEST(AviWriter, ImagesThatAreNotWholeBitmapsAreRefusedAndTheMovieGoesOn) {
    TempDir dir;
    const std::string path = dir.file("movie.avi");
    AviWriterPtr writer = avi_open(path);
    ASSERT_NE(writer, nullptr);
    DibImage short_buffer = frame();
    short_buffer.pixels.pop_back();
    DibImage long_buffer = frame();
    long_buffer.pixels.resize(long_buffer.pixels.size() + 120);
    DibImage unpadded = frame(41, 30);
    unpadded.stride = 123;
    unpadded.pixels.resize(123u * 30);
    ScriptedChooser chooser = accepting();
    for (const DibImage* image : {&short_buffer, &long_buffer, &unpadded}) {
        EXPECT_EQ(avi_set_video_compression(chooser, nullptr, writer.get(), *image), AVIERR_BADPARAM);
        EXPECT_EQ(avi_add_frame(writer.get(), *image), AVIERR_BADPARAM);
    }
    EXPECT_EQ(avi_add_frame(writer.get(), DibImage{}), AVIERR_BADPARAM);
    EXPECT_EQ(chooser.calls, 0);
    EXPECT_FALSE(std::filesystem::exists(path));

    EXPECT_EQ(avi_add_frame(writer.get(), frame()), AVIERR_OK);
    EXPECT_EQ(avi_add_frame(writer.get(), frame(42, 30)), AVIERR_BADPARAM);  // not the movie's size
    EXPECT_EQ(avi_add_frame(writer.get(), frame()), AVIERR_OK);
    EXPECT_EQ(avi_close(std::move(writer)), AVIERR_OK);
    EXPECT_EQ(probe_video(path).at("nb_read_frames"), "2");
}

TEST(AviWriter, EveryCallAfterAFailureIsAnError) {
    TempDir dir;
    AviWriterPtr writer = failed_writer(dir.file("movie.avi"));
    ScriptedChooser chooser = accepting();
    const PcmFormat format = pcm_format(1, 8000, 16);
    const std::string samples = rising_samples(10, 1);
    const std::span<const std::uint8_t> bytes{reinterpret_cast<const std::uint8_t*>(samples.data()), samples.size()};
    EXPECT_EQ(avi_set_video_compression(chooser, nullptr, writer.get(), frame()), AVIERR_ERROR);
    EXPECT_EQ(avi_add_frame(writer.get(), frame()), AVIERR_ERROR);
    EXPECT_EQ(avi_add_audio(writer.get(), &format, bytes), AVIERR_ERROR);
    EXPECT_EQ(avi_add_wav_file(writer.get(), wave, AVI_WAV_MEMORY), AVIERR_ERROR);
    EXPECT_EQ(chooser.calls, 0);
    EXPECT_EQ(avi_close(std::move(writer)), AVIERR_OK);
}

TEST(AviWriter, CancelledCodecChoiceCreatesNoFile) {
    TempDir dir;
    const std::string path = dir.file("movie.avi");
    avi_close(failed_writer(path));
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(AviWriter, CancelledCodecChoiceLeavesAnExistingFileUntouched) {
    TempDir dir;
    const std::string path = dir.file("movie.avi");
    write_file(path, "an earlier movie");
    AviWriterPtr writer = failed_writer(path);
    EXPECT_EQ(read_file(path), "an earlier movie");
    avi_close(std::move(writer));
    EXPECT_EQ(read_file(path), "an earlier movie");
}

TEST(AviWriter, AWriterWithoutCodecOrDataLeavesNoFile) {
    TempDir dir;
    const std::string path = dir.file("movie.avi");
    EXPECT_EQ(avi_close(avi_open(path)), AVIERR_OK);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(AviWriter, TheFileIsCreatedOnceTheCodecIsChosen) {
    TempDir dir;
    const std::string path = dir.file("movie.avi");
    write_file(path, "an earlier movie");
    AviWriterPtr writer = avi_open(path);
    ScriptedChooser chooser = accepting();
    ASSERT_EQ(avi_set_video_compression(chooser, nullptr, writer.get(), frame()), AVIERR_OK);
    EXPECT_EQ(chooser.calls, 1);
    EXPECT_EQ(read_file(path), "");  // replaced, not yet written
    EXPECT_EQ(avi_set_video_compression(chooser, nullptr, writer.get(), frame()), AVIERR_COMPRESSOR);
    EXPECT_EQ(chooser.calls, 1);
    EXPECT_EQ(avi_close(std::move(writer)), AVIERR_OK);
    // A movie without frames is still a file readers take.
    const auto video = probe_fields(path, "v:0", "stream=codec_name,width,height,duration");
    EXPECT_EQ(video.count("error"), 0u);
    EXPECT_EQ(video.at("codec_name"), "rawvideo");
    EXPECT_EQ(video.at("width"), "40");
    EXPECT_EQ(video.at("duration"), "0.000000");
}

TEST(AviWriter, UnwritablePlacesAreTheFileError) {
    TempDir dir;
    write_file(dir.file("plain"), "a file, not a folder");
    std::filesystem::create_directory(dir.file("folder.avi"));
    for (const std::string& path :
         {dir.file("missing/movie.avi"), dir.file("plain/movie.avi"), dir.file("folder.avi"), std::string()}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(avi_open(path), nullptr);
    }
    EXPECT_EQ(avi_error_text(AVIERR_FILEOPEN), "AVIERR_FILEOPEN: disk error while opening file");
}

TEST(AviWriter, ReadOnlyFolderIsTheFileError) {
    if (::geteuid() == 0) GTEST_SKIP() << "the superuser writes into read-only folders";
    TempDir dir;
    const std::filesystem::path folder = dir.path() / "read-only";
    std::filesystem::create_directory(folder);
    std::filesystem::permissions(folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_EQ(avi_open((folder / "movie.avi").string()), nullptr);
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
}

TEST(AviWriter, AFolderThatGoesAwayBeforeTheCodecIsChosenIsTheFileError) {
    TempDir dir;
    const std::filesystem::path folder = dir.path() / "movies";
    std::filesystem::create_directory(folder);
    AviWriterPtr writer = avi_open((folder / "movie.avi").string());
    ASSERT_NE(writer, nullptr);
    std::filesystem::remove(folder);
    ScriptedChooser chooser = accepting();
    EXPECT_EQ(avi_set_video_compression(chooser, nullptr, writer.get(), frame()), AVIERR_FILEOPEN);
    EXPECT_EQ(avi_add_frame(writer.get(), frame()), AVIERR_ERROR);
    EXPECT_EQ(avi_close(std::move(writer)), AVIERR_OK);
}

TEST(AviWriter, AFullDiskFailsTheAppendOnce) {
    AviWriterPtr writer = avi_open("/dev/full");
    ASSERT_NE(writer, nullptr);
    const DibImage image = frame(400, 300);
    EXPECT_EQ(avi_add_frame(writer.get(), image), AVIERR_FILEWRITE);
    EXPECT_EQ(avi_add_frame(writer.get(), image), AVIERR_ERROR);
    EXPECT_EQ(avi_add_frame(writer.get(), image), AVIERR_ERROR);
    EXPECT_EQ(avi_close(std::move(writer)), AVIERR_OK);  // the failure was told when it happened
}

TEST(AviWriter, AFileThatCannotBeFinishedIsReportedByClose) {
    TempDir dir;
    const std::string path = dir.file("movie.avi");
    AviWriterPtr writer = avi_open(path);
    for (int k = 0; k < 3; ++k) ASSERT_EQ(avi_add_frame(writer.get(), frame()), AVIERR_OK);
    // Every frame is on the disk; the index after them no longer fits.
    const FileSizeLimit limit(std::filesystem::file_size(path));
    EXPECT_EQ(avi_close(std::move(writer)), AVIERR_FILEWRITE);
}

TEST(AviWriter, AWriterDroppedWithoutCloseFinishesItsFile) {
    TempDir dir;
    const std::string path = dir.file("movie.avi");
    {
        AviWriterPtr writer = avi_open(path);
        for (int k = 0; k < 4; ++k) ASSERT_EQ(avi_add_frame(writer.get(), frame()), AVIERR_OK);
    }
    EXPECT_EQ(probe_video(path).at("nb_read_frames"), "4");
}

TEST(AviWriter, ACodecThatIsNotOfferedIsNoCompressor) {
    TempDir dir;
    AviWriterPtr writer = avi_open(dir.file("movie.avi"));
    ScriptedChooser chooser([](const std::vector<VideoCodec>& codecs, std::size_t) { return codecs.size(); });
    EXPECT_EQ(avi_set_video_compression(chooser, nullptr, writer.get(), frame()), AVIERR_NOCOMPRESSOR);
    EXPECT_EQ(avi_add_frame(writer.get(), frame()), AVIERR_ERROR);
    avi_close(std::move(writer));
    EXPECT_FALSE(std::filesystem::exists(dir.file("movie.avi")));
}
