#include "visualization/PotentialColour.h"

#include <cmath>
#include <cstddef>

#include "dynamics/species/GridCell.h"

bool grid_readable(const PotentialGridView& grid) {
    if (grid.pot_n <= 0 || !(grid.step > 0) || !std::isfinite(grid.step)) return false;
    const auto n = static_cast<std::size_t>(grid.pot_n);
    return grid.values.size() / n / n == n && grid.values.size() == n * n * n;
}

double potential_at(const PotentialGridView& grid, const CVector& p) {
    if (!grid_readable(grid)) return 0.0;
    const auto i = axis_cell(p.x, grid.pot_n, grid.step);
    const auto j = axis_cell(p.y, grid.pot_n, grid.step);
    const auto k = axis_cell(p.z, grid.pot_n, grid.step);
    if (!i || !j || !k) return 0.0;
    const auto n = static_cast<std::size_t>(grid.pot_n);
    return grid.values[(static_cast<std::size_t>(*i) * n + static_cast<std::size_t>(*j)) * n +
                       static_cast<std::size_t>(*k)];
}

std::array<double, 3> potential_colour(double w, double largest, double pot_m) {
    double b = std::pow(std::fabs(w) / largest, pot_m);
    if (!(b >= 0.0)) b = 0.0;
    if (b > 1.0) b = 1.0;
    return {w >= 0 ? 1 - b : 1, 1 - b, w <= 0 ? 1 - b : 1};
}
