#include "utils/platform/FileReplace.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool path_exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

RenameResult from_errno() { return errno == EEXIST ? RenameResult::exists : RenameResult::failed; }

}  // namespace

RenameResult rename_no_replace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return RenameResult::renamed;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return from_errno();

    // The filesystem cannot refuse a rename: a hard link can (it fails on an
    // existing name), then the temporary name is dropped.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return RenameResult::renamed;
    }
    if (errno == EEXIST) return RenameResult::exists;

    // Neither is supported (some network and removable filesystems).
    if (path_exists(to)) return RenameResult::exists;
    return std::rename(from.c_str(), to.c_str()) == 0 ? RenameResult::renamed : RenameResult::failed;
}

bool sync_descriptor(int fd) {
    while (::fsync(fd) != 0) {
        if (errno == EINTR) continue;
        // Some special files (pipes, terminals) cannot be synchronised; there
        // is nothing on a device to wait for.
        return errno == EINVAL;
    }
    return true;
}

void sync_parent_folder(const std::string& path) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    const std::string folder = parent.empty() ? std::string(1, '.') : parent.string();
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace platform
