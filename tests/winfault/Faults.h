#pragma once
// Processor faults made on purpose, for the reporter's tests. Every access
// and every result is volatile, so the optimiser keeps each one, also when
// the caller drops the result, and the fault reaches the processor; the sanitizers' checks are left out of these functions, since
// they would stop the program before the fault.
#include <cstddef>
#include <stdexcept>

#include <sys/mman.h>

namespace faults {

#define FAULTS_UNCHECKED [[gnu::noinline]] __attribute__((no_sanitize("address", "undefined")))

FAULTS_UNCHECKED inline int read_null() {
    volatile int* volatile pointer = nullptr;
    return *pointer;
}

// Reads through `pointer` (with the check that the compiler would otherwise
// place there left out).
FAULTS_UNCHECKED inline int read_at(const volatile char* pointer) { return *pointer; }

FAULTS_UNCHECKED inline void write_read_only_page() {
    void* page = ::mmap(nullptr, 4096, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (page == MAP_FAILED) throw std::runtime_error("mmap failed");
    *static_cast<volatile char*>(page) = 1;
}

FAULTS_UNCHECKED inline int divide_by_zero() {
    volatile int numerator = 1;
    volatile int zero = 0;
    volatile int quotient = numerator / zero;
    return quotient;
}

inline volatile int recursion_limit = 1 << 30;

FAULTS_UNCHECKED inline int overflow_stack(int depth) {
    volatile char frame[4096];
    frame[0] = static_cast<char>(depth);
    if (depth < recursion_limit) frame[1] = static_cast<char>(overflow_stack(depth + 1));
    return frame[0] + frame[1];
}

[[gnu::noinline]] inline void illegal_instruction() { __builtin_trap(); }

#undef FAULTS_UNCHECKED

}  // namespace faults
