#pragma once
// The compressed view of a movie's video stream: turns frames into the
// packets that go into the file.
#include <cstdint>
#include <functional>
#include <memory>

#include "visualization/movie/AviResult.h"
#include "visualization/movie/DibImage.h"
#include "visualization/movie/LibavHandles.h"
#include "visualization/movie/VideoEncoders.h"

namespace movie {

// Takes each finished packet; its time stamps count in the encoder's
// `time_base`.
using PacketSink = std::function<AviResult(AVPacket& packet)>;

class FrameEncoder {
public:
    virtual ~FrameEncoder() = default;

    // The stream's codec parameters, set before the file's header.
    virtual AviResult describe(AVCodecParameters& parameters) const = 0;

    // Encodes `image` (of the encoder's size) as frame `index`, a key
    // frame, and hands the packets it completes to `sink`.
    virtual AviResult encode(const DibImage& image, std::int64_t index, const PacketSink& sink) = 0;

    // Hands the packets still held back to `sink`, at the end of the movie.
    virtual AviResult flush(const PacketSink& sink) = 0;

    // The unit of the packets' time stamps: one frame.
    virtual AVRational time_base() const = 0;
};

// Uncompressed frames: each bitmap's bytes as they are, rows bottom-up as
// in a device-independent bitmap, which readers turn the right way up.
std::unique_ptr<FrameEncoder> make_dib_encoder(int width, int height, std::int32_t frame_period);

// Frames converted from 24-bit BGR and compressed by an opened encoder.
// Null with the code when the conversion cannot be set up.
struct MadeEncoder {
    std::unique_ptr<FrameEncoder> encoder;
    AviResult result = AVIERR_OK;
};
MadeEncoder make_codec_encoder(libav::CodecContextPtr context);

}  // namespace movie
