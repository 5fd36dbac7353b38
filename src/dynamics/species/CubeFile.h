#pragma once
// A species grid as a cube file, the volumetric text format that molecular
// viewers read: two title lines, the atom count and the grid's origin, the
// cell count and step of each axis, one line per atom, then the values with
// x outermost and z innermost, six to a line and each row of z on lines of
// its own. Lengths are in bohr.
//
// The origin is the centre of the first cell, so a viewer places every
// value at the centre of the cell it belongs to.
#include <cstdio>
#include <span>
#include <string_view>

#include "dynamics/species/ATOM.h"

// Metres to bohr.
inline constexpr double bohr_per_metre = 18897259890.0;

// Writes the grid of n cells per edge and cell size h (metres); `title` is
// the second line, with its line end. False when writing failed.
bool write_cube(std::FILE* file, std::string_view title, std::span<const ATOM> atoms, std::span<const double> values,
                int n, double h);
