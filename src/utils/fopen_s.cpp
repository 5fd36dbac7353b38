#include "utils/fopen_s.h"

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <string_view>
#include <unistd.h>
#include <utility>

#include "utils/Log.h"

namespace {

std::atomic<fopen_share_detail::LockFunction> lock_function{platform::try_lock_whole_file};
std::atomic<bool> unsupported_lock_reported{false};

struct OpenMode {
    int flags = 0;
    bool truncate = false;
};

// Translates a C stream mode into open(2) flags; truncation is kept apart so
// that it can follow the lock.
std::optional<OpenMode> parse_mode(std::string_view mode) {
    if (mode.empty()) return std::nullopt;
    const bool update = mode.find('+') != std::string_view::npos;
    for (const char c : mode.substr(1))
        if (c != '+' && c != 'b') return std::nullopt;
    switch (mode.front()) {
        case 'r': return OpenMode{update ? O_RDWR : O_RDONLY, false};
        case 'w': return OpenMode{(update ? O_RDWR : O_WRONLY) | O_CREAT, true};
        case 'a': return OpenMode{(update ? O_RDWR : O_WRONLY) | O_CREAT | O_APPEND, false};
        default: return std::nullopt;
    }
}

// Devices, pipes and the like are neither locked nor cut: they have no
// content that another program could be writing at the same time, and
// /dev/null or /dev/full take the truncating modes as plain writes, as fopen
// does.
bool is_regular_file(int fd) {
    struct stat status {};
    return ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
}

bool file_exists(const std::string& name) {
    FilePtr probe(std::fopen(name.c_str(), "rb"));
    return probe != nullptr;
}

// A descriptor that closes itself unless released to a stream.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

bool lock_descriptor(int fd, const std::string& name) {
    const auto kind = platform::descriptor_readable(fd) ? platform::LockKind::shared : platform::LockKind::exclusive;
    switch (lock_function.load()(fd, kind)) {
        case platform::LockResult::locked: return true;
        case platform::LockResult::unsupported:
            if (!unsupported_lock_reported.exchange(true))
                LOG_WARNING("file locks are not supported for %s; output files are opened without locks",
                            name.c_str());
            return true;
        case platform::LockResult::conflict:
        case platform::LockResult::failed: break;
    }
    LOG_WARNING("could not lock %s", name.c_str());
    return false;
}

}  // namespace

FilePtr fopen_share(const std::string& name, const char* mode, bool no_overwrite, bool report) {
    if (file_exists(name)) {
        if (no_overwrite) {
            if (report) LOG_WARNING("file already exists: %s", name.c_str());
            return nullptr;
        }
        if (report) LOG_WARNING("overwriting file %s", name.c_str());
    }
    const auto open_mode = parse_mode(mode != nullptr ? mode : "");
    if (!open_mode) {
        LOG_WARNING("could not open %s", name.c_str());
        return nullptr;
    }
    Descriptor fd(::open(name.c_str(), open_mode->flags | O_CLOEXEC, 0666));
    if (fd.get() < 0) {
        LOG_WARNING("could not open %s", name.c_str());
        return nullptr;
    }
    const bool regular = is_regular_file(fd.get());
    if (regular && !lock_descriptor(fd.get(), name)) return nullptr;
    if (open_mode->truncate && regular && ::ftruncate(fd.get(), 0) != 0) {
        LOG_WARNING("could not open %s", name.c_str());
        return nullptr;
    }
    FilePtr file(::fdopen(fd.get(), mode));
    if (file == nullptr) {
        LOG_WARNING("bad file descriptor for %s", name.c_str());
        return nullptr;
    }
    fd.release();
    return file;
}

namespace fopen_share_detail {
void set_lock_function(LockFunction function) {
    lock_function = function != nullptr ? function : platform::try_lock_whole_file;
    unsupported_lock_reported = false;
}
}  // namespace fopen_share_detail
