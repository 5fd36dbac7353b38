#include "utils/platform/FileReplace.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform {

namespace {

bool path_exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

RenameResult from_errno() { return errno == EEXIST ? RenameResult::exists : RenameResult::failed; }

// A file of our own beside the one it will replace, removed unless kept.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& beside) {
        static std::atomic<unsigned> counter{0};
        // A fresh name for every attempt: a left-over file of a crashed run,
        // or the file of another process saving the same path, is never reused.
        for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
            name_ = beside + '.' + std::to_string(::getpid()) + '.' + std::to_string(counter++) + ".tmp";
            fd_ = ::open(name_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd_ < 0 && errno != EEXIST) break;
        }
        created_ = fd_ >= 0;
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (fd_ >= 0) ::close(fd_);
        if (created_ && !kept_) ::unlink(name_.c_str());
    }

    bool created() const { return created_; }
    int fd() const { return fd_; }
    const std::string& name() const { return name_; }
    // Closes the file; false when the close reports a failure.
    bool close() { return ::close(std::exchange(fd_, -1)) == 0; }
    // The file now has its final name and stays.
    void keep() { kept_ = true; }

private:
    std::string name_;
    int fd_ = -1;
    bool created_ = false;
    bool kept_ = false;
};

bool write_all(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (written == 0) {
            errno = ENOSPC;
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// The permission bits a new file gets: what the file-creation mask leaves of 0666.
mode_t permissions_of(int fd) {
    struct stat info {};
    return ::fstat(fd, &info) == 0 ? info.st_mode & 07777 : 0644;
}

// The file that a write to `path` should replace: the target of a symbolic link.
std::string replaced_file(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error)) return path;
    const std::filesystem::path target = std::filesystem::weakly_canonical(path, error);
    return error ? path : target.string();
}

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

ReplaceResult replace_file(const std::string& path, std::string_view content) {
    const std::string target = replaced_file(path);
    TemporaryFile temporary(target);
    if (!temporary.created()) return {ReplaceStatus::cannot_create, errno};

    struct stat existing {};
    const mode_t mode =
        ::stat(target.c_str(), &existing) == 0 ? existing.st_mode & 07777 : permissions_of(temporary.fd());
    errno = 0;
    const bool written = write_all(temporary.fd(), content) && ::fchmod(temporary.fd(), mode) == 0 &&
                         sync_descriptor(temporary.fd());
    const int write_error = errno;
    if (!temporary.close() || !written) return {ReplaceStatus::failed, written ? errno : write_error};
    if (std::rename(temporary.name().c_str(), target.c_str()) != 0) return {ReplaceStatus::failed, errno};
    temporary.keep();
    sync_parent_folder(target);
    return {ReplaceStatus::replaced, 0};
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

namespace platform {

bool truncate_file(std::FILE* file, unsigned long long size) {
    if (std::fflush(file) != 0) return false;
    return ::ftruncate(::fileno(file), static_cast<off_t>(size)) == 0;
}

}  // namespace platform
