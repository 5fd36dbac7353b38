#pragma once
// Flat indices of the species' grids.
#include <cstddef>

#include "dynamics/species/PROT_CLASS.h"

// Cell (i, j, k) of a cubic grid with n cells per edge: i outermost, k
// innermost.
constexpr int lin(int n, int i, int j, int k) { return n * (i * n + j) + k; }

// Cell (x, y, z) of a species' surface cell box, counted from the box's first
// cell.
inline std::size_t cells_index(const PROT_CLASS& s, int x, int y, int z) {
    return (static_cast<std::size_t>(x) * static_cast<std::size_t>(s.cells_ny) + static_cast<std::size_t>(y)) *
               static_cast<std::size_t>(s.cells_nz) +
           static_cast<std::size_t>(z);
}
