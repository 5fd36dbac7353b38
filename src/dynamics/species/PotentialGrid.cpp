// The species' potential grid and its gradient: the potential read from its
// binary cache, or solved by the relaxation and written as the cache, a
// text table and a cube file.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "dynamics/PDcalc.h"
#include "dynamics/ProcessGlobals.h"
#include "dynamics/species/CubeFile.h"
#include "dynamics/species/GridCache.h"
#include "dynamics/species/GridCell.h"
#include "dynamics/species/PotentialGradient.h"
#include "dynamics/species/Relaxation.h"
#include "utils/Format.h"
#include "utils/Log.h"
#include "utils/fopen_s.h"
#include "utils/platform/Process.h"

namespace {

// 4π, and the potential of one elementary charge at one ångström in vacuum
// (volts, to the figures the grids have always used): sources are 4π·q per
// ångström of cell size, and the relaxed grid times this is in volts.
constexpr double four_pi = 12.566370614359172;
constexpr double volts_per_unit = 14.39;

// A last sweep that still changes the largest value of the potential by
// more than this part of it leaves a potential that has clearly not
// converged: the sweeps shrink the remaining error by at most a few parts in
// a thousand each, so the error left is hundreds of times that change.
constexpr double unconverged_change = 1e-4;

}  // namespace

void PDcalc::prot_electrostatics(PROT_CLASS& species) {
    if (!read_eps(species)) eps_calc(species);
    const auto name =
        make_prot_filename(species, "pot_bin", format("%%s.I=%.0f.pH=%.0f.pot_bin", I, pH), runtime_folder);
    if (!read_pot(species, name)) pot_calc(species, name);
    const std::vector<POINT3D> gradient = potential_gradient(species.pot, species.pot_n, h);
    species.field.assign(gradient.begin(), gradient.end());
}

bool PDcalc::read_pot(PROT_CLASS& species, const std::optional<std::string>& name) {
    if (!name) return false;
    LOG_MESSAGE("reading %s ...", name->c_str());
    const FilePtr file(std::fopen(name->c_str(), "rb"));
    if (!file) {
        LOG_WARNING("%s wasn't open", name->c_str());
        return false;
    }
    auto grid = read_binary_grid(file.get(), GridShape{species.pot_n, h});
    // A value that is not finite would reach the forces through the gradient.
    const auto finite = [](double value) { return std::isfinite(value); };
    if (!grid || !std::all_of(grid->begin(), grid->end(), finite)) {
        LOG_WARNING("incorrect file %s", name->c_str());
        species.pot.clear();
        return false;
    }
    species.pot = std::move(*grid);
    return true;
}

void PDcalc::pot_calc(PROT_CLASS& species, const std::optional<std::string>& name) {
    const int n = species.pot_n;
    const GridShape shape{n, h};
    LOG_MESSAGE("calculating potential ...");
    if (species.eps.size() != shape.cells())
        throw std::logic_error("the potential of " + species.name + " needs its permittivity grid");

    std::vector<double> source(shape.cells(), 0.0);
    int outside = 0;
    for (const ATOM& charge : species.charges) {
        if (const auto cell = grid_cell(POINT3D{charge.x, charge.y, charge.z}, n, h))
            source[cell->index(n)] += four_pi * charge.q / (h * 1e10);
        else
            ++outside;
    }
    if (outside > 0)
        LOG_WARNING("%d charges of %s lie outside its grid of %d cells per edge and are left out of its potential",
                    outside, species.name.c_str(), n);

    const Relaxation relaxation(species.eps, source, n, 2e20 * h * h * kappa2);
    const Relaxation::Result relaxed = relaxation.run(species.iterations, platform::usable_processors());
    species.pot.resize(shape.cells());
    for (std::size_t p = 0; p < species.pot.size(); ++p) species.pot[p] = volts_per_unit * relaxed.grid[p];
    if (species.iterations > 0 && n >= 3) {
        LOG_MESSAGE("the last of %d sweeps changed the potential by %.2e of its largest value", species.iterations,
                    relaxed.relative_change);
        if (relaxed.relative_change > unconverged_change)
            LOG_WARNING("the potential of %s has not converged in %d sweeps; raise Calculation.N", species.name.c_str(),
                        species.iterations);
    }
    if (processorID != 0) return;

    if (const auto text = make_prot_filename(species, "pot", format("%%s.i=%.0f.pot", I), out_folder)) {
        if (const FilePtr file = fopen_share(*text, "w+", no_overwrite, true)) {
            LOG_MESSAGE("writing %s ...", text->c_str());
            if (!write_text_grid(file.get(), species.pot, n, "%e\t") || std::fflush(file.get()) != 0)
                LOG_WARNING("error writing %s", text->c_str());
        }
    }
    if (const auto cube = make_prot_filename(species, "pot_cube", format("%%s.i=%.0f.pot.cube", I), out_folder)) {
        if (const FilePtr file = fopen_share(*cube, "w+", no_overwrite, true)) {
            LOG_MESSAGE("writing %s ...", cube->c_str());
            const std::string title = format("Electrostatic field for %s, I=%g, pH=%g\n", species.name.c_str(), I, pH);
            if (!write_cube(file.get(), title, species.atoms, species.pot, n, h))
                LOG_WARNING("error writing %s", cube->c_str());
        }
    }
    if (name) {
        if (const FilePtr file = fopen_share(*name, "wb+", no_overwrite, true)) {
            LOG_MESSAGE("writing %s ...", name->c_str());
            if (!write_binary_grid(file.get(), species.pot, shape)) LOG_WARNING("error writing %s", name->c_str());
        }
    }
}
