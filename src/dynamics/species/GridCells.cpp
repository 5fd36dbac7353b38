#include "dynamics/species/GridCells.h"

#include <cmath>

#include "utils/Log.h"

namespace {

std::optional<int> cell_index(int n, double h, double coordinate) {
    const double index = std::trunc(coordinate / h + static_cast<double>(n / 2));
    // Also false for a coordinate that is not a number.
    if (!(index >= 0.0 && index < static_cast<double>(n))) return std::nullopt;
    return static_cast<int>(index);
}

template <class Atoms>
int count_outside(const Atoms& atoms, int n, double h) {
    int outside = 0;
    for (const ATOM& a : atoms)
        if (!grid_cell(n, h, POINT3D{a.x, a.y, a.z})) ++outside;
    return outside;
}

}  // namespace

std::optional<GridCell> grid_cell(int n, double h, const POINT3D& p) {
    const auto i = cell_index(n, h, p.x);
    const auto j = cell_index(n, h, p.y);
    const auto k = cell_index(n, h, p.z);
    if (!i || !j || !k) return std::nullopt;
    return GridCell{*i, *j, *k};
}

OutsideGrid report_outside_grid(const PROT_CLASS& species, double h) {
    const OutsideGrid outside{count_outside(species.atoms, species.pot_n, h),
                              count_outside(species.charges, species.pot_n, h)};
    if (outside.atoms > 0 || outside.charges > 0)
        LOG_WARNING("%d of %d atoms and %d of %d charges of %s lie outside the grid of %d cells per edge; "
                    "the grids leave them out",
                    outside.atoms, static_cast<int>(species.atoms.size()), outside.charges,
                    static_cast<int>(species.charges.size()), species.name.c_str(), species.pot_n);
    return outside;
}
