#pragma once
// The AVI file of one movie, written through the format library's muxer.
//
// The file on disk is created only when asked (`create`), so a movie that
// never gets a codec leaves no file and an existing file untouched. Streams
// are added before the header; packets written before the header are held
// and go into the file right after it. Every packet is pushed to the disk
// at once, so the append that fails is the one told about it.
#include <memory>
#include <string>
#include <vector>

#include "utils/File.h"
#include "visualization/movie/AviResult.h"
#include "visualization/movie/LibavHandles.h"

namespace movie {

class AviFile {
public:
    // Null when memory runs out.
    static std::unique_ptr<AviFile> make(std::string path);

    AviFile(const AviFile&) = delete;
    AviFile& operator=(const AviFile&) = delete;
    ~AviFile();

    // Whether `path` names a file this process may create or replace: a
    // writable existing file that is no folder, or a new name in a writable
    // folder. Nothing is created.
    static bool can_write(const std::string& path);

    // A new stream, before the header only; null when memory runs out.
    AVStream* add_stream();

    bool created() const { return file_ != nullptr; }
    bool header_written() const { return header_written_; }
    bool finished() const { return finished_; }

    // Creates the file (replacing one of the same name). AVIERR_FILEOPEN
    // when it cannot be opened for writing.
    AviResult create();

    // Writes the header with every stream added, then the packets held.
    // Creates the file first when needed.
    AviResult write_header();

    // Writes one packet of `stream`, its time stamps in `time_base`; before
    // the header it is held. AVIERR_FILEWRITE when the disk refuses it.
    AviResult write(AVPacket& packet, const AVStream& stream, AVRational time_base);

    // Ends the file: the trailer (index and header sizes) when the header
    // was written, then closes it. AVIERR_FILEWRITE when any of that fails.
    AviResult finish();

private:
    AviFile(std::string path, libav::FormatContextPtr muxer);

    AviResult write_now(AVPacket& packet);
    AviResult push_to_disk(int written);

    struct HeldPacket {
        libav::PacketPtr packet;
        AVRational time_base;  // of the packet's time stamps
    };

    // The muxer goes first when the file is destroyed, then its output.
    std::string path_;
    FilePtr file_;
    int descriptor_ = -1;
    libav::IoContextPtr io_;
    libav::FormatContextPtr muxer_;
    std::vector<HeldPacket> held_;
    bool header_written_ = false;
    bool finished_ = false;
};

}  // namespace movie
