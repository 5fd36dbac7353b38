#pragma once
// One residue of a species: the smallest sphere around its atoms' centres
// and the range of its atoms.
#include <cstdint>
#include <type_traits>

#include "utils/geometry/POINT3D.h"

struct RESIDUE {
    POINT3D center;      // body frame, metres
    double r;            // metres
    std::int32_t first;  // index of its first atom
    std::int32_t last;   // index of its last atom, inclusive
};

static_assert(std::is_trivially_copyable_v<RESIDUE> && sizeof(RESIDUE) == 40,
              "residues are kept in contiguous arrays");
