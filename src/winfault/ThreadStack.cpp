#include "winfault/ThreadStack.h"

#include <algorithm>

#include <pthread.h>

namespace winfault {

namespace {

constexpr std::size_t least_reach = std::size_t{1} << 20;
// The lowest page of the stack counts too (the smallest page size, so that
// nothing above the stack's last page is taken for its end).
constexpr std::size_t lowest_page = 4096;

}  // namespace

StackBounds current_thread_stack() {
    pthread_attr_t attributes;
    if (::pthread_getattr_np(::pthread_self(), &attributes) != 0) return {};
    StackBounds stack;
    void* low = nullptr;
    std::size_t size = 0;
    std::size_t guard = 0;
    if (::pthread_attr_getstack(&attributes, &low, &size) == 0 &&
        ::pthread_attr_getguardsize(&attributes, &guard) == 0) {
        stack.low = reinterpret_cast<std::uintptr_t>(low);
        stack.guard = guard;
    }
    ::pthread_attr_destroy(&attributes);
    return stack;
}

bool is_stack_overflow(const StackBounds& stack, std::uintptr_t address) {
    if (stack.low == 0) return false;
    const std::uintptr_t reach = std::max(stack.guard, least_reach);
    const std::uintptr_t bottom = stack.low > reach ? stack.low - reach : 0;
    return address >= bottom && address < stack.low + lowest_page;
}

}  // namespace winfault
