#pragma once
// Species with collision shapes given directly, for tests of motion,
// collisions and placement: atoms (body frame), residues of consecutive
// atoms, one covering sphere around each residue, a box of surface cells
// (flagged where a cell centre lies inside an atom) with the centres of its
// boundary cells as surface points, the radii of the broad tests and the atom
// cell list. Engines get their compartments and instances from
// FixtureSpecies.h.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "dynamics/PDcalc.h"
#include "dynamics/scene/AtomGrid.h"
#include "dynamics/species/GridIndex.h"
#include "dynamics/support/FixtureSpecies.h"

namespace dynamics_testing {

struct ShapeAtom {
    POINT3D centre;  // body frame, metres
    double r;        // metres
};

struct ShapeOptions {
    std::string name = "shape";
    std::int32_t atoms_per_residue = 4;
    double cell = 2e-10;  // edge of the surface cells; must match the engine's h
    double r_inner = 0;   // inner radius of the broad test
};

inline double length(const POINT3D& p) { return std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z); }

inline PROT_CLASS make_shape_species(const std::vector<ShapeAtom>& atoms, const ShapeOptions& options = {}) {
    PROT_CLASS s;
    s.name = options.name;
    s.move = true;
    s.N = 1;
    set_identity(s.rot);
    set_identity(s.rot_inv);
    s.f_trans_a = fixture_f_trans_a;
    s.f_trans_b = fixture_f_trans_b;
    s.f_rot_a = fixture_f_rot_a;
    s.f_rot_b = fixture_f_rot_b;

    double max_r = 0;
    for (std::size_t k = 0; k < atoms.size(); ++k) {
        const ShapeAtom& a = atoms[k];
        const auto residue = static_cast<std::int32_t>(k) / options.atoms_per_residue;
        s.atoms.push_back(ATOM{a.centre.x, a.centre.y, a.centre.z, a.r, 0.0, 12.0, static_cast<std::int32_t>(k + 1),
                               residue + 1, residue});
        max_r = std::max(max_r, a.r);
    }
    s.atoms_n = static_cast<std::int32_t>(s.atoms.size());

    // Residues: the sphere around the centres of their atoms, centred on
    // the middle of their bounding box.
    const auto per_residue = static_cast<std::size_t>(options.atoms_per_residue);
    for (std::size_t first = 0; first < atoms.size(); first += per_residue) {
        const std::size_t last = std::min(atoms.size(), first + per_residue) - 1;
        POINT3D low = atoms[first].centre, high = low;
        for (std::size_t k = first; k <= last; ++k) {
            const POINT3D& c = atoms[k].centre;
            low = {std::min(low.x, c.x), std::min(low.y, c.y), std::min(low.z, c.z)};
            high = {std::max(high.x, c.x), std::max(high.y, c.y), std::max(high.z, c.z)};
        }
        RESIDUE residue{(low + high) * 0.5, 0.0, static_cast<std::int32_t>(first), static_cast<std::int32_t>(last)};
        for (std::size_t k = first; k <= last; ++k)
            residue.r = std::max(residue.r, length(atoms[k].centre - residue.center));
        s.residues.push_back(residue);
        // Covers every atom of the residue whole.
        s.spheres.push_back(SPHERE{residue.center, residue.r + max_r});
    }
    s.residues_n = static_cast<std::int32_t>(s.residues.size());
    s.spheres_n = static_cast<std::int32_t>(s.spheres.size());

    // Surface cells: cell (i, j, k) of the box covers body coordinates
    // [(i + ox)·h, (i + ox + 1)·h) along x, likewise y and z.
    const double h = options.cell;
    if (!atoms.empty()) {
        POINT3D low = atoms[0].centre, high = low;
        for (const ShapeAtom& a : atoms) {
            low = {std::min(low.x, a.centre.x - a.r), std::min(low.y, a.centre.y - a.r),
                   std::min(low.z, a.centre.z - a.r)};
            high = {std::max(high.x, a.centre.x + a.r), std::max(high.y, a.centre.y + a.r),
                    std::max(high.z, a.centre.z + a.r)};
        }
        s.cells_ox = static_cast<std::int32_t>(std::floor(low.x / h)) - 1;
        s.cells_oy = static_cast<std::int32_t>(std::floor(low.y / h)) - 1;
        s.cells_oz = static_cast<std::int32_t>(std::floor(low.z / h)) - 1;
        s.cells_nx = static_cast<std::int32_t>(std::ceil(high.x / h)) - s.cells_ox + 2;
        s.cells_ny = static_cast<std::int32_t>(std::ceil(high.y / h)) - s.cells_oy + 2;
        s.cells_nz = static_cast<std::int32_t>(std::ceil(high.z / h)) - s.cells_oz + 2;
        s.cells.assign(static_cast<std::size_t>(s.cells_nx) * s.cells_ny * s.cells_nz, 0);
        const auto centre_of = [&](int i, int j, int k) {
            return POINT3D{(i + s.cells_ox + 0.5) * h, (j + s.cells_oy + 0.5) * h, (k + s.cells_oz + 0.5) * h};
        };
        for (int i = 0; i < s.cells_nx; ++i)
            for (int j = 0; j < s.cells_ny; ++j)
                for (int k = 0; k < s.cells_nz; ++k)
                    for (const ShapeAtom& a : atoms)
                        if (length(centre_of(i, j, k) - a.centre) < a.r) s.cells[cells_index(s, i, j, k)] = 1;
        const auto flagged = [&](int i, int j, int k) {
            return i >= 0 && j >= 0 && k >= 0 && i < s.cells_nx && j < s.cells_ny && k < s.cells_nz &&
                   s.cells[cells_index(s, i, j, k)] != 0;
        };
        for (int i = 0; i < s.cells_nx; ++i)
            for (int j = 0; j < s.cells_ny; ++j)
                for (int k = 0; k < s.cells_nz; ++k)
                    if (flagged(i, j, k) && !(flagged(i - 1, j, k) && flagged(i + 1, j, k) && flagged(i, j - 1, k) &&
                                              flagged(i, j + 1, k) && flagged(i, j, k - 1) && flagged(i, j, k + 1)))
                        s.surf_points.push_back(centre_of(i, j, k));
    }
    s.surf_points_n = static_cast<std::int32_t>(s.surf_points.size());

    // The outer radius reaches beyond every shape; the inner one is given.
    for (const ShapeAtom& a : atoms) s.r_outer = std::max(s.r_outer, length(a.centre) + a.r);
    for (const SPHERE& sphere : s.spheres) s.r_outer = std::max(s.r_outer, length(sphere) + sphere.r);
    for (const POINT3D& p : s.surf_points) s.r_outer = std::max(s.r_outer, length(p) + h);
    for (const ShapeAtom& a : atoms) s.r_max = std::max(s.r_max, length(a.centre));
    s.r_inner = options.r_inner;
    s.atom_grid = make_atom_grid(s.atoms);
    return s;
}

// Atoms on a cubic lattice of the given spacing inside a ball of the given
// radius, their radii cycling through `radii`. They are listed block by
// block of 2 × 2 × 2 lattice points, so that runs of eight consecutive atoms
// (residues of eight) stay compact.
inline std::vector<ShapeAtom> ball_atoms(double radius, double spacing, const std::vector<double>& radii) {
    std::vector<ShapeAtom> atoms;
    const int n = static_cast<int>(radius / spacing) + 1;
    for (int bi = -n; bi < n; bi += 2)
        for (int bj = -n; bj < n; bj += 2)
            for (int bk = -n; bk < n; bk += 2)
                for (int i = bi; i < bi + 2; ++i)
                    for (int j = bj; j < bj + 2; ++j)
                        for (int k = bk; k < bk + 2; ++k) {
                            const POINT3D c = POINT3D{double(i), double(j), double(k)} * spacing;
                            if (length(c) <= radius) atoms.push_back({c, radii[atoms.size() % radii.size()]});
                        }
    return atoms;
}

// Fills the radii of the broad tests of every species pair.
inline void fill_pair_radii(PDcalc& engine) {
    PROFILE& model = engine.model;
    for (std::int32_t a = 0; a < model.species_n; ++a)
        for (std::int32_t b = 0; b < model.species_n; ++b) {
            const PROT_CLASS& sa = model.species[static_cast<std::size_t>(a)];
            const PROT_CLASS& sb = model.species[static_cast<std::size_t>(b)];
            CLASS_PAIR& pair = model.pairs[pair_index(model, a, b)];
            pair.inner2 = (sa.r_inner + sb.r_inner) * (sa.r_inner + sb.r_inner);
            pair.outer2 = (sa.r_outer + sb.r_outer) * (sa.r_outer + sb.r_outer);
        }
}

// The largest atom radius of all species.
inline void set_max_atom_r(PDcalc& engine) {
    engine.max_atom_r = 0;
    for (const PROT_CLASS& s : engine.model.species)
        for (const ATOM& a : s.atoms) engine.max_atom_r = std::max(engine.max_atom_r, a.r);
}

// A uniformly distributed rotation drawn from `random`, for test poses.
inline void random_rotation(std::mt19937_64& random, double rot[3][3]) {
    std::normal_distribution<double> normal;
    double q[4];
    double norm = 0;
    for (double& v : q) {
        v = normal(random);
        norm += v * v;
    }
    norm = std::sqrt(norm);
    const double w = q[0] / norm, x = q[1] / norm, y = q[2] / norm, z = q[3] / norm;
    const double m[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y - w * z), 2 * (x * z + w * y)},
                            {2 * (x * y + w * z), 1 - 2 * (x * x + z * z), 2 * (y * z - w * x)},
                            {2 * (x * z - w * y), 2 * (y * z + w * x), 1 - 2 * (x * x + y * y)}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) rot[i][j] = m[i][j];
}

}  // namespace dynamics_testing
