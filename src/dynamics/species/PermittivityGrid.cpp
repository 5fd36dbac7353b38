// The species' permittivity grid: read from its text cache, or computed and
// written as the cache and a cube file.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "dynamics/PDcalc.h"
#include "dynamics/ProcessGlobals.h"
#include "dynamics/species/CubeFile.h"
#include "dynamics/species/GridCache.h"
#include "dynamics/species/PermittivityFill.h"
#include "utils/Format.h"
#include "utils/Log.h"
#include "utils/fopen_s.h"

bool PDcalc::read_eps(PROT_CLASS& species) {
    const auto name = make_prot_filename(species, "epsilon", "%s.epsilon", runtime_folder);
    if (!name) return false;
    LOG_MESSAGE("reading %s ...", name->c_str());
    const FilePtr file(std::fopen(name->c_str(), "r"));
    if (!file) {
        LOG_WARNING("%s wasn't open", name->c_str());
        return false;
    }
    auto grid = read_text_grid(file.get(), GridShape{species.pot_n, h});
    // Permittivities are positive numbers; a "nan" or a 0 would spoil the
    // potential of the whole grid.
    const auto permittivity = [](double e) { return std::isfinite(e) && e > 0.0; };
    if (!grid || !std::all_of(grid->begin(), grid->end(), permittivity)) {
        LOG_WARNING("incorrect file %s", name->c_str());
        species.eps.clear();
        return false;
    }
    species.eps = std::move(*grid);
    return true;
}

void PDcalc::eps_calc(PROT_CLASS& species) {
    const int n = species.pot_n;
    double probe_r = solvent_r;
    if (species.section != nullptr) species.section->GetDouble(probe_r, "solvent_r");
    const double probe_r2 = probe_r * probe_r * 1e-20;
    LOG_MESSAGE("calculating epsilon ...");
    permittivity::Fill fill = permittivity::fill(species.atoms, n, h, probe_r2);
    species.eps = std::move(fill.eps);
    if (fill.atoms_outside > 0)
        LOG_WARNING("%d atoms of %s lie outside its grid of %d cells per edge and do not mark their cells",
                    fill.atoms_outside, species.name.c_str(), n);

    if (const auto name = make_prot_filename(species, "epsilon_cube", "%s.epsilon.cube", out_folder);
        name && processorID == 0) {
        if (const FilePtr file = fopen_share(*name, "w+", no_overwrite, true)) {
            LOG_MESSAGE("writing %s ...", name->c_str());
            const std::string title = format("Relative permittivity for %s\n", species.name.c_str());
            if (!write_cube(file.get(), title, species.atoms, species.eps, n, h))
                LOG_WARNING("error writing %s", name->c_str());
        }
    }
    // The cache is replaced whatever the no-overwrite switch says: it is the
    // program's own file, not an output.
    if (const auto name = make_prot_filename(species, "epsilon", "%s.epsilon", runtime_folder);
        name && processorID == 0) {
        if (const FilePtr file = fopen_share(*name, "w", false, false)) {
            LOG_MESSAGE("writing %s ...", name->c_str());
            if (!write_text_grid(file.get(), species.eps, n, "%.0f\t") ||
                !write_text_shape(file.get(), GridShape{n, h}) || std::fflush(file.get()) != 0)
                LOG_WARNING("error writing %s", name->c_str());
        }
    }
}
