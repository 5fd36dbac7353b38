#pragma once
// Memory for large arrays that are read at random, such as a species' field
// grid of tens of megabytes: blocks of 2 MiB and more are mapped on their
// own, aligned to 2 MiB and offered to the system for huge pages before
// their first use, so that reads scattered over the whole block do not each
// miss the address translation cache. Smaller blocks come from the ordinary
// allocator. The request for huge pages is only advice: where the system
// does not grant it the memory is the same, only slower to reach.
#include <cstddef>
#include <memory>

namespace platform {

inline constexpr std::size_t large_page_bytes = std::size_t{2} << 20;

// A block of at least `bytes` (>= large_page_bytes), zero-filled, aligned to
// large_page_bytes; throws std::bad_alloc when the system has no memory.
void* map_large(std::size_t bytes);
// Returns a block of map_large with the size it was asked for.
void unmap_large(void* block, std::size_t bytes) noexcept;

template <class T>
struct LargePageAllocator {
    using value_type = T;

    LargePageAllocator() = default;
    template <class U>
    LargePageAllocator(const LargePageAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) {
        if (n >= large_page_bytes / sizeof(T)) return static_cast<T*>(map_large(n * sizeof(T)));
        return std::allocator<T>{}.allocate(n);
    }
    void deallocate(T* block, std::size_t n) noexcept {
        if (n >= large_page_bytes / sizeof(T))
            unmap_large(block, n * sizeof(T));
        else
            std::allocator<T>{}.deallocate(block, n);
    }

    template <class U>
    bool operator==(const LargePageAllocator<U>&) const noexcept {
        return true;
    }
};

}  // namespace platform
