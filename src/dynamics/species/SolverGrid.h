#pragma once
// The memory of the potential solver's grids: ordinary memory, offered for
// large pages before it is first written (platform::advise_large_pages),
// whose elements are left as the memory has them (default-initialised), so
// that making a grid writes nothing. The solver's threads zero the grids
// in shares before the sweeps, all at once, rather than one thread writing
// tens of megabytes before the others start.
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "utils/platform/Memory.h"

template <class T>
struct SolverPages : std::allocator<T> {
    using value_type = T;
    template <class U>
    struct rebind {
        using other = SolverPages<U>;
    };

    SolverPages() = default;
    template <class U>
    SolverPages(const SolverPages<U>&) noexcept {}

    T* allocate(std::size_t n) {
        T* block = std::allocator<T>::allocate(n);
        // Before the first write, which is when the system picks the pages.
        platform::advise_large_pages(block, n * sizeof(T));
        return block;
    }

    template <class U>
    void construct(U* at) noexcept {
        ::new (static_cast<void*>(at)) U;
    }
    template <class U, class... Args>
    void construct(U* at, Args&&... args) {
        ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
    }

    template <class U>
    bool operator==(const SolverPages<U>&) const noexcept {
        return true;
    }
};

using SolverGrid = std::vector<double, SolverPages<double>>;
