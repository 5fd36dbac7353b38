#pragma once
// The cells of a species' grid that lie away from its atoms: where the
// charges of a partner meet the potential, and so where the potential has
// to be right.
#include <cstdint>
#include <span>
#include <vector>

#include "dynamics/species/ATOM.h"

// The n³ cells of the grid with cell size h (index lin(n, i, j, k)): 1 for a
// cell whose centre lies farther than `distance` from every atom centre,
// else 0.
std::vector<std::uint8_t> cells_far_from_atoms(std::span<const ATOM> atoms, int n, double h, double distance);
