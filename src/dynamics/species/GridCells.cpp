#include "dynamics/species/GridCells.h"

#include "dynamics/species/GridCell.h"
#include "utils/Log.h"

namespace {

template <class Atoms>
int count_outside(const Atoms& atoms, int n, double h) {
    int outside = 0;
    for (const ATOM& a : atoms)
        if (!grid_cell(POINT3D{a.x, a.y, a.z}, n, h)) ++outside;
    return outside;
}

}  // namespace

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
