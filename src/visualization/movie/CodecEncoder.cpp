#include <cerrno>

#include "visualization/movie/FrameEncoder.h"

namespace movie {

namespace {

class CodecEncoder final : public FrameEncoder {
public:
    CodecEncoder(libav::CodecContextPtr context, libav::ScalerPtr scaler, libav::FramePtr frame,
                 libav::PacketPtr packet)
        : context_(std::move(context)),
          scaler_(std::move(scaler)),
          frame_(std::move(frame)),
          packet_(std::move(packet)) {}

    AviResult describe(AVCodecParameters& parameters) const override {
        if (avcodec_parameters_from_context(&parameters, context_.get()) < 0) return AVIERR_MEMORY;
        parameters.codec_tag = 0;  // the AVI format's own code for the codec
        return AVIERR_OK;
    }

    AviResult encode(const DibImage& image, std::int64_t index, const PacketSink& sink) override {
        if (av_frame_make_writable(frame_.get()) < 0) return AVIERR_MEMORY;
        // The bitmap's rows run bottom-up: start at its last row and step
        // backwards, so the encoder sees the picture top-down.
        const std::uint8_t* top = image.pixels.data() + static_cast<std::size_t>(image.stride) * (image.height - 1);
        const std::uint8_t* const source[1] = {top};
        const int source_stride[1] = {-image.stride};
        sws_scale(scaler_.get(), source, source_stride, 0, image.height, frame_->data, frame_->linesize);
        frame_->pts = index;
        frame_->pict_type = AV_PICTURE_TYPE_I;
        return send(frame_.get(), sink);
    }

    AviResult flush(const PacketSink& sink) override { return send(nullptr, sink); }

    AVRational time_base() const override { return context_->time_base; }

private:
    // Sends one frame (none: the end of the movie) and hands on every packet
    // the encoder has finished.
    AviResult send(const AVFrame* frame, const PacketSink& sink) {
        if (const int error = avcodec_send_frame(context_.get(), frame); error < 0) return failure(error);
        for (;;) {
            const int received = avcodec_receive_packet(context_.get(), packet_.get());
            if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return AVIERR_OK;
            if (received < 0) return failure(received);
            const AviResult written = sink(*packet_);
            av_packet_unref(packet_.get());
            if (written != AVIERR_OK) return written;
        }
    }

    static AviResult failure(int error) { return error == AVERROR(ENOMEM) ? AVIERR_MEMORY : AVIERR_CANTCOMPRESS; }

    libav::CodecContextPtr context_;
    libav::ScalerPtr scaler_;
    libav::FramePtr frame_;
    libav::PacketPtr packet_;
};

}  // namespace

MadeEncoder make_codec_encoder(libav::CodecContextPtr context) {
    const int width = context->width;
    const int height = context->height;
    libav::ScalerPtr scaler(sws_getContext(width, height, AV_PIX_FMT_BGR24, width, height, context->pix_fmt,
                                           SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr, nullptr,
                                           nullptr));
    libav::FramePtr frame(av_frame_alloc());
    libav::PacketPtr packet(av_packet_alloc());
    if (scaler == nullptr || frame == nullptr || packet == nullptr) return {nullptr, AVIERR_MEMORY};
    frame->format = context->pix_fmt;
    frame->width = width;
    frame->height = height;
    frame->color_range = context->color_range;
    if (av_frame_get_buffer(frame.get(), 0) < 0) return {nullptr, AVIERR_MEMORY};
    return {std::make_unique<CodecEncoder>(std::move(context), std::move(scaler), std::move(frame), std::move(packet)),
            AVIERR_OK};
}

}  // namespace movie
