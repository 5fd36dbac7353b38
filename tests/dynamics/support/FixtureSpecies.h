#pragma once
// A small species built in code, and an engine holding it, for tests of the
// engine's physics: a handful of atoms with charges, radii and masses in two
// residues, a cubic grid with a uniform potential gradient (and the matching
// potential), one covering sphere, frictions that differ per axis so that a
// swapped friction shows, and the radii of the collision tests.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "dynamics/PDcalc.h"
#include "dynamics/scene/Rotation.h"
#include "dynamics/species/GridIndex.h"
#include "dynamics/species/PdbLines.h"

namespace dynamics_testing {

struct FixtureAtom {
    POINT3D position;  // body frame, metres
    double r;          // metres
    double q;          // elementary charges
    double mass;       // atomic mass units
    std::int32_t residue;
};

// Five atoms in two residues; three of them carry a charge of at least
// 0.01 (together +0.75), one carries less and does not count as a charge.
inline std::vector<FixtureAtom> default_atoms() {
    return {
        {{0.0, 0.0, 0.0}, 1.7e-10, 0.0, 12.0, 0},
        {{1.5e-10, 0.0, 0.0}, 1.55e-10, 1.0, 14.0, 0},
        {{0.0, 2.0e-10, 0.0}, 1.52e-10, -0.5, 16.0, 1},
        {{0.0, 0.0, 3.0e-10}, 1.52e-10, 0.25, 16.0, 1},
        {{-2.0e-10, -1.0e-10, 0.0}, 1.2e-10, 0.005, 1.01, 1},
    };
}

struct FixtureOptions {
    std::string name = "fixture";
    std::vector<FixtureAtom> atoms = default_atoms();  // residues contiguous and ascending
    std::int32_t pot_n = 10;
    double h = 2e-10;              // must match the engine's h
    POINT3D field{0.0, 0.0, 0.0};  // gradient of the potential in every cell, V/m (body frame)
    double min_charge = 0.01;
};

// Frictions of the fixture species.
inline constexpr double fixture_f_trans_a = 6.0e-11;
inline constexpr double fixture_f_trans_b = 5.0e-11;
inline constexpr double fixture_f_rot_a = 2.0e-28;
inline constexpr double fixture_f_rot_b = 3.0e-28;

inline void set_identity(double m[3][3]) {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) m[i][j] = i == j ? 1.0 : 0.0;
}

inline PROT_CLASS make_fixture_species(const FixtureOptions& options = {}) {
    PROT_CLASS s;
    s.name = options.name;
    s.move = true;
    s.N = 1;
    s.mass_center = {10.0, 20.0, 30.0};
    set_identity(s.rot);
    set_identity(s.rot_inv);

    for (std::size_t a = 0; a < options.atoms.size(); ++a) {
        const FixtureAtom& f = options.atoms[a];
        const ATOM atom{f.position.x, f.position.y, f.position.z, f.r, f.q, f.mass,
                        static_cast<std::int32_t>(a + 1), f.residue + 1, f.residue};
        s.atoms.push_back(atom);
        if (std::fabs(f.q) >= options.min_charge) s.charges.push_back(atom);
        s.mass += f.mass;
        s.r_max = std::max(s.r_max, std::sqrt(f.position.x * f.position.x + f.position.y * f.position.y +
                                              f.position.z * f.position.z));
        if (s.residues.empty() || s.atoms[static_cast<std::size_t>(s.residues.back().first)].residue != f.residue)
            s.residues.push_back(RESIDUE{{0.0, 0.0, 0.0}, 0.0, static_cast<std::int32_t>(a), 0});
        s.residues.back().last = static_cast<std::int32_t>(a);
        s.pdb_lines.push_back(make_pdb_line("ATOM  " + std::to_string(a + 1), f.q, f.r * 1e10));
    }
    // Each residue's sphere: centred on the mean of its atom centres, reaching
    // the farthest of them.
    for (RESIDUE& residue : s.residues) {
        POINT3D sum{0.0, 0.0, 0.0};
        for (int a = residue.first; a <= residue.last; ++a) {
            const ATOM& atom = s.atoms[static_cast<std::size_t>(a)];
            sum += POINT3D{atom.x, atom.y, atom.z};
        }
        residue.center = sum / static_cast<double>(residue.last - residue.first + 1);
        for (int a = residue.first; a <= residue.last; ++a) {
            const ATOM& atom = s.atoms[static_cast<std::size_t>(a)];
            const POINT3D d = POINT3D{atom.x, atom.y, atom.z} - residue.center;
            residue.r = std::max(residue.r, std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z));
        }
    }
    s.atoms_n = static_cast<std::int32_t>(s.atoms.size());
    s.charges_n = static_cast<std::int32_t>(s.charges.size());
    s.drift_charges = make_drift_charges(s.charges);
    s.residues_n = static_cast<std::int32_t>(s.residues.size());

    // The grid: a uniform gradient, and the potential that has it.
    const int n = options.pot_n;
    s.pot_n = n;
    const auto cells = static_cast<std::size_t>(n) * n * n;
    s.field.assign(cells, options.field);
    s.pot.assign(cells, 0.0);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            for (int k = 0; k < n; ++k) {
                const POINT3D centre = POINT3D{i - n / 2 + 0.5, j - n / 2 + 0.5, k - n / 2 + 0.5} * options.h;
                s.pot[static_cast<std::size_t>(lin(n, i, j, k))] =
                    options.field.x * centre.x + options.field.y * centre.y + options.field.z * centre.z;
            }

    s.spheres.push_back(SPHERE{{0.0, 0.0, 0.0}, s.r_max + 1.7e-10});
    s.spheres_n = 1;
    s.r_outer = s.r_max + 1.7e-10;
    s.r_inner = 1.0e-10;

    s.ell_a = 4.0e-10;
    s.ell_b = 2.0e-10;
    s.ell_p = 2.0;
    s.r_equiv = std::cbrt(s.ell_a * s.ell_b * s.ell_b);
    s.f_trans_a = fixture_f_trans_a;
    s.f_trans_b = fixture_f_trans_b;
    s.f_rot_a = fixture_f_rot_a;
    s.f_rot_b = fixture_f_rot_b;
    s.max_grad = std::numeric_limits<double>::infinity();
    s.limit_grad = std::numeric_limits<double>::infinity();
    return s;
}

// A compartment of the engine's model: a periodic box (type 0) or a closed
// box (type 1) centred on the origin with the given half edge.
inline std::int32_t add_box(PDcalc& engine, double halfsize, std::int32_t type = 0) {
    COMPARTMENT c{};
    c.type = type;
    c.dimension = 3;
    c.halfsize = {halfsize, halfsize, halfsize};
    c.lower = {-halfsize, -halfsize, -halfsize};
    c.upper = {halfsize, halfsize, halfsize};
    c.size = {2 * halfsize, 2 * halfsize, 2 * halfsize};
    c.volume = c.size.x * c.size.y * c.size.z;
    engine.model.compartments.push_back(c);
    engine.model.compartments_n = static_cast<std::int32_t>(engine.model.compartments.size());
    return engine.model.compartments_n - 1;
}

// Adds a species to the engine's model in the given compartment and sizes
// the pair table for it.
inline std::int32_t add_species(PDcalc& engine, PROT_CLASS species, std::int32_t compartment = 0) {
    PROFILE& model = engine.model;
    species.index = static_cast<std::int32_t>(model.species.size());
    species.compartment = compartment;
    model.species_index[species.name] = species.index;
    model.species.push_back(std::move(species));
    model.species_n = static_cast<std::int32_t>(model.species.size());
    model.pairs.assign(static_cast<std::size_t>(model.species_n + 1) * model.species_n, CLASS_PAIR{});
    return model.species_n - 1;
}

// Adds an instance of a species at `centre` with the orientation `rot`
// (identity when null); returns its index in engine.prots.
inline std::int32_t add_instance(PDcalc& engine, std::int32_t species, POINT3D centre,
                                 const double (*rot)[3] = nullptr) {
    PROT p{};
    p.x = centre.x;
    p.y = centre.y;
    p.z = centre.z;
    p.r = engine.model.species[static_cast<std::size_t>(species)].r_outer;
    if (rot != nullptr) {
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) p.rot[i][j] = rot[i][j];
    } else {
        set_identity(p.rot);
    }
    inv_mat(p.rot, p.rot_inv);
    p.collision_step = -2;
    p.contact_step = -2;
    p.index = static_cast<std::int32_t>(engine.prots.size());
    p.species = species;
    engine.prots.push_back(p);
    engine.prots_n = static_cast<std::int32_t>(engine.prots.size());
    engine.active_n = engine.prots_n;
    return p.index;
}

}  // namespace dynamics_testing
