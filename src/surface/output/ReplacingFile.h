#pragma once
// An output file written beside its final name and moved over it only once
// it is complete and on disk, so that the final name holds either the old
// file or the whole new one, never a torn one.
#include <cstdio>
#include <string>

#include "utils/File.h"

namespace velmesh {

class ReplacingFile {
public:
    explicit ReplacingFile(std::string target);
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;
    // Removes the unfinished file.
    ~ReplacingFile();

    bool is_open() const { return stream_ != nullptr; }
    std::FILE* stream() const { return stream_.get(); }
    const std::string& target() const { return target_; }

    // Flushes, syncs and closes the file; false when any write failed.
    // Without `sync` the file is not synced: the caller syncs many files at
    // once (sync_file_system_of) before it moves them.
    bool finish(bool sync = true);
    // Moves the finished file over the target; false on failure.
    bool replace_target();

    // The name of the file beside the target.
    const std::string& temporary() const { return temporary_; }

private:
    std::string target_;
    std::string temporary_;
    FilePtr stream_;
    bool finished_ = false;
};

// Puts everything written to the file system holding the path on disk;
// false on failure.
bool sync_file_system_of(const std::string& path);

}  // namespace velmesh
