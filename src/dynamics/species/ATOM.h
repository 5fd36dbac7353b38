#pragma once
// One atom of a species, in the species' body frame. The same record serves
// for all atoms and for the copies of the charged ones.
#include <cstdint>
#include <type_traits>

struct ATOM {
    double x;     // body frame, metres
    double y;
    double z;
    double r;     // radius, metres
    double q;     // charge, elementary charges
    double mass;  // atomic mass units
    std::int32_t serial;   // serial number in the structure file
    std::int32_t res_seq;  // residue sequence number in the structure file
    std::int32_t residue;  // 0-based index into the species' residues
};

static_assert(std::is_trivially_copyable_v<ATOM> && sizeof(ATOM) == 64, "atoms are kept in contiguous arrays");
