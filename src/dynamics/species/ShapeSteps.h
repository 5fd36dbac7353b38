#pragma once
// The shape step of a species' set-up: covering spheres, surface points and
// cells, and the radii of the broad collision test, for the collision stages
// the run uses.
#include "dynamics/species/PROT_CLASS.h"

class PDcalc;

struct ShapeStages {
    bool spheres = false;  // the first narrow stage tests covering spheres
    bool surface = false;  // the first narrow stage tests surface cells
    bool atoms = false;    // a second narrow stage tests atoms
};

// What PDcalc::prot_geometry does for the stages the engine is set to: calls
// the engine's velmesh_surface hook when set; refuses a grid too small for
// the shapes; with the sphere stage reads the species' spheres or generates
// them and reports every atom centre the spheres leave out; builds the
// surface points and cells; sets r_outer to the reach of the atoms (atom
// stage) or of the spheres (sphere stage), else keeps the surface's, and
// r_inner to the largest sphere radius beyond its centre's distance unless
// the surface stage keeps the surface's.
void build_shapes(PDcalc& engine, PROT_CLASS& species, const ShapeStages& stages);
