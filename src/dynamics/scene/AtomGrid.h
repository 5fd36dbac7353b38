#pragma once
// A cell list of a species' atoms in its body frame, for the atom collision
// stage: the atoms sorted into cubic cells about two atom radii wide, so
// that the atoms near a point are found by visiting a few cells instead of
// every atom.
//
// The grid is derived from the atoms once they are final (species set-up,
// or the scene preparation for a species that has none yet) and never
// changes during a run; a grid that does not match its species' atoms is not
// used (the stage then compares every atom pair).
#include <cstdint>
#include <vector>

#include "dynamics/species/ATOM.h"
#include "utils/geometry/POINT3D.h"

struct AtomGrid {
    struct Atom {
        double x, y, z, r;  // body frame, metres
    };

    std::vector<Atom> atoms;               // sorted by cell, x outermost, z innermost
    std::vector<std::int32_t> cell_first;  // per cell its first atom; a last entry closes the last cell
    POINT3D origin{};                      // lower corner of cell (0, 0, 0)
    double inv_cell = 0;                   // 1 / cell edge
    std::int32_t nx = 0, ny = 0, nz = 0;
    double max_r = 0;  // largest atom radius
    double reach = 0;  // largest |centre| + r: no atom reaches farther from the body origin

    // Whether the grid was built from `source` (as far as a cheap check can
    // tell: the same number of atoms, at least one).
    bool matches(const std::vector<ATOM>& source) const { return !atoms.empty() && atoms.size() == source.size(); }

    // Whether some atom overlaps the sphere (centre, r): strictly closer
    // than the sum of the radii.
    bool overlaps(const POINT3D& centre, double r) const;
};

AtomGrid make_atom_grid(const std::vector<ATOM>& atoms);
