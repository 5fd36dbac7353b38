#pragma once
// Cells of a species' cubic grid and body positions.
//
// A grid has n cells per edge and cell size h, centred on the body origin:
// with c = n / 2 (integer division), cell (i, j, k) reaches from (i − c)·h to
// (i + 1 − c)·h along x (likewise j along y, k along z), so its centre is
// at ((i + 0.5 − c)·h, ...). A body position lies in the cell
// trunc(x / h + c) along each axis.
#include <cstddef>
#include <optional>

#include "dynamics/species/GridIndex.h"
#include "utils/geometry/POINT3D.h"

struct GridCell {
    int i;
    int j;
    int k;
    std::size_t index(int n) const { return static_cast<std::size_t>(lin(n, i, j, k)); }
    bool operator==(const GridCell&) const = default;
};

// The centre of cell `cell` along one axis, metres.
inline double cell_centre(int cell, int n, double h) { return (cell + 0.5 - n / 2) * h; }

// The cell along one axis that holds `coordinate`; none when it lies outside
// the grid (the range is tested before truncation, so a coordinate just below
// the grid's lower face is outside and not in cell 0; non-finite coordinates
// are outside).
inline std::optional<int> axis_cell(double coordinate, int n, double h) {
    const double t = coordinate / h + static_cast<double>(n / 2);
    if (!(t >= 0.0 && t < static_cast<double>(n))) return std::nullopt;
    return static_cast<int>(t);
}

// The cell that holds a body position; none outside the grid.
inline std::optional<GridCell> grid_cell(const POINT3D& position, int n, double h) {
    const auto i = axis_cell(position.x, n, h);
    const auto j = axis_cell(position.y, n, h);
    const auto k = axis_cell(position.z, n, h);
    if (!i || !j || !k) return std::nullopt;
    return GridCell{*i, *j, *k};
}
