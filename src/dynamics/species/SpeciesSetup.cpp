// The set-up of one species from its configuration section: keys, structure,
// principal axes and ellipsoid, friction, grid size, grids and shapes.
#include "dynamics/PDcalc.h"
#include "dynamics/species/AxesSetup.h"
#include "dynamics/species/GridSize.h"
#include "dynamics/species/PrincipalAxes.h"
#include "dynamics/species/SpeciesKeys.h"
#include "utils/Log.h"

void PDcalc::init_prot(PROT_CLASS& species, Section* section) {
    read_species_keys(*this, species, section);
    const AxesStart axes = start_axes(*this, species);
    pdb_read(species);
    if (settle_axes(*this, species, axes)) {
        LOG_MESSAGE("Re-reading PDB ...");
        pdb_read(species);
        const principal_axes::BodyMoments m = principal_axes::body_moments(species.atoms);
        LOG_MESSAGE("Ix=%e\tIy=%e\tIz=%e", m.Ix, m.Iy, m.Iz);
    }
    set_friction(species, v);
    choose_grid_size(*this, species);
    prot_electrostatics(species);
    prot_geometry(species);
    species.drift_charges = make_drift_charges(species.charges);
    species.eps.clear();
    species.eps.shrink_to_fit();
    LOG_MESSAGE("--------------------------------");
}
