#pragma once
// Owning handles of the video libraries' objects.
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

namespace movie::libav {

struct CodecContextFree {
    void operator()(AVCodecContext* context) const noexcept { avcodec_free_context(&context); }
};
struct FrameFree {
    void operator()(AVFrame* frame) const noexcept { av_frame_free(&frame); }
};
struct PacketFree {
    void operator()(AVPacket* packet) const noexcept { av_packet_free(&packet); }
};
struct ScalerFree {
    void operator()(SwsContext* scaler) const noexcept { sws_freeContext(scaler); }
};
struct FormatContextFree {
    void operator()(AVFormatContext* context) const noexcept { avformat_free_context(context); }
};
struct IoContextFree {
    // The buffer may have been replaced while writing; the context's own
    // pointer is the one to free.
    void operator()(AVIOContext* io) const noexcept {
        av_freep(&io->buffer);
        avio_context_free(&io);
    }
};

using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using ScalerPtr = std::unique_ptr<SwsContext, ScalerFree>;
using FormatContextPtr = std::unique_ptr<AVFormatContext, FormatContextFree>;
using IoContextPtr = std::unique_ptr<AVIOContext, IoContextFree>;

}  // namespace movie::libav
