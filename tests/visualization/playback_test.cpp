// Playback: the frame index within the count, the frame commands, the timer
// and the slider through their callbacks, and the movie's frame memory.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "visualization/MovieFrameMemory.h"
#include "visualization/Playback.h"

namespace {

// The window's side, recorded.
struct Window {
    std::uint64_t frames = 0;
    std::vector<bool> timer;
    std::vector<std::pair<std::int64_t, std::int64_t>> slider;  // position, maximum
    std::vector<std::uint64_t> totals;

    Playback::Callbacks callbacks() {
        return {[this] { return frames; }, [this](bool on) { timer.push_back(on); },
                [this](std::int64_t position, std::int64_t maximum) { slider.emplace_back(position, maximum); },
                [this](std::uint64_t total) { totals.push_back(total); }};
    }
};

struct SetCase {
    std::uint64_t frames;
    std::int64_t asked;
    std::int64_t frame;
};

class SetFrameTable : public testing::TestWithParam<SetCase> {};

TEST_P(SetFrameTable, ClampsToTheFramesThereAre) {
    Window window;
    window.frames = GetParam().frames;
    Playback playback(window.callbacks());
    playback.set_frame(GetParam().asked);
    EXPECT_EQ(playback.frame(), GetParam().frame);
}

INSTANTIATE_TEST_SUITE_P(Frames, SetFrameTable,
                         testing::Values(SetCase{0, 0, 0}, SetCase{0, 5, 0}, SetCase{0, -3, 0}, SetCase{1, 1, 0},
                                         SetCase{5, -1, 0}, SetCase{5, 3, 3}, SetCase{5, 4, 4}, SetCase{5, 9, 4},
                                         SetCase{5000000000ull, 4999999999ll, 4999999999ll}));

TEST(Playback, NoFramesStaysAtTheFirstAndShowsOneOfOne) {
    Window window;
    Playback playback(window.callbacks());
    playback.back();
    playback.next();
    playback.go_to(7);
    EXPECT_EQ(playback.frame(), 0);
    ASSERT_FALSE(window.slider.empty());
    EXPECT_EQ(window.slider.back(), (std::pair<std::int64_t, std::int64_t>{1, 1}));
}

TEST(Playback, TimerStopsAtTheLastFrameAndALaterStartStopsOnTheNextTick) {
    Window window;
    window.frames = 3;
    Playback playback(window.callbacks());
    playback.start();
    EXPECT_TRUE(playback.playing());
    playback.tick();
    playback.tick();
    EXPECT_EQ(playback.frame(), 2);
    EXPECT_TRUE(playback.playing());
    playback.tick();
    EXPECT_EQ(playback.frame(), 2);
    EXPECT_FALSE(playback.playing());
    playback.start();
    playback.tick();
    EXPECT_EQ(playback.frame(), 2);
    EXPECT_FALSE(playback.playing());
    EXPECT_EQ(window.timer, (std::vector<bool>{true, false, true, false}));
    EXPECT_EQ(window.totals, (std::vector<std::uint64_t>{3, 3, 3, 3}));
    EXPECT_EQ(window.slider.back(), (std::pair<std::int64_t, std::int64_t>{3, 3}));
}

TEST(Playback, FollowsAFileThatGrows) {
    Window window;
    window.frames = 1;
    Playback playback(window.callbacks());
    playback.next();
    EXPECT_EQ(playback.frame(), 0);
    window.frames = 4;
    playback.next();
    EXPECT_EQ(playback.frame(), 1);
    EXPECT_EQ(window.totals.back(), 4u);
}

TEST(Playback, FrameCommandsMoveTheSliderToOneBasedPositions) {
    Window window;
    window.frames = 10;
    Playback playback(window.callbacks());
    playback.start();
    playback.go_to(7);
    EXPECT_FALSE(playback.playing());
    EXPECT_EQ(playback.frame(), 6);
    EXPECT_EQ(window.slider.back(), (std::pair<std::int64_t, std::int64_t>{7, 10}));
    playback.back();
    EXPECT_EQ(window.slider.back(), (std::pair<std::int64_t, std::int64_t>{6, 10}));
    playback.go_to(0);  // entering 0 shows the first frame
    EXPECT_EQ(playback.frame(), 0);
    playback.slider_moved(7);
    EXPECT_EQ(playback.frame(), 6);
    playback.start();
    playback.first();
    EXPECT_FALSE(playback.playing());
    EXPECT_EQ(playback.frame(), 0);
    EXPECT_EQ(window.slider.back(), (std::pair<std::int64_t, std::int64_t>{1, 10}));
}

TEST(Playback, ShrinkingCountPullsTheFrameBack) {
    Window window;
    window.frames = 10;
    Playback playback(window.callbacks());
    playback.set_frame(8);
    window.frames = 2;  // a calculation started anew
    playback.show_position();
    EXPECT_EQ(playback.frame(), 1);
    EXPECT_EQ(window.slider.back(), (std::pair<std::int64_t, std::int64_t>{2, 2}));
}

TEST(MovieFrames, EachViewRemembersItsOwnLastFrame) {
    MovieFrameMemory left, right;
    std::vector<std::int64_t> left_movie, right_movie;
    const auto show = [](MovieFrameMemory& memory, std::vector<std::int64_t>& movie, std::int64_t frame) {
        if (memory.due(frame)) {
            movie.push_back(frame);
            memory.appended(frame);
        }
    };
    // Both views play the same frames in turn, each redrawing some twice.
    for (const std::int64_t frame : {0, 0, 1, 2, 2, 3}) {
        show(left, left_movie, frame);
        show(right, right_movie, frame);
    }
    EXPECT_EQ(left_movie, (std::vector<std::int64_t>{0, 1, 2, 3}));
    EXPECT_EQ(right_movie, left_movie);
    left.forget();
    EXPECT_TRUE(left.due(3));
    EXPECT_FALSE(right.due(3));
}

}  // namespace
