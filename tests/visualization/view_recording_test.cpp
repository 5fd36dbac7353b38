// A view recording its playback as a movie: drawn off-screen through EGL,
// written through the movie writer, read back by ffprobe and ffmpeg. The
// scene is one red cube in a box of ±50 Å at x = -30, 0, 30 Å in frames 0,
// 1, 2; from the reset camera +x is up in the picture, so the cube climbs
// from the lower half of the picture to the upper one.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/TempDir.h"
#include "visualization/movie/MovieFixtures.h"
#include "visualization/movie/MovieProbe.h"
#include "visualization/support/Offscreen.h"
#include "visualization/support/PngFile.h"
#include "visualization/support/Scenes.h"
#include "visualization/visualization.h"

namespace {

using namespace visualization_testing;
using movie_testing::accepting;
using movie_testing::cancelling;
using movie_testing::decoded_frame_rgb;
using movie_testing::probe_video;
using movie_testing::ScriptedChooser;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

// The client: its size rounds down to a movie of 68 × 50 pixels.
constexpr int W = 70;
constexpr int H = 51;
constexpr int movie_width = 68;
constexpr int movie_height = 50;

struct Message {
    std::string caption;
    std::string text;
    bool operator==(const Message&) const = default;
};
void PrintTo(const Message& message, std::ostream* out) { *out << message.caption << ": " << message.text; }

class ViewRecordingTest : public testing::Test {
protected:
    ViewRecordingTest() {
        scene.box = SceneBox{-50, 50, -50, 50, -50, 50};
        scene.species.push_back(SpeciesLook{&cube_species, {}});
        scene.instances = 1;
        write_trajectory(trajectory_path, {{0, {instance_at(0, -30, 0, 0)}},
                                           {10, {instance_at(0, 0, 0, 0)}},
                                           {20, {instance_at(0, 30, 0, 0)}}});
        make_view();
    }

    void make_view() {
        view.emplace(scene, frames, Playback::Callbacks{},
                     [this](const std::string& caption, const std::string& text) {
                         messages.push_back({caption, text});
                     });
    }

    // Draws trajectory frame `frame` at the client size `width` × `height`.
    void draw(std::int64_t frame, int width = W, int height = H) {
        view->playback().set_frame(frame);
        view->draw(width, height, switches);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }

    bool start(ScriptedChooser& chooser, int width = W, int height = H) {
        return view->start_recording(movie_path, chooser, width, height);
    }

    // The frames ffprobe decodes, "0" for a movie without any (which it
    // reads, counting "N/A").
    std::string frames_in_movie() const {
        const auto video = probe_video(movie_path);
        if (video.count("error") != 0) return "ffprobe: " + video.at("error");
        const std::string& count = video.at("nb_read_frames");
        return count == "N/A" ? "0" : count;
    }

    // Frame `index` of the movie as a picture, rows from the top.
    Image movie_frame(int index) const {
        Image image;
        image.width = movie_width;
        image.height = movie_height;
        image.rgb = decoded_frame_rgb(movie_path, index);
        return image;
    }

    Offscreen screen{W, H};
    TempDir dir;
    const std::string trajectory_path = dir.file("trajectory.bin");
    const std::string movie_path = dir.file("movie.avi");
    C3DObjectMovable cube_species = species_of(cube(20), {rgba(1, 0, 0)});
    SceneDescription scene;
    TrajectoryFrames frames{trajectory_path, 1};
    DisplaySwitches switches;
    std::vector<Message> messages;
    std::optional<SceneView> view;
};

const Message resize_message{"AVI recording", "AVI recording stopped on window resize!"};
const Message codec_message{"AVI recording", "Failed to use CODEC specified.\r\n\r\nAVI recording not started!"};

}  // namespace

TEST_F(ViewRecordingTest, EachDistinctTrajectoryFrameShownIsOneMovieFrame) {
    struct Case {
        std::vector<std::int64_t> shown;
        int movie_frames;
    };
    for (const Case& c : {Case{{0, 0, 1, 2, 2}, 3}, Case{{0, 1, 0}, 3}, Case{{2, 2, 2}, 1}, Case{{}, 0}}) {
        SCOPED_TRACE(testing::PrintToString(c.shown));
        ScriptedChooser chooser = accepting();
        ASSERT_TRUE(start(chooser));
        EXPECT_TRUE(view->recording());
        for (const std::int64_t frame : c.shown) draw(frame);
        view->stop_recording();
        EXPECT_FALSE(view->recording());
        EXPECT_EQ(frames_in_movie(), std::to_string(c.movie_frames));
    }
    EXPECT_EQ(messages, std::vector<Message>{});
}

TEST_F(ViewRecordingTest, TheMovieHoldsWhatTheWindowShowsAtTheRoundedSize) {
    ScriptedChooser chooser = accepting();
    ASSERT_TRUE(start(chooser));
    EXPECT_EQ(chooser.calls, 1);
    EXPECT_EQ(chooser.offered.at(chooser.offered_selection).encoder, "rawvideo");
    draw(0);
    draw(2);
    const Image window = screen.read();
    view->stop_recording();
    save_picture(window, "recording_window");

    const auto video = probe_video(movie_path);
    EXPECT_EQ(video.at("codec_name"), "rawvideo");
    EXPECT_EQ(video.at("width"), std::to_string(movie_width));
    EXPECT_EQ(video.at("height"), std::to_string(movie_height));
    EXPECT_EQ(video.at("r_frame_rate"), "5/1");

    const Image first = movie_frame(0);
    const Image last = movie_frame(1);
    ASSERT_EQ(first.rgb.size(), 3u * movie_width * movie_height);
    ASSERT_EQ(last.rgb.size(), first.rgb.size());
    save_picture(first, "recording_frame_0");
    save_picture(last, "recording_frame_2");
    EXPECT_GT(count_hue(first, Hue::red, movie_height / 2, movie_height), 20);
    EXPECT_EQ(count_hue(first, Hue::red, 0, movie_height / 2), 0);
    EXPECT_GT(count_hue(last, Hue::red, 0, movie_height / 2), 20);
    EXPECT_EQ(count_hue(last, Hue::red, movie_height / 2, movie_height), 0);
    // The window shows the movie's picture in its top-left corner, and
    // nothing in the column and row the rounding left over.
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const auto shown = window.at(x, y);
            if (x < movie_width && y < movie_height)
                ASSERT_EQ(shown, last.at(x, y)) << x << ", " << y;
            else
                ASSERT_EQ(hue_of(shown), Hue::black) << x << ", " << y;
        }
}

TEST_F(ViewRecordingTest, ASizeChangeEndsTheRecordingWithAFinishedFile) {
    ScriptedChooser chooser = accepting();
    ASSERT_TRUE(start(chooser));
    draw(0);
    draw(1);
    draw(2, W - 1, H);  // the movie's size would not change, the client's does
    EXPECT_FALSE(view->recording());
    EXPECT_EQ(messages, std::vector<Message>{resize_message});
    EXPECT_EQ(frames_in_movie(), "2");
    // The draw that found the new size went to the window as usual.
    EXPECT_GT(count_hue(screen.read(), Hue::red, 0, H / 2), 20);
    draw(1, W - 1, H);
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(frames_in_movie(), "2");
}

TEST_F(ViewRecordingTest, DestroyingTheViewWhileRecordingFinishesTheFile) {
    ScriptedChooser chooser = accepting();
    ASSERT_TRUE(start(chooser));
    draw(0);
    draw(1);
    view.reset();
    EXPECT_EQ(frames_in_movie(), "2");
    EXPECT_EQ(messages, std::vector<Message>{});
}

TEST_F(ViewRecordingTest, RecordingAgainReplacesTheMovieFromTheFrameShown) {
    ScriptedChooser chooser = accepting();
    ASSERT_TRUE(start(chooser));
    draw(0);
    draw(1);
    view->stop_recording();
    ASSERT_TRUE(start(chooser));
    draw(1);  // the frame appended last to the earlier movie
    view->stop_recording();
    EXPECT_EQ(frames_in_movie(), "1");
}

TEST_F(ViewRecordingTest, AFullDiskStopsTheRecordingAtTheFirstAppendAndSaysSoOnce) {
    ScriptedChooser chooser = accepting();
    ASSERT_TRUE(view->start_recording("/dev/full", chooser, W, H));
    draw(0);
    EXPECT_FALSE(view->recording());
    draw(1);
    draw(2);
    view->stop_recording();
    EXPECT_EQ(messages, (std::vector<Message>{{"AVI recording", "AVIERR_FILEWRITE: disk error while writing file"}}));
    // Drawing went on in the window.
    EXPECT_GT(count_hue(screen.read(), Hue::red, 0, H / 2), 20);
}

TEST_F(ViewRecordingTest, ACancelledCodecChoiceStartsNothingAndCreatesNoFile) {
    for (const bool earlier_movie : {false, true}) {
        SCOPED_TRACE(earlier_movie ? "an earlier movie of that name" : "no file of that name");
        messages.clear();
        std::filesystem::remove(movie_path);
        if (earlier_movie) write_file(movie_path, "an earlier movie");
        ScriptedChooser chooser = cancelling();
        EXPECT_FALSE(start(chooser));
        EXPECT_FALSE(view->recording());
        EXPECT_EQ(chooser.calls, 1);
        EXPECT_EQ(messages, std::vector<Message>{codec_message});
        draw(0);
        if (earlier_movie)
            EXPECT_EQ(read_file(movie_path), "an earlier movie");
        else
            EXPECT_FALSE(std::filesystem::exists(movie_path));
    }
}

TEST_F(ViewRecordingTest, AFileThatCannotBeWrittenIsTheFileErrorBeforeAnyCodecChoice) {
    write_file(dir.file("plain"), "a file, not a folder");
    for (const std::string& path : {dir.file("missing/movie.avi"), dir.file("plain/movie.avi"), dir.path().string()}) {
        SCOPED_TRACE(path);
        messages.clear();
        ScriptedChooser chooser = accepting();
        EXPECT_FALSE(view->start_recording(path, chooser, W, H));
        EXPECT_FALSE(view->recording());
        EXPECT_EQ(chooser.calls, 0);
        EXPECT_EQ(messages, (std::vector<Message>{{"AVI recording",
                                                   "AVIERR_FILEOPEN: disk error while opening file\r\n\r\n"
                                                   "AVI recording not started!"}}));
    }
}

TEST_F(ViewRecordingTest, AMovieTargetTheContextCannotMakeEndsTheRecordingAndTheWindowStillDraws) {
    GLint largest = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &largest);
    ASSERT_GT(largest, 0);
    const int too_wide = largest / 4 * 4 + 4;
    ScriptedChooser chooser = accepting();
    ASSERT_TRUE(start(chooser, too_wide, 2));
    view->playback().set_frame(0);
    view->draw(too_wide, 2, switches);
    while (glGetError() != GL_NO_ERROR) {
    }
    EXPECT_FALSE(view->recording());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "AVI recording");
    EXPECT_NE(messages[0].text.find("framebuffer"), std::string::npos) << messages[0].text;
    EXPECT_EQ(frames_in_movie(), "0");
}
