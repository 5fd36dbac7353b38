#pragma once
// One species: a kind of protein with its atoms and charges, principal axes
// and friction, electrostatic grids and collision shapes.
//
// Body frame: origin at the centre of mass, axes the columns of `rot`, body z
// the long axis of the equivalent prolate ellipsoid. An atom at structure-file
// position P (ångström) has the body coordinates b = 1e-10 · rotᵀ · (P −
// mass_center) (species/BodyFrame.h). Every position kept here is in the body
// frame and in metres unless its comment says otherwise.
//
// Grids are cubic with `pot_n` cells per edge and cell size h (the engine's
// grid step), centred on the body origin; a grid of doubles or vectors is one
// flat array indexed by lin(pot_n, i, j, k) (species/GridIndex.h), i along
// body x, j along y, k along z.
//
// The species array is allocated once by the preparation and never resized:
// `reserved` is a restart block registered by its address.
#include <cstdint>
#include <string>
#include <vector>

#include "dynamics/scene/AtomGrid.h"
#include "dynamics/scene/DriftCharges.h"
#include "dynamics/species/ATOM.h"
#include "dynamics/species/RESIDUE.h"
#include "utils/geometry/POINT3D.h"
#include "utils/geometry/SPHERE.h"
#include "utils/platform/LargePages.h"

class Section;

struct PROT_CLASS {
    bool move = false;            // instances move (key "move")
    std::int32_t reserved = 0;    // a 4-byte restart block; nothing else uses it
    std::int32_t N = 0;           // number of instances (key "N")

    // Surface cell flags, 1 for cells counted as inside the protein: a box of
    // cells_nx × cells_ny × cells_nz flags, flat with x outermost and z
    // innermost (cells_index, species/GridIndex.h). The box's first cell is
    // (cells_ox, cells_oy, cells_oz) grid cells from the grid's centre cell.
    std::vector<std::int32_t> cells;
    std::int32_t cells_nx = 0;
    std::int32_t cells_ny = 0;
    std::int32_t cells_nz = 0;
    std::int32_t cells_ox = 0;
    std::int32_t cells_oy = 0;
    std::int32_t cells_oz = 0;

    std::vector<POINT3D> surf_points;  // surface points
    std::int32_t surf_points_n = 0;

    double r_outer = 0;  // outer radius of the broad collision test
    double r_inner = 0;  // inner radius of the broad collision test

    std::int32_t atoms_n = 0;
    std::vector<ATOM> atoms;
    std::int32_t charges_n = 0;
    std::vector<ATOM> charges;  // copies of the atoms with |q| >= min_charge
    // The charges laid out for the drift, made from `charges` once they are
    // final (make_drift_charges, scene/DriftCharges.h).
    DriftCharges drift_charges;
    std::int32_t residues_n = 0;
    std::vector<RESIDUE> residues;
    // Per atom the output line of the structure dumps, its coordinate
    // columns blank; pdb_line_at (species/PdbLines.h) fills them.
    std::vector<std::string> pdb_lines;

    std::vector<double> pot;     // electrostatic potential, volts, pot_n³ cells
    // Gradient of pot, V/m, pot_n³ cells. The drift reads it at random
    // across the whole grid at every step, so it is kept on huge pages where
    // the system grants them.
    std::vector<POINT3D, platform::LargePageAllocator<POINT3D>> field;

    std::int32_t spheres_n = 0;
    std::vector<SPHERE> spheres;  // covering spheres

    std::string name;                // species name
    Section* section = nullptr;      // the species' configuration subsection (not owned)
    double mass = 0;                 // atomic mass units
    POINT3D mass_center{};           // structure-file coordinates, ångström
    double r_max = 0;                // largest atom-centre distance from the centre of mass
    double rot[3][3] = {};           // row-major; principal axes as columns, column 2 the long axis
    double rot_inv[3][3] = {};       // inverse of rot

    double ell_a = 0;    // long semi-axis of the equivalent prolate ellipsoid (body z)
    double ell_b = 0;    // short semi-axis (body x and y)
    double ell_p = 0;    // axial ratio ell_a / ell_b
    double r_equiv = 0;  // radius of the sphere of equal volume
    double f_trans_a = 0;  // translational friction along body z
    double f_trans_b = 0;  // translational friction along body x and y
    double f_rot_a = 0;    // rotational friction about body z
    double f_rot_b = 0;    // rotational friction about body x and y

    std::vector<double> eps;  // relative permittivity, pot_n³ cells; only during the set-up
    std::int32_t pot_n = 0;   // cells per edge of the grids
    std::int32_t iterations = 0;  // relaxation sweeps of the potential solver
    double max_grad = 0;      // V/m; +infinity when not configured
    double limit_grad = 0;    // V/m; +infinity when not configured
    std::int32_t index = 0;        // position in the engine's species array
    std::int32_t compartment = 0;  // index of the species' compartment

    // The atoms sorted into cells for the atom collision stage, made from
    // `atoms` once they are final (make_atom_grid, scene/AtomGrid.h).
    AtomGrid atom_grid;
};
