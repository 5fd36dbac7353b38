#pragma once
// The size of a species' grids.
#include "dynamics/species/PROT_CLASS.h"

class PDcalc;

// The automatic size: enough cells to hold the species' atoms (reaching
// r_max, metres) with the margin A (ångström) on every side,
// 2 · ceil((A · 1e-10 + r_max) / h), always even.
int automatic_grid_size(double A, double r_max, double h);

// Sets `pot_n` to the automatic size or to the key "pot_n" as given (with a
// warning when it is below the automatic size). A grid too small to hold
// the shape steps' box around its centre cell and the atoms is an error,
// thrown as "grid too small", before any grid is computed.
void choose_grid_size(const PDcalc& engine, PROT_CLASS& species);
