#pragma once
// Residue contacts of two instances by the plain scan over every residue
// pair and every atom pair, with nothing pruned: what the engine's count
// must agree with.
#include "dynamics/PDcalc.h"

namespace dynamics_testing {

inline void reference_residue_contacts(const PDcalc& engine, const PROT& p, const PROT& q, histogram& counts) {
    const PROT& A = q.species < p.species ? q : p;
    const PROT& B = &A == &p ? q : p;
    const PROT_CLASS& sa = engine.model.species[static_cast<std::size_t>(A.species)];
    const PROT_CLASS& sb = engine.model.species[static_cast<std::size_t>(B.species)];
    const COMPARTMENT* c = engine.compartment_of(sb);
    const auto atom_world = [](const PROT_CLASS& s, int i, const PROT& instance) {
        const ATOM& atom = s.atoms[static_cast<std::size_t>(i)];
        return POINT3D{atom.x, atom.y, atom.z}.fromInternal(instance);
    };
    for (int a = 0; a < sa.residues_n; ++a) {
        const RESIDUE& ra = sa.residues[static_cast<std::size_t>(a)];
        bool counted = false;
        for (int b = 0; b < sb.residues_n && !counted; ++b) {
            const RESIDUE& rb = sb.residues[static_cast<std::size_t>(b)];
            const double d = getDistance(ra.center.fromInternal(A), rb.center.fromInternal(B), c);
            if (!(engine.residue_contact_range + ra.r + rb.r > d)) continue;
            for (int i = ra.first; i <= ra.last && !counted; ++i)
                for (int j = rb.first; j <= rb.last && !counted; ++j)
                    if (getDistance2(atom_world(sa, i, A), atom_world(sb, j, B), c) < engine.residue_contact_range2) {
                        const int cell[2] = {a, b};
                        counts.add(cell);
                        counted = true;
                    }
        }
    }
}

}  // namespace dynamics_testing
