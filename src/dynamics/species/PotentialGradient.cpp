#include "dynamics/species/PotentialGradient.h"

#include <cstddef>

#include "dynamics/species/GridIndex.h"

std::vector<POINT3D> potential_gradient(std::span<const double> pot, int n, double h) {
    std::vector<POINT3D> field(n > 0 ? static_cast<std::size_t>(n) * n * n : 0, POINT3D{0.0, 0.0, 0.0});
    const std::ptrdiff_t plane = static_cast<std::ptrdiff_t>(n) * n;
    const double two_h = 2.0 * h;
    for (int i = 1; i < n - 1; ++i)
        for (int j = 1; j < n - 1; ++j)
            for (int k = 1; k < n - 1; ++k) {
                const std::ptrdiff_t p = lin(n, i, j, k);
                field[static_cast<std::size_t>(p)] = POINT3D{(pot[p + plane] - pot[p - plane]) / two_h,
                                                             (pot[p + n] - pot[p - n]) / two_h,
                                                             (pot[p + 1] - pot[p - 1]) / two_h};
            }
    return field;
}
