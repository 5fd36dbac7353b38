#include "dynamics/species/GridMargin.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <stdexcept>

#include "dynamics/species/GridIndex.h"
#include "utils/Log.h"

namespace grid_margin {
namespace {

// Cells between index `i` (any integer) and the nearer face of n cells.
int to_faces(double i, int n) { return static_cast<int>(std::min(i, static_cast<double>(n - 1) - i)); }

void refuse(const PROT_CLASS& species, int m) {
    LOG_ERROR(
        "grid of %d cells too small for %s: its protein comes within %d cells of the faces, %d are needed "
        "(raise Physics.A or pot_n)",
        species.pot_n, species.name.c_str(), m, required);
    throw "grid too small";
}

}  // namespace

int atoms_margin(const PROT_CLASS& species, double h) {
    const int n = species.pot_n;
    if (n <= 0) return -1;
    int result = to_faces(n / 2, n);
    for (const ATOM& atom : species.atoms)
        for (const double c : {atom.x, atom.y, atom.z}) {
            const double cell = std::floor(c / h + static_cast<double>(n / 2));
            result = std::min(result, std::isfinite(cell) ? to_faces(std::clamp(cell, -1e6, 1e6), n) : -1);
        }
    return result;
}

int margin(const PROT_CLASS& species, double h) {
    const int n = species.pot_n;
    int result = atoms_margin(species, h);
    if (n <= 0) return result;
    const std::size_t cells = static_cast<std::size_t>(n) * n * n;
    if (species.eps.size() < cells) throw std::logic_error("the shape steps need the species' permittivity grid");
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            for (int k = 0; k < n; ++k)
                if (!(species.eps[static_cast<std::size_t>(lin(n, i, j, k))] > solvent_level))
                    result = std::min({result, to_faces(i, n), to_faces(j, n), to_faces(k, n)});
    return result;
}

void check_size(const PROT_CLASS& species, double h) {
    const int m = atoms_margin(species, h);
    if (m < required) refuse(species, m);
}

void check(const PROT_CLASS& species, double h) {
    const int m = margin(species, h);
    if (m < required) refuse(species, m);
}

}  // namespace grid_margin
