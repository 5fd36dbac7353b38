#pragma once
// What the signal layer hands the fault translator about one fault: the
// shape of the exception record of the platform the translator was first
// written for.
#include <array>
#include <cstdint>

namespace winfault {

struct FaultRecord {
    std::uint32_t code = 0;               // the exception code (FaultCodes.h)
    std::uint32_t flags = 0;              // always 0 here: every fault is reported, none continued
    const FaultRecord* chained = nullptr;  // never set here: a fault inside the reporter ends the process
    std::uintptr_t address = 0;           // the instruction that faulted
    std::uint32_t parameter_count = 0;    // how many of `parameters` are set
    // For a memory fault: [0] non-zero for a write, zero for a read;
    // [1] the address that was accessed.
    std::array<std::uintptr_t, 2> parameters{};
};

}  // namespace winfault
