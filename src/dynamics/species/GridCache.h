#pragma once
// Species grids kept in files between runs: the permittivity as text, the
// potential as binary doubles.
//
// The values come first, exactly as they always have (n³ of them, index
// order), so any reader that takes the first n³ values still reads them.
// After them the writer records the grid they belong to, its cells per edge
// and its step, and the readers compare that with the grid being built: a
// cache of another grid size or step would otherwise be read as a scrambled
// grid. A cache without that record is taken when it holds exactly n³
// values, and refused when it holds more or fewer.
//
// Text: the values, then the line "# grid %d cells per edge, step %.17g m".
// Binary: the n³ doubles, then 16 bytes: "ZGRD", the cells per edge as a
// 32-bit integer and the step as a double, all in the machine's byte order
// (a cache from a machine of the other byte order is refused).
#include <cstdio>
#include <optional>
#include <span>
#include <vector>

#include "dynamics/species/NumberText.h"

struct GridShape {
    int n;     // cells per edge
    double h;  // cell size, metres
    std::size_t cells() const { return n > 0 ? static_cast<std::size_t>(n) * n * n : 0; }
};

// Text grid: for each i, for each j, the n values of k each written in
// `style` and followed by "\t", then "\n"; after each i an extra "\n". In
// the C locale. False when writing failed.
bool write_text_grid(std::FILE* file, std::span<const double> values, int n, NumberStyle style);

// The line that records the grid after the values of a text cache.
bool write_text_shape(std::FILE* file, const GridShape& shape);

// The n³ values of a text cache of this shape, read with "%le" in order
// (the layout is not checked); none when a value does not parse, or when
// the file goes on with anything but the matching record.
std::optional<std::vector<double>> read_text_grid(std::FILE* file, const GridShape& shape);

// Binary cache: the values, then the record.
bool write_binary_grid(std::FILE* file, std::span<const double> values, const GridShape& shape);

// The n³ doubles of a binary cache of this shape; none when the file is
// shorter, or goes on with anything but the matching record.
std::optional<std::vector<double>> read_binary_grid(std::FILE* file, const GridShape& shape);
