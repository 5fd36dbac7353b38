#include "utils/platform/FileLock.h"

#include <cerrno>
#include <fcntl.h>

namespace platform {

LockResult try_lock_whole_file(int fd, LockKind kind) {
    struct flock request {};
    request.l_type = kind == LockKind::shared ? F_RDLCK : F_WRLCK;
    request.l_whence = SEEK_SET;
    request.l_start = 0;
    request.l_len = 0;  // to the end of the file and beyond
    request.l_pid = 0;  // required for open-file-description locks
    if (fcntl(fd, F_OFD_SETLK, &request) == 0) return LockResult::locked;
    switch (errno) {
        case EACCES:
        case EAGAIN: return LockResult::conflict;
        case ENOLCK:
        case EOPNOTSUPP:
        case EINVAL: return LockResult::unsupported;
        default: return LockResult::failed;
    }
}

bool descriptor_readable(int fd) {
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0) return false;
    const int access = flags & O_ACCMODE;
    return access == O_RDONLY || access == O_RDWR;
}

}  // namespace platform
