#pragma once
// Working directory and path resolution.
#include <optional>
#include <string>

namespace platform {

// The absolute path of an existing file or folder, with every symbolic link,
// "." and ".." resolved; none when the path does not exist or cannot be read.
std::optional<std::string> real_path(const std::string& path);

// The absolute path of `path` as far as it exists, with the rest (names that
// do not exist yet) appended lexically. Always defined.
std::string resolved_as_far_as_possible(const std::string& path);

// The folder part of a path: everything before its last '/' ("/" for a file
// in the root folder; "" for a bare name).
std::string folder_part(const std::string& path);

// Changes the working directory. Returns 0, or the system call's non-zero
// result (-1).
int change_directory(const std::string& path);

// The working directory; none when it cannot be read.
std::optional<std::string> current_directory();

}  // namespace platform
