#pragma once
// Putting a completely written file in place under its final name.
#include <string>

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

// Forces the file's data to the storage device. Returns false on failure.
bool sync_descriptor(int fd);

// Forces the folder entry of `path` to the storage device, so that a rename
// survives a crash of the machine. Best effort: failures are ignored.
void sync_parent_folder(const std::string& path);

}  // namespace platform
