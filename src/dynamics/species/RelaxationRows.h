#pragma once
// The relaxation's inner loop over cells in uniform surroundings (the cell
// and its six neighbours of one permittivity, no source):
//
//   new = (((x− + x+) + (y− + y+)) + (k− + k+)) · factor
//
// with x∓, y∓, k∓ the old values of the neighbours along i, j and k. Every
// version below computes each cell by exactly these operations, so the
// choice of version never changes a bit of the result.
//
// The grids are laid out for these loops: rows of `row` cells (k = −7 ..),
// `plane` cells per plane, and cell k = 1 of every row at the start of a
// 64-byte line, so that eight cells from k = 1 + 8m on share one line.
#include <cstddef>

struct RowLayout {
    std::ptrdiff_t row;    // cells from one row to the next
    std::ptrdiff_t plane;  // cells from one plane to the next
};

// Whether this processor runs the eight-lane version.
bool eight_lanes_available();

// Cells begin..end−1 along k of `rows` consecutive rows in each of `planes`
// consecutive planes; `in` and `out` point at cell k = 0 of the first row of
// the first plane in the old and the new grid. `eight_lanes` asks for the
// eight-lane version (where available).
void uniform_rows(const double* in, double* out, RowLayout layout, int planes, int rows, int begin, int end,
                  double factor, bool eight_lanes);
