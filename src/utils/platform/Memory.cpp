#include "utils/platform/Memory.h"

#include <cstdint>

#include <sys/mman.h>
#include <unistd.h>

namespace platform {

void advise_large_pages(void* begin, std::size_t bytes) {
#if defined(MADV_HUGEPAGE)
    // The advice takes whole pages: those that lie entirely in the range.
    const long page = ::sysconf(_SC_PAGESIZE);
    if (page <= 0 || begin == nullptr) return;
    const auto size = static_cast<std::uintptr_t>(page);
    const auto first = (reinterpret_cast<std::uintptr_t>(begin) + size - 1) / size * size;
    const auto end = reinterpret_cast<std::uintptr_t>(begin) + bytes;
    if (end <= first) return;
    // A refusal leaves the memory as it was, which is all the caller needs.
    (void)::madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
#else
    (void)begin;
    (void)bytes;
#endif
}

}  // namespace platform
