#include "visualization/movie/AviFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <utility>

#include "utils/fopen_s.h"

namespace movie {

namespace {

constexpr int io_buffer_size = 64 * 1024;  // bytes

#if LIBAVFORMAT_VERSION_MAJOR >= 61
using WrittenBytes = const std::uint8_t*;
#else
using WrittenBytes = std::uint8_t*;
#endif

// The muxer's output goes straight to the descriptor, so that a refusal of
// the disk (a full disk, /dev/full) comes back as the failure of the write
// that met it.
int write_to_descriptor(void* opaque, WrittenBytes bytes, int size) {
    const int descriptor = *static_cast<const int*>(opaque);
    int done = 0;
    while (done < size) {
        const ssize_t written = ::write(descriptor, bytes + done, static_cast<std::size_t>(size - done));
        if (written < 0) {
            if (errno == EINTR) continue;
            return AVERROR(errno);
        }
        done += static_cast<int>(written);
    }
    return size;
}

std::int64_t seek_descriptor(void* opaque, std::int64_t offset, int whence) {
    const int descriptor = *static_cast<const int*>(opaque);
    if (whence & AVSEEK_SIZE) {
        struct stat status {};
        return ::fstat(descriptor, &status) == 0 ? static_cast<std::int64_t>(status.st_size) : AVERROR(errno);
    }
    const off_t position = ::lseek(descriptor, static_cast<off_t>(offset), whence & ~AVSEEK_FORCE);
    return position < 0 ? AVERROR(errno) : static_cast<std::int64_t>(position);
}

}  // namespace

std::unique_ptr<AviFile> AviFile::make(std::string path) {
    AVFormatContext* context = nullptr;
    if (avformat_alloc_output_context2(&context, nullptr, "avi", nullptr) < 0 || context == nullptr) return nullptr;
    return std::unique_ptr<AviFile>(new AviFile(std::move(path), libav::FormatContextPtr(context)));
}

AviFile::AviFile(std::string path, libav::FormatContextPtr muxer) : path_(std::move(path)), muxer_(std::move(muxer)) {}

AviFile::~AviFile() = default;

bool AviFile::can_write(const std::string& path) {
    namespace fs = std::filesystem;
    if (path.empty()) return false;
    std::error_code error;
    const fs::path file(path);
    const fs::file_status status = fs::status(file, error);
    if (fs::exists(status)) return !fs::is_directory(status) && ::access(path.c_str(), W_OK) == 0;
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    return fs::is_directory(folder, error) && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

AVStream* AviFile::add_stream() {
    if (header_written_) return nullptr;
    return avformat_new_stream(muxer_.get(), nullptr);
}

AviResult AviFile::create() {
    if (file_ != nullptr) return AVIERR_OK;
    auto* buffer = static_cast<unsigned char*>(av_malloc(io_buffer_size));
    if (buffer == nullptr) return AVIERR_MEMORY;
    io_.reset(
        avio_alloc_context(buffer, io_buffer_size, 1, &descriptor_, nullptr, write_to_descriptor, seek_descriptor));
    if (io_ == nullptr) {
        av_free(buffer);
        return AVIERR_MEMORY;
    }
    FilePtr file = fopen_share(path_, "wb", false, false);
    if (file == nullptr) return AVIERR_FILEOPEN;
    descriptor_ = ::fileno(file.get());
    file_ = std::move(file);
    muxer_->pb = io_.get();
    return AVIERR_OK;
}

AviResult AviFile::push_to_disk(int written) {
    avio_flush(muxer_->pb);
    if (muxer_->pb->error < 0) return AVIERR_FILEWRITE;
    if (written == AVERROR(ENOMEM)) return AVIERR_MEMORY;
    return written < 0 ? AVIERR_INTERNAL : AVIERR_OK;
}

AviResult AviFile::write_header() {
    if (header_written_) return AVIERR_OK;
    if (const AviResult created = create(); created != AVIERR_OK) return created;
    if (const AviResult written = push_to_disk(avformat_write_header(muxer_.get(), nullptr)); written != AVIERR_OK)
        return written;
    header_written_ = true;
    std::vector<HeldPacket> held = std::move(held_);
    held_.clear();
    for (HeldPacket& entry : held) {
        const AVStream& stream = *muxer_->streams[entry.packet->stream_index];
        av_packet_rescale_ts(entry.packet.get(), entry.time_base, stream.time_base);
        if (const AviResult written = write_now(*entry.packet); written != AVIERR_OK) return written;
    }
    return AVIERR_OK;
}

AviResult AviFile::write(AVPacket& packet, const AVStream& stream, AVRational time_base) {
    packet.stream_index = stream.index;
    if (!header_written_) {
        libav::PacketPtr copy(av_packet_clone(&packet));
        if (copy == nullptr) return AVIERR_MEMORY;
        held_.push_back({std::move(copy), time_base});
        return AVIERR_OK;
    }
    av_packet_rescale_ts(&packet, time_base, stream.time_base);
    return write_now(packet);
}

AviResult AviFile::write_now(AVPacket& packet) {
    return push_to_disk(av_interleaved_write_frame(muxer_.get(), &packet));
}

AviResult AviFile::finish() {
    if (finished_) return AVIERR_OK;
    finished_ = true;
    AviResult result = AVIERR_OK;
    if (header_written_) result = push_to_disk(av_write_trailer(muxer_.get()));
    if (file_ != nullptr) {
        if (result == AVIERR_OK) result = push_to_disk(0);
        if (std::fclose(file_.release()) != 0 && result == AVIERR_OK) result = AVIERR_FILEWRITE;
        descriptor_ = -1;
    }
    return result;
}

}  // namespace movie
