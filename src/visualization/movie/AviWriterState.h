#pragma once
// What one movie writer holds.
#include <cstdint>
#include <memory>

#include "visualization/movie/AviFile.h"
#include "visualization/movie/FrameEncoder.h"
#include "visualization/movie/PcmFormat.h"

namespace movie {

struct AviWriter {
    std::unique_ptr<AviFile> file;
    PcmFormat audio_format;                           // no channels until the first audio
    std::int32_t frame_period = 200;                  // ms per video frame: 5 frames a second
    AVStream* audio_stream = nullptr;                 // in `file`, once audio came
    AVStream* video_stream = nullptr;                 // in `file`, once the frame size is known
    std::unique_ptr<FrameEncoder> compressed_stream;  // what the video stream is written through
    std::int64_t video_frame = 0;                     // index of the next frame
    std::int64_t audio_sample = 0;                    // index of the next audio sample
    bool failed = false;                              // every later call returns AVIERR_ERROR
};

}  // namespace movie
