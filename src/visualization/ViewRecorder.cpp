#include "visualization/ViewRecorder.h"

#include <exception>
#include <utility>

#include "utils/Log.h"

namespace {

std::string not_started(movie::AviResult code) {
    return std::string(movie::avi_error_text(code)) + "\r\n\r\n" + recording_not_started;
}

}  // namespace

ViewRecorder::ViewRecorder(RecordingMessage message) : message_(std::move(message)) {}

ViewRecorder::~ViewRecorder() {
    try {
        stop();
    } catch (...) {
        // The message could not be shown; the file is finished all the same.
    }
}

bool ViewRecorder::start(const std::string& path, movie::CodecChooser& chooser, int client_width,
                         int client_height) {
    if (recording()) return true;
    // The file's place is checked first; the file itself is made only once
    // the codec is chosen.
    movie::AviWriterPtr writer = movie::avi_open(path);
    if (!writer) {
        tell(not_started(movie::AVIERR_FILEOPEN));
        return false;
    }
    const movie::FrameSize size = movie::movie_frame_size(client_width, client_height);
    const movie::CompressionOptions options;  // uncompressed pre-selected
    const movie::AviResult chosen =
        movie::avi_set_video_compression(chooser, &options, writer.get(), movie::make_dib_image(size.width, size.height));
    if (chosen != movie::AVIERR_OK) {
        movie::avi_close(std::move(writer));
        tell(chosen == movie::AVIERR_FILEOPEN ? not_started(chosen) : std::string(codec_failed_message));
        return false;
    }
    writer_ = std::move(writer);
    frame_size_ = size;
    client_width_ = client_width;
    client_height_ = client_height;
    return true;
}

void ViewRecorder::stop() {
    if (!recording()) return;
    finish();
}

bool ViewRecorder::keeps_client_size(int client_width, int client_height) {
    if (!recording()) return false;
    if (client_width == client_width_ && client_height == client_height_) return true;
    finish();
    tell(resize_stopped_message);
    return false;
}

bool ViewRecorder::append(const movie::DibImage& frame) {
    if (!recording()) return false;
    const movie::AviResult result = movie::avi_add_frame(writer_.get(), frame);
    if (result == movie::AVIERR_OK) return true;
    // The writer has failed for good: what it holds is finished now rather
    // than dropping every later frame in silence.
    finish();
    tell(std::string(movie::avi_error_text(result)));
    return false;
}

void ViewRecorder::abandon(const std::string& problem) {
    if (!recording()) return;
    finish();
    tell(problem);
}

// Closes the writer; a file that cannot be finished is told. A failure met
// earlier was told when it happened, and closing then returns success.
void ViewRecorder::finish() {
    movie::AviWriterPtr writer = std::move(writer_);
    frame_size_ = {};
    client_width_ = 0;
    client_height_ = 0;
    const movie::AviResult closed = movie::avi_close(std::move(writer));
    if (closed != movie::AVIERR_OK) tell(std::string(movie::avi_error_text(closed)));
}

void ViewRecorder::tell(const std::string& text) const {
    if (message_) {
        message_(recording_caption, text);
        return;
    }
    LOG_ERROR("%s: %s", recording_caption, text.c_str());
}
