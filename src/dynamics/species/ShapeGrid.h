#pragma once
// Centres of the cells of a species' grid.
//
// A grid of n cells per edge and step h is centred on the body origin: cell
// (i, j, k) has the integer offsets (i − n/2, j − n/2, k − n/2) from the
// centre cell (n/2 an integer quotient) and its centre at (offset + 0.5) · h
// on each axis.
namespace shape_grid {

// The body coordinate of the centre of cell `index` along one axis.
inline double centre_of(int index, double h, int n) { return ((index - n / 2) + 0.5) * h; }

}  // namespace shape_grid
