#pragma once
// The relative permittivity of every cell of a species' grid: solvent (80)
// where a solvent probe reaches from the grid's first corner, protein (2)
// elsewhere, and a boundary layer (40) of protein cells touching the solvent.
#include <span>
#include <vector>

#include "dynamics/species/ATOM.h"

namespace permittivity {

inline constexpr double protein = 2.0;
inline constexpr double boundary = 40.0;
inline constexpr double solvent = 80.0;

struct Fill {
    std::vector<double> eps;  // n³ cells, lin(n, i, j, k)
    int atoms_outside = 0;    // atoms whose centre lies outside the grid (they have no cell)
};

// The grid of n cells per edge and cell size h (metres) around `atoms`, for
// a probe whose squared radius is `probe_r2` (square metres):
// 1. every cell protein, the corner cell (0, 0, 0) solvent;
// 2. passes over the cells (i, then j, then k ascending, in place) until a
//    pass adds none: a protein cell becomes solvent when a cell of the
//    3 × 3 × 3 block around it is above 3.0 and every atom centre lies
//    farther than the probe radius from its centre; each pass logs
//    "added %d solvent accessible cells";
// 3. a protein cell off the grid's outer layer with a solvent cell among its
//    26 neighbours becomes boundary;
// 4. the cell holding an atom's centre becomes protein.
Fill fill(std::span<const ATOM> atoms, int n, double h, double probe_r2);

}  // namespace permittivity
