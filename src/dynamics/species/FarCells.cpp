#include "dynamics/species/FarCells.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "dynamics/species/GridCell.h"

std::vector<std::uint8_t> cells_far_from_atoms(std::span<const ATOM> atoms, int n, double h, double distance) {
    if (n <= 0) return {};
    std::vector<std::uint8_t> far(static_cast<std::size_t>(n) * n * n, 1);
    const double reach2 = distance * distance;
    // The cells of one axis whose centres may lie within `distance` of x
    // (the distance test decides); none for a coordinate off the grid.
    auto axis_range = [&](double x, int& first, int& last) {
        const double low = std::ceil((x - distance) / h - 0.5 + n / 2);
        const double high = std::floor((x + distance) / h - 0.5 + n / 2);
        if (!(low <= high) || high < 0.0 || low > n - 1.0) return false;
        first = static_cast<int>(std::max(low, 0.0));
        last = static_cast<int>(std::min(high, n - 1.0));
        return true;
    };
    for (const ATOM& atom : atoms) {
        int i0, i1, j0, j1, k0, k1;
        if (!axis_range(atom.x, i0, i1) || !axis_range(atom.y, j0, j1) || !axis_range(atom.z, k0, k1)) continue;
        for (int i = i0; i <= i1; ++i) {
            const double dx = cell_centre(i, n, h) - atom.x;
            for (int j = j0; j <= j1; ++j) {
                const double dy = cell_centre(j, n, h) - atom.y;
                for (int k = k0; k <= k1; ++k) {
                    const double dz = cell_centre(k, n, h) - atom.z;
                    if (dx * dx + dy * dy + dz * dz <= reach2) far[static_cast<std::size_t>(lin(n, i, j, k))] = 0;
                }
            }
        }
    }
    return far;
}
