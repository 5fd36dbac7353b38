#pragma once
// The codecs a movie can be recorded with on this machine.
#include <string>
#include <vector>

namespace movie {

struct VideoCodec {
    std::string handler;      // four-character code of the codec ("DIB ": uncompressed)
    std::string encoder;      // the video libraries' name of its encoder ("rawvideo": uncompressed)
    std::string description;  // what the codec dialog shows
};

// Uncompressed frames: 24-bit bitmaps as they are drawn.
inline constexpr const char* uncompressed_handler = "DIB ";
inline constexpr const char* uncompressed_encoder = "rawvideo";

// Uncompressed first, then those of Motion JPEG, MPEG-4 part 2, FFV1
// (lossless) and H.264 whose encoder this machine has, the AVI file format
// takes, and that opens for frames of `width` × `height` pixels (4:2:0
// codecs need even sizes). Only uncompressed for a size without pixels.
std::vector<VideoCodec> avi_video_codecs(int width, int height);

}  // namespace movie
