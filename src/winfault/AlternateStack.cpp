#include "winfault/AlternateStack.h"

#include <cerrno>
#include <cstring>

#include <sys/mman.h>
#include <unistd.h>

namespace winfault {

namespace {

std::size_t page_size() {
    const long page = ::sysconf(_SC_PAGESIZE);
    return page > 0 ? static_cast<std::size_t>(page) : 4096;
}

std::string failure(const char* call) { return std::string(call) + ": " + std::strerror(errno); }

}  // namespace

AlternateStack::AlternateStack() {
    const std::size_t guard = page_size();
    mapping_size_ = size + guard;
    void* mapping = ::mmap(nullptr, mapping_size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_STACK,
                           -1, 0);
    if (mapping == MAP_FAILED) {
        error_ = failure("mmap");
        return;
    }
    mapping_ = mapping;
    // The lowest page stays inaccessible: a handler that overruns the stack
    // faults instead of writing over whatever lies below.
    if (::mprotect(mapping_, guard, PROT_NONE) != 0) {
        error_ = failure("mprotect");
        return;
    }
    stack_t stack{};
    stack.ss_sp = static_cast<char*>(mapping_) + guard;
    stack.ss_size = size;
    if (::sigaltstack(&stack, &previous_) != 0) {
        error_ = failure("sigaltstack");
        return;
    }
    installed_ = true;
}

AlternateStack::~AlternateStack() {
    if (installed_) {
        stack_t current{};
        if (::sigaltstack(nullptr, &current) == 0 && (current.ss_flags & SS_ONSTACK) != 0) return;
        ::sigaltstack(&previous_, nullptr);
    }
    if (mapping_ != nullptr) ::munmap(mapping_, mapping_size_);
}

}  // namespace winfault
