#pragma once
// Colouring of a species' surface by its electrostatic potential: positive
// potential shades towards blue, negative towards red, zero stays white.
#include <array>

#include "visualization/CVector.h"
#include "visualization/SceneDescription.h"

// Whether `grid` can be read: a positive cell count and step and exactly
// pot_n³ values.
bool grid_readable(const PotentialGridView& grid);

// The potential of the cell that holds body position `p` (Å); 0 for a
// position outside the grid (or not finite) and for a grid that cannot be
// read.
double potential_at(const PotentialGridView& grid, const CVector& p);

// Red, green, blue for potential `w` when `largest` is the largest magnitude
// over the mesh: B = (|w| / largest)^pot_m, clamped to [0, 1] (a value that
// is no number counts as 0), then (w >= 0 ? 1 − B : 1, 1 − B, w <= 0 ? 1 − B : 1).
std::array<double, 3> potential_colour(double w, double largest, double pot_m);
