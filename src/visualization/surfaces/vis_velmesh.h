#pragma once
// Display surfaces: the shape files the viewer's engine writes while it
// prepares a species, set on the engine as its display hooks.
//   velmesh_surface  the species' atoms as a sphere file ("velmesh", in
//                    runtime_folder), velmesh run on it, and its vertex and
//                    face files turned into the shape file "surface" (in
//                    vis_folder);
//   surf_cells_save  the faces of the species' surface cells that border
//                    solvent as the shape file "cells" (in vis_folder).
// Both run on the preparing thread; what goes wrong is logged as warnings
// and leaves the shape file absent or as it was.
#include <vector>

class PDcalc;
struct PROT_CLASS;

void velmesh_surface(PROT_CLASS& species, PDcalc& engine);

void surf_cells_save(PROT_CLASS& species, PDcalc& engine, int count, const std::vector<int>& x,
                     const std::vector<int>& y, const std::vector<int>& z);

// Sets both hooks on `engine` (before its prepare).
void set_display_hooks(PDcalc& engine);
