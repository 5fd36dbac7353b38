#include "visualization/movie/VideoCodecs.h"

#include "visualization/movie/LibavLog.h"
#include "visualization/movie/VideoEncoders.h"

namespace movie {

namespace {

std::string fourcc_text(unsigned tag) {
    std::string text(4, ' ');
    for (int k = 0; k < 4; ++k) text[k] = static_cast<char>((tag >> (8 * k)) & 0xff);
    return text;
}

constexpr std::int32_t probe_frame_period = 200;  // ms

}  // namespace

std::vector<VideoCodec> avi_video_codecs(int width, int height) {
    std::vector<VideoCodec> codecs{{uncompressed_handler, uncompressed_encoder, "Uncompressed"}};
    if (width <= 0 || height <= 0) return codecs;
    const libav::SilentLibraryLog quiet;
    for (const EncoderRecipe& recipe : encoder_recipes()) {
        const OpenedEncoder opened = open_video_encoder(recipe, width, height, probe_frame_period);
        if (opened.context == nullptr) continue;
        const unsigned tag = av_codec_get_tag(avi_muxer()->codec_tag, opened.context->codec_id);
        codecs.push_back({fourcc_text(tag), recipe.encoder, recipe.description});
    }
    return codecs;
}

}  // namespace movie
