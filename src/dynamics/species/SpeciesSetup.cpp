// The set-up of one species from its configuration section: keys, structure,
// principal axes and ellipsoid, friction, grid size, grids and shapes.
#include "dynamics/PDcalc.h"
#include "dynamics/scene/AtomGrid.h"
#include "dynamics/species/AxesSetup.h"
#include "dynamics/species/GridSize.h"
#include "dynamics/species/PrincipalAxes.h"
#include "dynamics/species/SpeciesKeys.h"
#include "utils/Log.h"

void PDcalc::init_prot(PROT_CLASS& species, Section* section) {
    read_species_keys(*this, species, section);
    const AxesStart axes = start_axes(*this, species);
    // The structure is written once, in the frame it ends in: a read before
    // the axis search is only the search's input.
    pdb_read(species, !axes.search);
    if (settle_axes(*this, species, axes)) {
        LOG_MESSAGE("Re-reading PDB ...");
        pdb_read(species);
        const principal_axes::BodyMoments m = principal_axes::body_moments(species.atoms);
        LOG_MESSAGE("Ix=%e\tIy=%e\tIz=%e", m.Ix, m.Iy, m.Iz);
    } else if (axes.search) {
        // The search found no axes: the frame stays, and so does the structure.
        pdb_read(species);
    }
    set_friction(species, v);
    choose_grid_size(*this, species);
    prot_electrostatics(species);
    prot_geometry(species);
    // The step loop's tables of the final atoms and charges: a restored
    // experiment does not pass through the scene set-up, which would make them.
    species.atom_grid = make_atom_grid(species.atoms);
    species.drift_charges = make_drift_charges(species.charges);
    species.eps.clear();
    species.eps.shrink_to_fit();
    LOG_MESSAGE("--------------------------------");
}
