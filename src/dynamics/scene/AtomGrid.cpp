#include "dynamics/scene/AtomGrid.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

// The grid never has more cells than this per atom (and at least a few
// thousand in all): a long, thin or sparse species gets wider cells.
constexpr double max_cells_per_atom = 8.0;
constexpr double min_cell_budget = 4096.0;
// Cell edge for atoms without radius.
constexpr double smallest_cell = 1e-12;

std::int32_t cells_along(double span, double inv_cell) { return static_cast<std::int32_t>(span * inv_cell) + 1; }

// The cell along one axis of a coordinate of an atom of the grid.
std::int32_t cell_of(double coordinate, double origin, double inv_cell, std::int32_t n) {
    return std::min(static_cast<std::int32_t>((coordinate - origin) * inv_cell), n - 1);
}

// The cells [first, last] along one axis that a probe reaching from `low` to
// `high` touches; false when it misses the grid (or is not a number).
bool cell_range(double low, double high, double origin, double inv_cell, std::int32_t n, std::int32_t& first,
                std::int32_t& last) {
    const double a = (low - origin) * inv_cell;
    const double b = (high - origin) * inv_cell;
    if (!(b >= 0.0 && a < static_cast<double>(n))) return false;
    first = a > 0.0 ? static_cast<std::int32_t>(a) : 0;
    last = b < static_cast<double>(n - 1) ? static_cast<std::int32_t>(b) : n - 1;
    return true;
}

}  // namespace

AtomGrid make_atom_grid(const std::vector<ATOM>& atoms) {
    AtomGrid grid;
    if (atoms.empty()) return grid;

    POINT3D low{atoms[0].x, atoms[0].y, atoms[0].z};
    POINT3D high = low;
    for (const ATOM& a : atoms) {
        low = {std::min(low.x, a.x), std::min(low.y, a.y), std::min(low.z, a.z)};
        high = {std::max(high.x, a.x), std::max(high.y, a.y), std::max(high.z, a.z)};
        grid.max_r = std::max(grid.max_r, a.r);
        grid.reach = std::max(grid.reach, std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z) + a.r);
    }
    const POINT3D span = high - low;
    const double budget = std::max(min_cell_budget, max_cells_per_atom * static_cast<double>(atoms.size()));
    double cell = std::max(2.0 * grid.max_r, smallest_cell);
    const auto cells_for = [&](double edge) {
        return (span.x / edge + 1.0) * (span.y / edge + 1.0) * (span.z / edge + 1.0);
    };
    while (cells_for(cell) > budget) cell *= 1.25;

    grid.origin = low;
    grid.inv_cell = 1.0 / cell;
    grid.nx = cells_along(span.x, grid.inv_cell);
    grid.ny = cells_along(span.y, grid.inv_cell);
    grid.nz = cells_along(span.z, grid.inv_cell);
    const auto cells = static_cast<std::size_t>(grid.nx) * static_cast<std::size_t>(grid.ny) *
                       static_cast<std::size_t>(grid.nz);

    // Counting sort by cell.
    std::vector<std::size_t> cell_of_atom(atoms.size());
    grid.cell_first.assign(cells + 1, 0);
    for (std::size_t k = 0; k < atoms.size(); ++k) {
        const ATOM& a = atoms[k];
        const auto i = static_cast<std::size_t>(cell_of(a.x, low.x, grid.inv_cell, grid.nx));
        const auto j = static_cast<std::size_t>(cell_of(a.y, low.y, grid.inv_cell, grid.ny));
        const auto l = static_cast<std::size_t>(cell_of(a.z, low.z, grid.inv_cell, grid.nz));
        cell_of_atom[k] = (i * static_cast<std::size_t>(grid.ny) + j) * static_cast<std::size_t>(grid.nz) + l;
        ++grid.cell_first[cell_of_atom[k] + 1];
    }
    for (std::size_t c = 0; c < cells; ++c) grid.cell_first[c + 1] += grid.cell_first[c];
    std::vector<std::int32_t> next(grid.cell_first.begin(), grid.cell_first.end() - 1);
    grid.atoms.resize(atoms.size());
    for (std::size_t k = 0; k < atoms.size(); ++k) {
        const ATOM& a = atoms[k];
        grid.atoms[static_cast<std::size_t>(next[cell_of_atom[k]]++)] = {a.x, a.y, a.z, a.r};
    }
    return grid;
}

bool AtomGrid::overlaps(const POINT3D& centre, double r) const {
    const double reach_here = r + max_r;
    std::int32_t i0, i1, j0, j1, k0, k1;
    if (!cell_range(centre.x - reach_here, centre.x + reach_here, origin.x, inv_cell, nx, i0, i1) ||
        !cell_range(centre.y - reach_here, centre.y + reach_here, origin.y, inv_cell, ny, j0, j1) ||
        !cell_range(centre.z - reach_here, centre.z + reach_here, origin.z, inv_cell, nz, k0, k1))
        return false;
    const Atom* sorted = atoms.data();
    const std::int32_t* first = cell_first.data();
    for (std::int32_t i = i0; i <= i1; ++i) {
        for (std::int32_t j = j0; j <= j1; ++j) {
            // Cells k0..k1 of one row hold one run of atoms.
            const std::size_t row = (static_cast<std::size_t>(i) * static_cast<std::size_t>(ny) +
                                     static_cast<std::size_t>(j)) * static_cast<std::size_t>(nz);
            const std::int32_t end = first[row + static_cast<std::size_t>(k1) + 1];
            for (std::int32_t a = first[row + static_cast<std::size_t>(k0)]; a < end; ++a) {
                const Atom& t = sorted[a];
                const double dx = t.x - centre.x, dy = t.y - centre.y, dz = t.z - centre.z;
                const double limit = t.r + r;
                if (dx * dx + dy * dy + dz * dz < limit * limit) return true;
            }
        }
    }
    return false;
}
