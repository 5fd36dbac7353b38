#pragma once
// The atoms and charges of a species that lie outside its grids (cells by
// grid_cell, dynamics/species/GridCell.h): the grids leave them out rather
// than write outside their arrays.
#include "dynamics/species/PROT_CLASS.h"

struct OutsideGrid {
    int atoms = 0;
    int charges = 0;
};

// Counts the species' atoms and charges that have no cell in its grid
// (`pot_n` cells of `h` metres) and logs a warning when there are any.
OutsideGrid report_outside_grid(const PROT_CLASS& species, double h);
