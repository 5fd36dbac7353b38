#pragma once
// Cells of a species' grid as the shape steps see them.
//
// A grid of n cells per edge and step h is centred on the body origin: cell
// (i, j, k) has the integer offsets (i − n/2, j − n/2, k − n/2) from the
// centre cell (n/2 an integer quotient) and its centre at (offset + 0.5) · h
// on each axis.
namespace shape_grid {

// The cell index along one axis of a body coordinate: trunc(c / h + n/2),
// truncation toward zero; −1 when that lies outside 0 … n − 1 (or the
// coordinate is not finite). The range is tested before the conversion.
inline int cell_of(double coordinate, double h, int n) {
    const double t = coordinate / h + static_cast<double>(n / 2);
    if (!(t > -1.0 && t < static_cast<double>(n))) return -1;
    return static_cast<int>(t);
}

// The body coordinate of the centre of cell `index` along one axis.
inline double centre_of(int index, double h, int n) { return ((index - n / 2) + 0.5) * h; }

}  // namespace shape_grid
