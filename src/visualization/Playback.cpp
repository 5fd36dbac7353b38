#include "visualization/Playback.h"

#include <algorithm>
#include <limits>
#include <utility>

Playback::Playback(Callbacks callbacks) : callbacks_(std::move(callbacks)) {}

std::int64_t Playback::frames() const {
    const std::uint64_t count = callbacks_.frame_count ? callbacks_.frame_count() : 0;
    return static_cast<std::int64_t>(std::min<std::uint64_t>(count, std::numeric_limits<std::int64_t>::max()));
}

void Playback::set_frame(std::int64_t i) { frame_ = std::clamp<std::int64_t>(i, 0, std::max<std::int64_t>(frames() - 1, 0)); }

void Playback::previous() { set_frame(std::max<std::int64_t>(frame_ - 1, 0)); }

bool Playback::advance() {
    const std::int64_t count = frames();
    if (callbacks_.frames_total) callbacks_.frames_total(static_cast<std::uint64_t>(count));
    if (frame_ >= count - 1) return false;
    ++frame_;
    return true;
}

void Playback::start() {
    if (playing_) return;
    playing_ = true;
    if (callbacks_.timer) callbacks_.timer(true);
}

void Playback::stop() {
    if (!playing_) return;
    playing_ = false;
    if (callbacks_.timer) callbacks_.timer(false);
}

void Playback::first() {
    stop();
    frame_ = 0;
    show_position();
}

void Playback::next() {
    if (!advance()) stop();
    show_position();
}

void Playback::back() {
    previous();
    show_position();
}

void Playback::go_to(std::int64_t number) {
    stop();
    set_frame(number - 1);
    show_position();
}

void Playback::show_position() {
    set_frame(frame_);  // the count may have shrunk (a calculation started anew)
    if (callbacks_.slider) callbacks_.slider(frame_ + 1, std::max<std::int64_t>(frames(), 1));
}
