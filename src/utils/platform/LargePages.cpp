#include "utils/platform/LargePages.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

namespace platform {

namespace {

std::size_t rounded_up(std::size_t bytes) { return (bytes + large_page_bytes - 1) / large_page_bytes * large_page_bytes; }

}  // namespace

void* map_large(std::size_t bytes) {
    const std::size_t size = rounded_up(bytes);
    if (size < bytes || size + large_page_bytes < size) throw std::bad_alloc();
    // One alignment more than needed, then the unaligned ends are returned.
    void* mapped = mmap(nullptr, size + large_page_bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + large_page_bytes - 1) / large_page_bytes * large_page_bytes;
    const std::size_t head = aligned - start;
    if (head > 0) munmap(mapped, head);
    const std::size_t tail = large_page_bytes - head;
    if (tail > 0) munmap(reinterpret_cast<void*>(aligned + size), tail);
    void* block = reinterpret_cast<void*>(aligned);
#ifdef MADV_HUGEPAGE
    madvise(block, size, MADV_HUGEPAGE);
#endif
    return block;
}

void unmap_large(void* block, std::size_t bytes) noexcept { munmap(block, rounded_up(bytes)); }

}  // namespace platform
