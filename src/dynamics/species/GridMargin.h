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

// The fewest whole cells between the grid's faces and its centre cell or
// any atom centre (negative for an atom outside the grid).
int atoms_margin(const PROT_CLASS& species, double h);

// The same, counting every non-solvent cell of the permittivity grid too.
int margin(const PROT_CLASS& species, double h);

// Log an error and throw the character string "grid too small" when the
// margin is below `required`: `check_size` once the grid size is chosen and
// before any grid exists, `check` once the permittivity grid exists.
void check_size(const PROT_CLASS& species, double h);
void check(const PROT_CLASS& species, double h);

}  // namespace grid_margin
