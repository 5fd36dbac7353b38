#pragma once
// A view's AVI recording: the movie being written, the size it is written
// at and the client size it was started at. It touches no OpenGL object, so
// it may be started, stopped and destroyed whatever context is current;
// SceneView draws into an off-screen target of frame_size() while it records
// and hands each new picture to append().
//
// Failures are told once through the message callback with the caption
// "AVI recording" (the window shows a message box; tests keep the texts):
// - the file cannot be written: the file error's text, then "AVI recording
//   not started!";
// - the codec choice failed or was cancelled: "Failed to use CODEC
//   specified.\r\n\r\nAVI recording not started!";
// - the client size changed: "AVI recording stopped on window resize!";
// - a frame could not be appended, or the file could not be finished: the
//   error's text (avi_error_text). Recording stops at the first failed
//   append and the file is finished with the frames written before it.
// Every end of a recording finishes the file (index and header sizes), so
// what is left on the disk is a movie any reader takes.
#include <functional>
#include <string>

#include "visualization/movie/AviWriter.h"
#include "visualization/movie/CodecChooser.h"
#include "visualization/movie/DibImage.h"
#include "visualization/movie/FrameSize.h"

// Shows a message to the user: its caption and its text.
using RecordingMessage = std::function<void(const std::string& caption, const std::string& text)>;

inline constexpr const char* recording_caption = "AVI recording";
inline constexpr const char* recording_not_started = "AVI recording not started!";
inline constexpr const char* codec_failed_message = "Failed to use CODEC specified.\r\n\r\nAVI recording not started!";
inline constexpr const char* resize_stopped_message = "AVI recording stopped on window resize!";

class ViewRecorder {
public:
    // Messages go to `message`; without one they are logged as errors. The
    // callback must stay callable as long as the recorder lives (its
    // destructor may report a file it could not finish).
    explicit ViewRecorder(RecordingMessage message = {});
    // Finishes a movie still being recorded.
    ~ViewRecorder();
    ViewRecorder(const ViewRecorder&) = delete;
    ViewRecorder& operator=(const ViewRecorder&) = delete;

    bool recording() const { return writer_ != nullptr; }

    // Record AVI while not recording: lets the user choose the codec with
    // `chooser` (uncompressed pre-selected), and only then creates `path`,
    // replacing a file of that name; a Cancel leaves no file and an existing
    // one untouched. Frames are movie_frame_size(client size). False, with
    // its message, when the recording did not start; true at once while
    // already recording (that recording goes on).
    bool start(const std::string& path, movie::CodecChooser& chooser, int client_width, int client_height);

    // Record AVI while recording, and document close, exit or a terminate
    // signal (from the window thread, never inside the signal handler):
    // finishes the file. Nothing happens when not recording.
    void stop();

    // The size of the movie's frames (0 × 0 when not recording).
    movie::FrameSize frame_size() const { return frame_size_; }

    // At every draw while recording: whether the client is still the size
    // the recording started at; when not, the recording ends with its
    // message and the draw goes to the window.
    bool keeps_client_size(int client_width, int client_height);

    // Appends `frame` (frame_size(), rows bottom-up) to the movie. On a
    // failure the recording ends with the error's text; false then.
    bool append(const movie::DibImage& frame);

    // The view could not draw for the movie (the off-screen target could not
    // be made): the recording ends and `problem` is told.
    void abandon(const std::string& problem);

private:
    void finish();
    void tell(const std::string& text) const;

    RecordingMessage message_;
    movie::AviWriterPtr writer_;
    movie::FrameSize frame_size_;
    int client_width_ = 0;   // pixels
    int client_height_ = 0;  // pixels
};
