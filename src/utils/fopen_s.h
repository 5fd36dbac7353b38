#pragma once
// The one way the system opens its output files.
#include <string>

#include "utils/File.h"
#include "utils/platform/FileLock.h"

// Opens `name` with the C stream `mode` ("r", "w", "a", each optionally with
// "b" and "+"). With `no_overwrite` an existing file is refused untouched
// ("file already exists: %s"); otherwise an existing file is reported
// ("overwriting file %s"); `report` switches both notices off. The open file
// carries a non-blocking advisory lock for as long as it stays open: shared
// when the mode allows reading, exclusive otherwise. A file that is to be
// truncated is truncated only after the lock is held, so a file locked by
// another program is refused with its content untouched. On a filesystem
// without lock support the file is used unlocked after a single warning.
// Devices (/dev/null, /dev/full) and pipes are opened unlocked and never cut.
// Every failure is a warning and a null result.
FilePtr fopen_share(const std::string& name, const char* mode, bool no_overwrite, bool report);

namespace fopen_share_detail {
using LockFunction = platform::LockResult (*)(int fd, platform::LockKind kind);
// Replaces the lock request (tests simulate filesystems without locks); null
// restores the platform's.
void set_lock_function(LockFunction function);
}  // namespace fopen_share_detail
