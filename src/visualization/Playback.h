#pragma once
// Which trajectory frame a view shows, and its playback on a timer. The frame
// count is asked for anew at every operation, so playback follows a file
// that a calculation is still writing. The window only wires the callbacks:
// the timer (1 ms period), the frames slider (1-based positions) and the
// "Frames total" text.
#include <cstdint>
#include <functional>

class Playback {
public:
    struct Callbacks {
        std::function<std::uint64_t()> frame_count;  // whole frames in the trajectory now
        // Starts (true) or stops (false) the playback timer.
        std::function<void(bool)> timer;
        // The slider's position and range maximum (its minimum is 1); the
        // maximum is the frame count, at least 1.
        std::function<void(std::int64_t position, std::int64_t maximum)> slider;
        std::function<void(std::uint64_t)> frames_total;
    };

    explicit Playback(Callbacks callbacks);

    std::int64_t frame() const { return frame_; }  // 0-based
    bool playing() const { return playing_; }

    // `frame` = i clamped to [0, max(frames − 1, 0)].
    void set_frame(std::int64_t i);
    // One frame back, not below the first.
    void previous();
    // One frame on; false (the frame unchanged) at the last frame. Also puts
    // the frame count into "Frames total".
    bool advance();

    // The commands: Start and Stop of the timer, First frame, Next frame,
    // Previous frame, and Go to frame with a 1-based frame number.
    void start();
    void stop();
    void first();
    void next();
    void back();
    void go_to(std::int64_t number);
    // Timer 1: as Next frame.
    void tick() { next(); }
    // The user moved the slider to (1-based) `position`.
    void slider_moved(std::int64_t position) { set_frame(position - 1); }
    // At every draw: the frame is clamped to the current count and the slider
    // shows it.
    void show_position();

private:
    std::int64_t frames() const;

    Callbacks callbacks_;
    std::int64_t frame_ = 0;
    bool playing_ = false;
};
