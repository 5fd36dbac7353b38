#include "visualization/movie/VideoEncoders.h"

#include <algorithm>
#include <array>
#include <cerrno>

extern "C" {
#include <libavutil/rational.h>
}

namespace movie {

namespace {

// Lossy codecs use 4:2:0 chroma, which every player decodes; FFV1 keeps the
// colours exactly. Motion JPEG and MPEG-4 part 2 would otherwise run at the
// libraries' default of 200 kbit/s, far too little for frames that are all
// key frames.
constexpr std::array<EncoderRecipe, 4> recipes{{
    {"mjpeg", "Motion JPEG", AV_PIX_FMT_YUVJ420P, 3},
    {"mpeg4", "MPEG-4 part 2", AV_PIX_FMT_YUV420P, 3},
    {"ffv1", "FFV1 (lossless)", AV_PIX_FMT_BGR0, 0},
    {"libx264", "H.264", AV_PIX_FMT_YUV420P, 0},
}};

bool takes_pixel_format(const AVCodec& codec, AVPixelFormat format) {
    if (codec.pix_fmts == nullptr) return false;
    for (const AVPixelFormat* f = codec.pix_fmts; *f != AV_PIX_FMT_NONE; ++f)
        if (*f == format) return true;
    return false;
}

}  // namespace

std::span<const EncoderRecipe> encoder_recipes() { return recipes; }

const EncoderRecipe* find_recipe(std::string_view encoder) {
    const auto found = std::find_if(recipes.begin(), recipes.end(),
                                    [&](const EncoderRecipe& recipe) { return recipe.encoder == encoder; });
    return found != recipes.end() ? &*found : nullptr;
}

const AVOutputFormat* avi_muxer() {
    static const AVOutputFormat* const muxer = av_guess_format("avi", nullptr, nullptr);
    return muxer;
}

OpenedEncoder open_video_encoder(const EncoderRecipe& recipe, int width, int height, std::int32_t frame_period) {
    const AVOutputFormat* muxer = avi_muxer();
    const AVCodec* codec = avcodec_find_encoder_by_name(recipe.encoder);
    if (muxer == nullptr || codec == nullptr || codec->type != AVMEDIA_TYPE_VIDEO ||
        avformat_query_codec(muxer, codec->id, FF_COMPLIANCE_NORMAL) != 1 ||
        !takes_pixel_format(*codec, recipe.pixel_format))
        return {nullptr, AVIERR_NOCOMPRESSOR};
    libav::CodecContextPtr context(avcodec_alloc_context3(codec));
    if (context == nullptr) return {nullptr, AVIERR_MEMORY};

    context->width = width;
    context->height = height;
    context->pix_fmt = recipe.pixel_format;
    context->time_base = av_make_q(frame_period, 1000);
    context->framerate = av_make_q(1000, frame_period);
    context->sample_aspect_ratio = av_make_q(1, 1);
    context->gop_size = 1;  // every frame a key frame
    context->max_b_frames = 0;
    if (recipe.pixel_format == AV_PIX_FMT_YUVJ420P) context->color_range = AVCOL_RANGE_JPEG;
    if (recipe.quantiser > 0) {
        context->flags |= AV_CODEC_FLAG_QSCALE;
        context->global_quality = FF_QP2LAMBDA * recipe.quantiser;
    }
    if (muxer->flags & AVFMT_GLOBALHEADER) context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;

    if (const int error = avcodec_open2(context.get(), codec, nullptr); error < 0)
        return {nullptr, error == AVERROR(ENOMEM) ? AVIERR_MEMORY : AVIERR_CANTCOMPRESS};
    return {std::move(context), AVIERR_OK};
}

}  // namespace movie
