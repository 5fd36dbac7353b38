#pragma once
// Opening the video libraries' encoders for movie frames.
#include <cstdint>
#include <span>
#include <string_view>

#include "visualization/movie/AviResult.h"
#include "visualization/movie/LibavHandles.h"

namespace movie {

// How one compressed codec is recorded.
struct EncoderRecipe {
    const char* encoder;         // the libraries' encoder name
    const char* description;     // what the codec dialog shows
    AVPixelFormat pixel_format;  // what the frames are converted to
    int quantiser;               // fixed quantiser of every frame; 0: the encoder's own rate control
};

// The compressed codecs offered, in the dialog's order.
std::span<const EncoderRecipe> encoder_recipes();

// The recipe of an encoder; null for one not offered.
const EncoderRecipe* find_recipe(std::string_view encoder);

// The AVI muxer of the format library; null in a build of the library
// without it.
const AVOutputFormat* avi_muxer();

struct OpenedEncoder {
    libav::CodecContextPtr context;  // null on failure
    AviResult result = AVIERR_OK;
};

// Opens `recipe`'s encoder for frames of `width` × `height` pixels, one
// every `frame_period` milliseconds, each frame a key frame.
// AVIERR_NOCOMPRESSOR when this machine has no such encoder or the AVI
// format cannot hold its codec, AVIERR_CANTCOMPRESS when it does not open
// for these frames, AVIERR_MEMORY when memory runs out.
OpenedEncoder open_video_encoder(const EncoderRecipe& recipe, int width, int height, std::int32_t frame_period);

}  // namespace movie
