#pragma once
// Movies of a view's playback: AVI files with one video stream, 5 frames a
// second, every frame a key frame, and at most one PCM audio stream.
//
// A recording runs
//     writer = avi_open(path)            null: the file cannot be written there
//     avi_set_video_compression(...)     the user picks the codec; only then is
//                                        the file created (replacing an old one)
//     avi_add_frame(writer, image) ...   one call per movie frame
//     avi_close(std::move(writer))       index and header sizes written
// Without avi_set_video_compression the first frame creates the file with
// uncompressed frames. A writer dropped without avi_close is closed the same
// way. A movie that got neither a codec nor any data leaves no file behind,
// and an existing file of that name untouched.
//
// Every call returns a code of AviResult.h. The first failure of the file,
// a stream or a codec (including the user's Cancel) is returned by the call
// that met it and makes the writer failed: every later call returns
// AVIERR_ERROR, and avi_close only finishes what the file holds. Refused
// arguments (AVIERR_BADHANDLE, AVIERR_BADPARAM, AVIERR_BADFLAGS,
// AVIERR_BADFORMAT, AVIERR_UNSUPPORTED, AVIERR_FILEOPEN of a wave file)
// leave the writer as it was.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "visualization/movie/AviResult.h"
#include "visualization/movie/CodecChooser.h"
#include "visualization/movie/DibImage.h"
#include "visualization/movie/PcmFormat.h"
#include "visualization/movie/VideoCodecs.h"

namespace movie {

struct AviWriter;

// Closes a writer that was not handed to avi_close.
struct AviWriterDeleter {
    void operator()(AviWriter* writer) const noexcept;
};
using AviWriterPtr = std::unique_ptr<AviWriter, AviWriterDeleter>;

// What the codec dialog starts from.
struct CompressionOptions {
    std::string handler = uncompressed_handler;  // four-character code of the codec to pre-select
    std::string encoder;                         // the encoder to pre-select; empty: the handler's first
};

// A writer for the file `file_name`, which is not created yet. Null when
// the file cannot be written there (a missing or read-only folder, a folder
// of that name): the file error, AVIERR_FILEOPEN.
AviWriterPtr avi_open(const std::string& file_name);

// Ends the movie (the frames an encoder still holds, the index, the header
// sizes) and closes the file. AVIERR_BADHANDLE for null; AVIERR_FILEWRITE
// when finishing the file fails on a writer that had not failed before.
AviResult avi_close(AviWriterPtr writer);

// Lets the user pick the codec for frames the size of `image` from
// avi_video_codecs, starting from `options` (null: uncompressed), then
// creates the file. AVIERR_BADHANDLE for a null writer, AVIERR_BADPARAM for
// an image that is not whole (is_whole_dib), AVIERR_ERROR once failed,
// AVIERR_COMPRESSOR when the codec was set already; then, making the writer
// failed: AVIERR_USERABORT when the user cancels (no file is created), the
// codec's failure (AVIERR_NOCOMPRESSOR, AVIERR_CANTCOMPRESS), AVIERR_FILEOPEN
// when the file cannot be created.
AviResult avi_set_video_compression(CodecChooser& chooser, const CompressionOptions* options, AviWriter* writer,
                                    const DibImage& image);

// Appends `image` as the next frame, a key frame. The first frame fixes the
// movie's size and writes the file's header. AVIERR_BADHANDLE for a null
// writer, AVIERR_BADPARAM for an image that is not whole or not of the
// movie's size, AVIERR_ERROR once failed; then, making the writer failed,
// AVIERR_FILEOPEN, AVIERR_FILEWRITE (the disk refused the frame),
// AVIERR_CANTCOMPRESS, AVIERR_MEMORY.
AviResult avi_add_frame(AviWriter* writer, const DibImage& image);

// Appends PCM samples to the audio stream, made on first use. The first
// format given becomes the movie's; null `format` means that one. Every
// stream must exist before the file's header, so audio is taken only before
// the first frame: AVIERR_UNSUPPORTED after it. AVIERR_BADHANDLE for a null
// writer, AVIERR_BADPARAM for no samples, AVIERR_ERROR once failed,
// AVIERR_BADFORMAT for a format that is not plain PCM (is_supported_pcm),
// one unlike the movie's or none at all, AVIERR_BADPARAM for a byte count
// that is not a whole number of samples.
AviResult avi_add_audio(AviWriter* writer, const PcmFormat* format, std::span<const std::uint8_t> samples);

// The modes of avi_add_wav_file.
inline constexpr std::uint32_t AVI_WAV_MEMORY = 4;           // `source` holds the whole wave file
inline constexpr std::uint32_t AVI_WAV_FILE_NAME = 0x20000;  // `source` names the wave file

// Appends the samples of a RIFF wave file as avi_add_audio does; the first
// wave's format becomes the movie's. AVIERR_BADHANDLE for a null writer,
// AVIERR_BADFLAGS for another mode, AVIERR_ERROR once failed,
// AVIERR_UNSUPPORTED after the first frame, AVIERR_FILEOPEN when the file
// cannot be read, AVIERR_BADFORMAT for bytes that are no wave file (see
// read_wave) or a format unlike the movie's.
AviResult avi_add_wav_file(AviWriter* writer, std::string_view source, std::uint32_t mode);

}  // namespace movie
