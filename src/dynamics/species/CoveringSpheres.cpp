// The covering spheres of a species: read from its spheres file, or
// generated from its permittivity grid and atoms and written to that file.
#include <algorithm>
#include <cstdio>

#include "dynamics/PDcalc.h"
#include "dynamics/ProcessGlobals.h"
#include "dynamics/species/SphereCandidates.h"
#include "dynamics/species/SphereFitting.h"
#include "dynamics/species/SphereSelection.h"
#include "dynamics/species/SpheresFile.h"
#include "utils/Log.h"
#include "utils/ReadText.h"
#include "utils/WriteText.h"
#include "utils/fopen_s.h"

namespace {

constexpr const char* spheres_key = "spheres";
constexpr const char* spheres_pattern = "%s.spheres";

}  // namespace

bool PDcalc::read_spheres(PROT_CLASS& species) {
    const auto name = make_prot_filename(species, spheres_key, spheres_pattern, std::nullopt);
    if (!name) return false;
    LOG_MESSAGE("reading %s ...", name->c_str());
    const auto text = read_text_file(*name);
    if (!text) {
        LOG_WARNING("%s wasn't open", name->c_str());
        return false;
    }
    species.spheres = covering_spheres::parse_spheres(*text, species);
    species.spheres_n = static_cast<std::int32_t>(species.spheres.size());
    // A file without spheres is no cache: nothing would ever collide.
    if (species.spheres_n < 1) {
        LOG_WARNING("no spheres read");
        return false;
    }
    // Nor is one with a sphere that no generator makes ("nan", "inf", a
    // radius of 0 or less): the collision tests would go wrong with it.
    if (!std::all_of(species.spheres.begin(), species.spheres.end(), covering_spheres::usable)) {
        LOG_WARNING("incorrect file %s", name->c_str());
        species.spheres.clear();
        species.spheres_n = 0;
        return false;
    }
    LOG_MESSAGE("%d spheres read", species.spheres_n);
    return true;
}

void PDcalc::spheres_gen(PROT_CLASS& species) {
    double r_plus = 0.0;
    if (config) config->GetDouble(r_plus, "Calculation.sphere_r_plus");
    r_plus /= h / 2.0;  // in half-cells
    LOG_MESSAGE("generating spheres radii ...");
    const int n = species.pot_n;
    std::vector<SPHERE> spheres;
    {
        const covering_spheres::CandidateGrid candidates =
            covering_spheres::candidate_grid(species.eps, n, r_plus, species.atoms, h);
        LOG_MESSAGE("%d possible spheres", candidates.protein_cells);
        LOG_MESSAGE("generating cell scores ...");
        std::vector<double> weight = covering_spheres::atom_cell_weights(candidates, n);
        LOG_MESSAGE("generating spheres list ...");
        spheres = covering_spheres::select_spheres(candidates, weight, species.eps, n, h);
        LOG_MESSAGE("%d spheres listed", static_cast<int>(spheres.size()));
    }
    LOG_MESSAGE("searching for redundant spheres ...");
    const int removed = covering_spheres::fit_spheres(spheres, species.atoms, h);
    LOG_MESSAGE("%d redundant spheres removed", removed);

    const std::optional<std::string> name = make_prot_filename(species, spheres_key, spheres_pattern, std::nullopt);
    FilePtr file;
    if (processorID == 0 && name) {
        file = fopen_share(*name, "w+", no_overwrite, true);
        if (file) LOG_MESSAGE("writing %s ...", name->c_str());
    }

    species.spheres.clear();
    for (const SPHERE& s : spheres)
        if (s.r != 0.0) species.spheres.push_back(SPHERE{s, s.r + max_atom_r});
    std::string text;
    for (const SPHERE& s : species.spheres) text += covering_spheres::sphere_line(s, species);
    // With a cache the spheres are taken as later runs will read them back
    // from it (in the file's frame and precision), so that a run that
    // generates them and a run that reads them go on alike.
    if (name) species.spheres = covering_spheres::parse_spheres(text, species);
    species.spheres_n = static_cast<std::int32_t>(species.spheres.size());
    if (file) {
        // A cache cut short would be trusted by later runs: remove it.
        const bool written = write_text(file.get(), text);
        file.reset();
        if (!written) {
            LOG_WARNING("failed to write %s", name->c_str());
            std::remove(name->c_str());
        }
    }
    LOG_MESSAGE("finished with %d spheres", species.spheres_n);
}
