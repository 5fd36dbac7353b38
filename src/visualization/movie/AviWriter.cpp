#include "visualization/movie/AviWriter.h"

#include <algorithm>
#include <optional>
#include <string>

#include "utils/ReadText.h"
#include "visualization/movie/AviWriterState.h"
#include "visualization/movie/LibavLog.h"
#include "visualization/movie/WaveFile.h"

namespace movie {

namespace {

AviResult fail(AviWriter& writer, AviResult code) {
    writer.failed = true;
    return code;
}

bool has_size_of(const AVStream& stream, const DibImage& image) {
    return stream.codecpar->width == image.width && stream.codecpar->height == image.height;
}

// The video stream, made for frames of the image's size when there is none.
AviResult ensure_video_stream(AviWriter& writer, const DibImage& image) {
    if (writer.video_stream != nullptr) return AVIERR_OK;
    AVStream* stream = writer.file->add_stream();
    if (stream == nullptr) return fail(writer, AVIERR_MEMORY);
    stream->time_base = av_make_q(writer.frame_period, 1000);
    stream->avg_frame_rate = av_make_q(1000, writer.frame_period);
    stream->r_frame_rate = stream->avg_frame_rate;
    stream->codecpar->codec_type = AVMEDIA_TYPE_VIDEO;
    stream->codecpar->width = image.width;
    stream->codecpar->height = image.height;
    writer.video_stream = stream;
    return AVIERR_OK;
}

// Takes `encoder` as the stream's compressed view: its format goes into the
// stream, then the file is created.
AviResult use_encoder(AviWriter& writer, std::unique_ptr<FrameEncoder> encoder) {
    if (const AviResult described = encoder->describe(*writer.video_stream->codecpar); described != AVIERR_OK)
        return fail(writer, described);
    writer.compressed_stream = std::move(encoder);
    if (const AviResult created = writer.file->create(); created != AVIERR_OK) return fail(writer, created);
    return AVIERR_OK;
}

AviResult make_compressed_stream(AviWriter& writer, const VideoCodec& codec) {
    const int width = writer.video_stream->codecpar->width;
    const int height = writer.video_stream->codecpar->height;
    if (codec.encoder == uncompressed_encoder)
        return use_encoder(writer, make_dib_encoder(width, height, writer.frame_period));
    const EncoderRecipe* recipe = find_recipe(codec.encoder);
    if (recipe == nullptr) return fail(writer, AVIERR_NOCOMPRESSOR);
    OpenedEncoder opened = open_video_encoder(*recipe, width, height, writer.frame_period);
    if (opened.context == nullptr) return fail(writer, opened.result);
    MadeEncoder made = make_codec_encoder(std::move(opened.context));
    if (made.encoder == nullptr) return fail(writer, made.result);
    return use_encoder(writer, std::move(made.encoder));
}

std::size_t preselected(const std::vector<VideoCodec>& codecs, const CompressionOptions& options) {
    const auto by = [&](auto matches) {
        const auto found = std::find_if(codecs.begin(), codecs.end(), matches);
        return found != codecs.end() ? std::optional<std::size_t>(found - codecs.begin()) : std::nullopt;
    };
    if (!options.encoder.empty())
        if (const auto index = by([&](const VideoCodec& codec) { return codec.encoder == options.encoder; }))
            return *index;
    return by([&](const VideoCodec& codec) { return codec.handler == options.handler; }).value_or(0);
}

PacketSink video_sink(AviWriter& writer) {
    return [&writer](AVPacket& packet) {
        return writer.file->write(packet, *writer.video_stream, writer.compressed_stream->time_base());
    };
}

AVCodecID pcm_codec(const PcmFormat& format) {
    switch (format.bits_per_sample) {
        case 8:
            return AV_CODEC_ID_PCM_U8;
        case 16:
            return AV_CODEC_ID_PCM_S16LE;
        case 24:
            return AV_CODEC_ID_PCM_S24LE;
        default:
            return AV_CODEC_ID_PCM_S32LE;
    }
}

// The audio stream, made from the movie's audio format when there is none.
AviResult ensure_audio_stream(AviWriter& writer) {
    if (writer.audio_stream != nullptr) return AVIERR_OK;
    AVStream* stream = writer.file->add_stream();
    if (stream == nullptr) return fail(writer, AVIERR_MEMORY);
    const PcmFormat& format = writer.audio_format;
    AVCodecParameters& parameters = *stream->codecpar;
    parameters.codec_type = AVMEDIA_TYPE_AUDIO;
    parameters.codec_id = pcm_codec(format);
    parameters.sample_rate = static_cast<int>(format.sample_rate);
    av_channel_layout_default(&parameters.ch_layout, format.channels);
    parameters.bits_per_coded_sample = format.bits_per_sample;
    parameters.block_align = format.block_align;
    parameters.bit_rate = static_cast<std::int64_t>(format.bytes_per_second) * 8;
    stream->time_base = av_make_q(1, parameters.sample_rate);
    writer.audio_stream = stream;
    return AVIERR_OK;
}

// Writes the samples in packets of at most one video frame's length, so that
// the file interleaves them with the frames.
AviResult write_samples(AviWriter& writer, std::span<const std::uint8_t> samples) {
    const PcmFormat& format = writer.audio_format;
    const std::size_t per_packet =
        std::max<std::size_t>(1, static_cast<std::size_t>(format.sample_rate) * writer.frame_period / 1000);
    const AVRational time_base = av_make_q(1, static_cast<int>(format.sample_rate));
    libav::PacketPtr packet(av_packet_alloc());
    if (packet == nullptr) return fail(writer, AVIERR_MEMORY);
    while (!samples.empty()) {
        const std::size_t count = std::min(per_packet, samples.size() / format.block_align);
        const std::size_t bytes = count * format.block_align;
        if (av_new_packet(packet.get(), static_cast<int>(bytes)) < 0) return fail(writer, AVIERR_MEMORY);
        std::copy_n(samples.data(), bytes, packet->data);
        packet->pts = writer.audio_sample;
        packet->dts = writer.audio_sample;
        packet->duration = static_cast<std::int64_t>(count);
        packet->flags |= AV_PKT_FLAG_KEY;
        const AviResult written = writer.file->write(*packet, *writer.audio_stream, time_base);
        av_packet_unref(packet.get());
        if (written != AVIERR_OK) return fail(writer, written);
        writer.audio_sample += static_cast<std::int64_t>(count);
        samples = samples.subspan(bytes);
    }
    return AVIERR_OK;
}

// Finishes the movie once: what the encoder holds, then the file. A writer
// that failed only has its file closed (with the index of what it holds):
// its failure was returned when it happened.
AviResult finish_movie(AviWriter& writer) {
    AviFile& file = *writer.file;
    if (file.finished()) return AVIERR_OK;
    if (writer.failed) {
        file.finish();
        return AVIERR_OK;
    }
    if (!file.created() && writer.audio_stream == nullptr) {
        file.finish();  // no codec, no data: no file
        return AVIERR_OK;
    }
    AviResult result = file.write_header();
    if (result == AVIERR_OK && writer.compressed_stream != nullptr)
        result = writer.compressed_stream->flush(video_sink(writer));
    const AviResult finished = file.finish();
    if (result == AVIERR_OK) result = finished;
    if (result != AVIERR_OK) writer.failed = true;
    return result;
}

}  // namespace

void AviWriterDeleter::operator()(AviWriter* writer) const noexcept {
    const std::unique_ptr<AviWriter> owned(writer);
    if (owned != nullptr) finish_movie(*owned);
}

AviWriterPtr avi_open(const std::string& file_name) {
    libav::print_library_errors_only();
    if (!AviFile::can_write(file_name)) return nullptr;
    std::unique_ptr<AviFile> file = AviFile::make(file_name);
    if (file == nullptr) return nullptr;
    AviWriterPtr writer(new AviWriter);
    writer->file = std::move(file);
    return writer;
}

AviResult avi_close(AviWriterPtr writer) {
    if (writer == nullptr) return AVIERR_BADHANDLE;
    return finish_movie(*writer);
}

AviResult avi_set_video_compression(CodecChooser& chooser, const CompressionOptions* options, AviWriter* writer,
                                    const DibImage& image) {
    if (writer == nullptr) return AVIERR_BADHANDLE;
    if (!is_whole_dib(image)) return AVIERR_BADPARAM;
    if (writer->failed) return AVIERR_ERROR;
    if (writer->compressed_stream != nullptr) return AVIERR_COMPRESSOR;
    if (const AviResult made = ensure_video_stream(*writer, image); made != AVIERR_OK) return made;
    if (!has_size_of(*writer->video_stream, image)) return AVIERR_BADPARAM;

    const CompressionOptions blank{"", ""};
    const std::vector<VideoCodec> codecs = avi_video_codecs(image.width, image.height);
    const std::optional<std::size_t> choice =
        chooser.choose_codec(codecs, preselected(codecs, options != nullptr ? *options : blank));
    if (!choice) return fail(*writer, AVIERR_USERABORT);
    if (*choice >= codecs.size()) return fail(*writer, AVIERR_NOCOMPRESSOR);
    return make_compressed_stream(*writer, codecs[*choice]);
}

AviResult avi_add_frame(AviWriter* writer, const DibImage& image) {
    if (writer == nullptr) return AVIERR_BADHANDLE;
    if (!is_whole_dib(image)) return AVIERR_BADPARAM;
    if (writer->failed) return AVIERR_ERROR;
    if (const AviResult made = ensure_video_stream(*writer, image); made != AVIERR_OK) return made;
    if (!has_size_of(*writer->video_stream, image)) return AVIERR_BADPARAM;
    if (writer->compressed_stream == nullptr) {
        const AviResult made = use_encoder(*writer, make_dib_encoder(image.width, image.height, writer->frame_period));
        if (made != AVIERR_OK) return made;
    }
    if (const AviResult header = writer->file->write_header(); header != AVIERR_OK) return fail(*writer, header);
    if (const AviResult encoded = writer->compressed_stream->encode(image, writer->video_frame, video_sink(*writer));
        encoded != AVIERR_OK)
        return fail(*writer, encoded);
    ++writer->video_frame;
    return AVIERR_OK;
}

AviResult avi_add_audio(AviWriter* writer, const PcmFormat* format, std::span<const std::uint8_t> samples) {
    if (writer == nullptr) return AVIERR_BADHANDLE;
    if (samples.empty()) return AVIERR_BADPARAM;
    if (writer->failed) return AVIERR_ERROR;
    if (writer->file->header_written()) return AVIERR_UNSUPPORTED;
    PcmFormat movie_format = writer->audio_format;
    if (format != nullptr) {
        if (!is_supported_pcm(*format)) return AVIERR_BADFORMAT;
        if (movie_format.channels == 0) {
            movie_format = *format;
        } else if (!same_pcm_layout(*format, movie_format)) {
            return AVIERR_BADFORMAT;
        }
    }
    if (movie_format.channels == 0) return AVIERR_BADFORMAT;
    if (samples.size() % movie_format.block_align != 0) return AVIERR_BADPARAM;
    writer->audio_format = movie_format;
    if (const AviResult made = ensure_audio_stream(*writer); made != AVIERR_OK) return made;
    return write_samples(*writer, samples);
}

AviResult avi_add_wav_file(AviWriter* writer, std::string_view source, std::uint32_t mode) {
    if (writer == nullptr) return AVIERR_BADHANDLE;
    if (mode != AVI_WAV_MEMORY && mode != AVI_WAV_FILE_NAME) return AVIERR_BADFLAGS;
    if (writer->failed) return AVIERR_ERROR;
    if (writer->file->header_written()) return AVIERR_UNSUPPORTED;
    std::optional<std::string> content;
    if (mode == AVI_WAV_FILE_NAME) {
        content = read_text_file(std::string(source));
        if (!content) return AVIERR_FILEOPEN;
        source = *content;
    }
    const std::optional<WaveData> wave =
        read_wave({reinterpret_cast<const std::uint8_t*>(source.data()), source.size()});
    if (!wave) return AVIERR_BADFORMAT;
    return avi_add_audio(writer, &wave->format, wave->samples);
}

}  // namespace movie
