#pragma once
// Putting a completely written file in place under its final name.
#include <cstdio>
#include <string>
#include <string_view>

namespace platform {

enum class RenameResult {
    renamed,  // `to` now names the file that was `from`
    exists,   // `to` already exists; nothing changed
    failed,   // any other refusal; nothing changed
};

// Renames `from` to `to` in one atomic step, refusing to replace an existing
// `to`. On filesystems that cannot refuse atomically, an existence test
// followed by a plain rename is used.
RenameResult rename_no_replace(const std::string& from, const std::string& to);

enum class ReplaceStatus {
    replaced,       // `path` holds `content`
    cannot_create,  // no file could be made beside `path` (missing folder, no permission)
    failed,         // writing, forcing to disk or the final rename failed
};

struct ReplaceResult {
    ReplaceStatus status;
    int error;  // errno of the failure; 0 when it gave none
};

// Writes `content` to a new file beside `path`, forces it to disk and renames
// it over `path`, so that `path` names either its old file or the whole new
// one, never a part of it. An existing file keeps its permission bits; a new
// one gets those that the process's file-creation mask allows. When `path`
// is a symbolic link, the file it points to is replaced. On failure the new
// file is removed and `path` is left as it was.
ReplaceResult replace_file(const std::string& path, std::string_view content);

// Forces the file's data to the storage device. Returns false on failure.
bool sync_descriptor(int fd);

// Forces the folder entry of `path` to the storage device, so that a rename
// survives a crash of the machine. Best effort: failures are ignored.
void sync_parent_folder(const std::string& path);

}  // namespace platform

namespace platform {

// Cuts the open file to its first `size` bytes (the stream is flushed
// first); false when that fails.
bool truncate_file(std::FILE* file, unsigned long long size);

}  // namespace platform
