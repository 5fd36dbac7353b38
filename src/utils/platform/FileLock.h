#pragma once
// Advisory whole-file locks on open descriptors.
//
// Locks are open-file-description locks: they belong to the descriptor that
// took them, so closing some other descriptor of the same file (for example a
// quick existence check) does not drop them, and they conflict with the locks
// of every other opener, in this process or another.

namespace platform {

enum class LockKind { shared, exclusive };

enum class LockResult {
    locked,       // the lock is held until the descriptor is closed
    conflict,     // another opener holds a conflicting lock
    unsupported,  // the filesystem does not support locks
    failed,       // any other refusal
};

// Requests the lock over the whole file without waiting.
LockResult try_lock_whole_file(int fd, LockKind kind);

// Whether the descriptor was opened with read access.
bool descriptor_readable(int fd);

}  // namespace platform
