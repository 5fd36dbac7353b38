#include "surface/output/ReplacingFile.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace velmesh {

namespace {

constexpr std::size_t kBufferSize = 1 << 16;

std::string temporary_name(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    return target + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
}

}  // namespace

ReplacingFile::ReplacingFile(std::string target) : target_(std::move(target)) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = temporary_name(target_);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return;
        }
        stream_.reset(::fdopen(fd, "w"));
        if (stream_ == nullptr) {
            ::close(fd);
            ::unlink(name.c_str());
            return;
        }
        temporary_ = std::move(name);
        std::setvbuf(stream_.get(), nullptr, _IOFBF, kBufferSize);
        return;
    }
}

ReplacingFile::~ReplacingFile() {
    if (!temporary_.empty()) {
        stream_.reset();
        ::unlink(temporary_.c_str());
    }
}

bool ReplacingFile::finish(bool sync) {
    if (stream_ == nullptr) return false;
    bool ok = std::fflush(stream_.get()) == 0 && std::ferror(stream_.get()) == 0;
    if (sync) ok = ok && ::fsync(::fileno(stream_.get())) == 0;
    ok = std::fclose(stream_.release()) == 0 && ok;
    finished_ = ok;
    return ok;
}

bool ReplacingFile::replace_target() {
    if (!finished_ || temporary_.empty()) return false;
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) return false;
    temporary_.clear();
    return true;
}

bool sync_file_system_of(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::syncfs(fd) == 0;
    ::close(fd);
    return ok;
}

}  // namespace velmesh
