#pragma once
// Whether a species' grid leaves room around its protein for the shape
// steps: the surface cells are looked at in a box five cells wider than the
// protein on every side, together with their neighbours, so every
// non-solvent cell and every atom centre must lie at least six cells inside
// the grid's faces.
#include "dynamics/species/PROT_CLASS.h"

namespace grid_margin {

inline constexpr int required = 6;
inline constexpr double solvent_level = 79.0;  // eps above: solvent

// The fewest whole cells between the grid's faces and its centre cell, any
// non-solvent cell or any atom centre (negative for an atom outside).
int margin(const PROT_CLASS& species, double h);

// Logs an error and throws the character string "grid too small" when the
// margin is below `required`.
void check(const PROT_CLASS& species, double h);

// The same for the grid size alone, before the grid exists: the centre
// cell's margin (a grid below 13 cells can hold nothing).
void check_size(const PROT_CLASS& species);

}  // namespace grid_margin
