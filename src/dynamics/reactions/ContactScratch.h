#pragma once
// Working storage of the residue contact count (PDcalc::residues_in_range).
// It is cleared, not freed, between calls, so once the largest species has
// been seen the step loop counts contacts without allocating.
#include <cstdint>
#include <vector>

#include "utils/geometry/POINT3D.h"

struct ContactScratch {
    // A residue of the second instance that may touch the first one: its
    // centre in the world frame and its atoms' world positions, which are
    // near_atoms[first_atom] to near_atoms[first_atom + atom_count - 1].
    struct NearResidue {
        POINT3D centre;
        double r;
        std::int32_t index;
        std::int32_t first_atom;
        std::int32_t atom_count;
    };

    std::vector<NearResidue> near;     // in the second species' residue order
    std::vector<POINT3D> near_atoms;
    std::vector<POINT3D> residue_atoms;  // world positions of the first instance's current residue
};
