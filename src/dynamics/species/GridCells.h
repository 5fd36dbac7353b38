#pragma once
// The cells of a species' cubic grid that hold body positions, and the
// atoms and charges that lie outside the grid.
//
// Cell (i, j, k) of a grid of n cells of size h per edge holds the body
// position (x, y, z) with i = trunc(x/h + n/2), j and k alike (n/2 in integer
// division, truncation towards zero). A position whose index falls outside
// 0..n-1 has no cell: the grids must leave it out rather than write outside
// their arrays.
#include <array>
#include <optional>

#include "dynamics/species/PROT_CLASS.h"
#include "utils/geometry/POINT3D.h"

using GridCell = std::array<int, 3>;

// The cell of body position `p` (metres) in a grid of `n` cells of `h`
// metres per edge; none outside the grid (and for a position that is not a
// number).
std::optional<GridCell> grid_cell(int n, double h, const POINT3D& p);

struct OutsideGrid {
    int atoms = 0;
    int charges = 0;
};

// Counts the species' atoms and charges that have no cell in its grid
// (`pot_n` cells of `h` metres) and logs a warning when there are any.
OutsideGrid report_outside_grid(const PROT_CLASS& species, double h);
