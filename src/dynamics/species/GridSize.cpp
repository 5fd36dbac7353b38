#include "dynamics/species/GridSize.h"

#include <cmath>

#include "dynamics/PDcalc.h"
#include "dynamics/species/GridMargin.h"
#include "utils/Log.h"

int automatic_grid_size(double A, double r_max, double h) {
    const double half = std::ceil((A * 1e-10 + r_max) / h);
    // Far beyond any grid that fits in memory; the allocation then refuses it.
    constexpr double largest_half = 1 << 20;
    return 2 * static_cast<int>(half < largest_half ? half : largest_half);
}

void choose_grid_size(const PDcalc& engine, PROT_CLASS& species) {
    const int automatic = automatic_grid_size(engine.A, species.r_max, engine.h);
    species.pot_n = automatic;
    species.section->GetInt(species.pot_n, "pot_n");
    if (species.pot_n < automatic)
        LOG_WARNING("pot_n=%d < automatic value %d", species.pot_n, automatic);
    else
        LOG_MESSAGE("pot_n=%d", species.pot_n);
    grid_margin::check_size(species, engine.h);
}
