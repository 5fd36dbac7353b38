#include <cstring>

#include "visualization/movie/FrameEncoder.h"

namespace movie {

namespace {

// The format library writes a bitmap header of positive height, rows
// bottom-up, for raw frames whose codec data ends with this marker (and
// leaves the marker out of the file); readers add it back and flip the rows.
constexpr char bottom_up_marker[] = "BottomUp";  // 9 bytes with its terminating zero

class DibEncoder final : public FrameEncoder {
public:
    DibEncoder(int width, int height, std::int32_t frame_period)
        : width_(width), height_(height), time_base_(av_make_q(frame_period, 1000)) {}

    AviResult describe(AVCodecParameters& parameters) const override {
        parameters.codec_type = AVMEDIA_TYPE_VIDEO;
        parameters.codec_id = AV_CODEC_ID_RAWVIDEO;
        parameters.codec_tag = 0;  // a plain RGB bitmap
        parameters.format = AV_PIX_FMT_BGR24;
        parameters.bits_per_coded_sample = 24;
        parameters.width = width_;
        parameters.height = height_;
        parameters.sample_aspect_ratio = av_make_q(1, 1);
        av_freep(&parameters.extradata);
        parameters.extradata_size = 0;
        parameters.extradata =
            static_cast<std::uint8_t*>(av_mallocz(sizeof bottom_up_marker + AV_INPUT_BUFFER_PADDING_SIZE));
        if (parameters.extradata == nullptr) return AVIERR_MEMORY;
        std::memcpy(parameters.extradata, bottom_up_marker, sizeof bottom_up_marker);
        parameters.extradata_size = sizeof bottom_up_marker;
        return AVIERR_OK;
    }

    AviResult encode(const DibImage& image, std::int64_t index, const PacketSink& sink) override {
        libav::PacketPtr packet(av_packet_alloc());
        if (packet == nullptr || av_new_packet(packet.get(), static_cast<int>(image.pixels.size())) < 0)
            return AVIERR_MEMORY;
        std::memcpy(packet->data, image.pixels.data(), image.pixels.size());
        packet->pts = index;
        packet->dts = index;
        packet->duration = 1;
        packet->flags |= AV_PKT_FLAG_KEY;
        return sink(*packet);
    }

    AviResult flush(const PacketSink&) override { return AVIERR_OK; }

    AVRational time_base() const override { return time_base_; }

private:
    int width_;
    int height_;
    AVRational time_base_;
};

}  // namespace

std::unique_ptr<FrameEncoder> make_dib_encoder(int width, int height, std::int32_t frame_period) {
    return std::make_unique<DibEncoder>(width, height, frame_period);
}

}  // namespace movie
