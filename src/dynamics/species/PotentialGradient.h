#pragma once
// The gradient of a species' potential grid (V/m; the gradient itself, not
// its negative: the force on a charge q is −e·q·gradient).
#include <span>
#include <vector>

#include "utils/geometry/POINT3D.h"

// Central differences over two cells in every cell with i, j and k all in
// 1..n-2; zero in the grid's outer layer. `pot` has n³ cells (volts), h is
// the cell size in metres.
std::vector<POINT3D> potential_gradient(std::span<const double> pot, int n, double h);
