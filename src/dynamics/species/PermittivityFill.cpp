#include "dynamics/species/PermittivityFill.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "dynamics/species/GridCell.h"
#include "utils/Log.h"

namespace permittivity {

namespace {

// Cells whose centre lies within the probe radius of some atom centre
// (squared distance not above probe_r2): the probe cannot stand there. Each
// atom marks only the cells around it, with the same distance test as a
// comparison of every cell with every atom.
std::vector<std::uint8_t> probe_blocked(std::span<const ATOM> atoms, int n, double h, double probe_r2) {
    std::vector<std::uint8_t> blocked(static_cast<std::size_t>(n) * n * n, 0);
    const double reach = std::sqrt(probe_r2);
    // The cells along one axis whose centres may lie within `reach` of x,
    // one cell wider on each side than needed; empty when none.
    auto range = [&](double x, int& first, int& last) {
        const double c = static_cast<double>(n / 2);
        const double low = std::max(std::floor((x - reach) / h + c - 0.5) - 1.0, 0.0);
        const double high = std::min(std::ceil((x + reach) / h + c - 0.5) + 1.0, static_cast<double>(n - 1));
        if (!(low <= high)) return false;
        first = static_cast<int>(low);
        last = static_cast<int>(high);
        return true;
    };
    for (const ATOM& atom : atoms) {
        if (!std::isfinite(atom.x) || !std::isfinite(atom.y) || !std::isfinite(atom.z)) continue;
        int i0, i1, j0, j1, k0, k1;
        if (!range(atom.x, i0, i1) || !range(atom.y, j0, j1) || !range(atom.z, k0, k1)) continue;
        for (int i = i0; i <= i1; ++i) {
            const double dx = cell_centre(i, n, h) - atom.x;
            for (int j = j0; j <= j1; ++j) {
                const double dy = cell_centre(j, n, h) - atom.y;
                for (int k = k0; k <= k1; ++k) {
                    const double dz = cell_centre(k, n, h) - atom.z;
                    if (!(dx * dx + dy * dy + dz * dz > probe_r2)) blocked[static_cast<std::size_t>(lin(n, i, j, k))] = 1;
                }
            }
        }
    }
    return blocked;
}

// Whether a cell of the 3 × 3 × 3 block around (i, j, k), cells outside the
// grid left out, is above `level`.
bool block_above(const std::vector<double>& eps, int n, int i, int j, int k, double level) {
    for (int a = std::max(i - 1, 0); a <= std::min(i + 1, n - 1); ++a)
        for (int b = std::max(j - 1, 0); b <= std::min(j + 1, n - 1); ++b)
            for (int c = std::max(k - 1, 0); c <= std::min(k + 1, n - 1); ++c)
                if (eps[static_cast<std::size_t>(lin(n, a, b, c))] > level) return true;
    return false;
}

// Step 2: one pass of the solvent fill; returns the cells it added.
int solvent_pass(std::vector<double>& eps, const std::vector<std::uint8_t>& blocked, int n) {
    int added = 0;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            for (int k = 0; k < n; ++k) {
                const auto p = static_cast<std::size_t>(lin(n, i, j, k));
                if (!(eps[p] < 79.0) || blocked[p] != 0 || !block_above(eps, n, i, j, k, 3.0)) continue;
                eps[p] = solvent;
                ++added;
            }
    return added;
}

// Step 3: the boundary layer. A cell set here is not above 79.0, so the
// order of the cells does not matter.
void boundary_layer(std::vector<double>& eps, int n) {
    for (int i = 1; i < n - 1; ++i)
        for (int j = 1; j < n - 1; ++j)
            for (int k = 1; k < n - 1; ++k) {
                const auto p = static_cast<std::size_t>(lin(n, i, j, k));
                if (eps[p] < 3.0 && block_above(eps, n, i, j, k, 79.0)) eps[p] = boundary;
            }
}

}  // namespace

Fill fill(std::span<const ATOM> atoms, int n, double h, double probe_r2) {
    Fill result;
    if (n <= 0) return result;
    result.eps.assign(static_cast<std::size_t>(n) * n * n, protein);
    result.eps[0] = solvent;
    const std::vector<std::uint8_t> blocked = probe_blocked(atoms, n, h, probe_r2);
    for (;;) {
        const int added = solvent_pass(result.eps, blocked, n);
        LOG_MESSAGE("added %d solvent accessible cells", added);
        if (added == 0) break;
    }
    boundary_layer(result.eps, n);
    for (const ATOM& atom : atoms) {
        if (const auto cell = grid_cell(POINT3D{atom.x, atom.y, atom.z}, n, h))
            result.eps[cell->index(n)] = protein;
        else
            ++result.atoms_outside;
    }
    return result;
}

}  // namespace permittivity
