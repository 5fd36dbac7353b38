#pragma once
// Species for the tests of the shape steps: atoms in the body frame with the
// permittivity grid the engine makes from them, and the atoms of the
// structure files under tests/fixtures/proteins.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstddef>
#include <fstream>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "dynamics/species/GridIndex.h"
#include "dynamics/species/PROT_CLASS.h"
#include "dynamics/species/PermittivityFill.h"

namespace dynamics_testing {

// The species' permittivity grid for a probe of radius `probe` (metres).
inline void fill_permittivity(PROT_CLASS& s, double h, double probe) {
    s.eps = permittivity::fill(s.atoms, s.pot_n, h, probe * probe).eps;
}

// A species holding `atoms` on a grid of n cells with step h: its
// permittivity grid, a zero potential gradient, identity axes, the centre of
// mass at (10, 20, 30) ångström, no capping of the gradient.
inline PROT_CLASS shape_species(std::vector<ATOM> atoms, int n, double h, double probe = 1.5e-10) {
    PROT_CLASS s;
    s.name = "shape";
    s.atoms = std::move(atoms);
    s.atoms_n = static_cast<std::int32_t>(s.atoms.size());
    for (const ATOM& a : s.atoms) {
        s.mass += a.mass;
        s.r_max = std::max(s.r_max, std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z));
    }
    s.mass_center = {10.0, 20.0, 30.0};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) s.rot[i][j] = s.rot_inv[i][j] = i == j ? 1.0 : 0.0;
    s.pot_n = n;
    fill_permittivity(s, h, probe);
    s.field.assign(s.eps.size(), POINT3D{0.0, 0.0, 0.0});
    s.max_grad = std::numeric_limits<double>::infinity();
    s.limit_grad = std::numeric_limits<double>::infinity();
    return s;
}

// `count` carbon atoms scattered uniformly through the ellipsoid of
// semi-axes b (along x and y) and a (along z) around the origin.
inline std::vector<ATOM> ellipsoid_atoms(unsigned seed, int count, double a, double b) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    std::vector<ATOM> atoms;
    while (static_cast<int>(atoms.size()) < count) {
        const double x = u(random), y = u(random), z = u(random);
        if (x * x + y * y + z * z > 1.0) continue;
        const auto serial = static_cast<std::int32_t>(atoms.size() + 1);
        atoms.push_back(ATOM{x * b, y * b, z * a, 1.7e-10, 0.0, 12.0, serial, serial, 0});
    }
    return atoms;
}

// The same in a ball of `radius` metres.
inline std::vector<ATOM> blob_atoms(unsigned seed, int count, double radius) {
    return ellipsoid_atoms(seed, count, radius, radius);
}

// The same turned by `rot` (position = rotᵀ · body) and centred on their
// centre of mass, as the structure reader gives a body whose axes are not
// the file's.
inline std::vector<ATOM> turned_ellipsoid_atoms(unsigned seed, int count, double a, double b, const double rot[3][3]) {
    std::vector<ATOM> atoms = ellipsoid_atoms(seed, count, a, b);
    double c[3] = {0, 0, 0};
    for (ATOM& t : atoms) {
        const double body[3] = {t.x, t.y, t.z};
        t.x = rot[0][0] * body[0] + rot[1][0] * body[1] + rot[2][0] * body[2];
        t.y = rot[0][1] * body[0] + rot[1][1] * body[1] + rot[2][1] * body[2];
        t.z = rot[0][2] * body[0] + rot[1][2] * body[1] + rot[2][2] * body[2];
        c[0] += t.x, c[1] += t.y, c[2] += t.z;
    }
    for (ATOM& t : atoms) t.x -= c[0] / count, t.y -= c[1] / count, t.z -= c[2] / count;
    return atoms;
}

// The atoms of a structure file of the fixtures (ATOM and HETATM lines), in
// metres about their centre of mass, with the radii and masses the engine
// gives their elements (first letter of the element column).
inline std::vector<ATOM> structure_atoms(const std::string& file) {
    std::ifstream in(std::string(ZELMAR_FIXTURES) + "/proteins/" + file);
    std::vector<ATOM> atoms;
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("ATOM", 0) != 0 && line.rfind("HETATM", 0) != 0) continue;
        // The element column, else the atom name without its leading digits.
        char element = ' ';
        for (std::size_t c = 76; c < 78 && c < line.size() && element == ' '; ++c)
            if (std::isalpha(static_cast<unsigned char>(line[c]))) element = line[c];
        for (std::size_t c = 12; c < 16 && element == ' '; ++c)
            if (std::isalpha(static_cast<unsigned char>(line[c]))) element = line[c];
        double r = 1.5, mass = 0.0;
        switch (element) {
            case 'C':
                r = 1.7, mass = 12.0;
                break;
            case 'H':
                r = 1.2, mass = 1.01;
                break;
            case 'N':
                r = 1.55, mass = 14.0;
                break;
            case 'O':
                r = 1.52, mass = 16.0;
                break;
            case 'S':
                r = 1.8, mass = 32.1;
                break;
            case 'P':
                r = 1.8, mass = 30.98;
                break;
            default:
                break;
        }
        const auto serial = static_cast<std::int32_t>(atoms.size() + 1);
        atoms.push_back(ATOM{std::stod(line.substr(30, 8)), std::stod(line.substr(38, 8)),
                             std::stod(line.substr(46, 8)), r * 1e-10, 0.0, mass, serial, serial, 0});
    }
    double mass = 0.0, cx = 0.0, cy = 0.0, cz = 0.0;
    for (const ATOM& a : atoms) {
        mass += a.mass;
        cx += a.mass * a.x, cy += a.mass * a.y, cz += a.mass * a.z;
    }
    for (ATOM& a : atoms) {
        a.x = (a.x - cx / mass) * 1e-10;
        a.y = (a.y - cy / mass) * 1e-10;
        a.z = (a.z - cz / mass) * 1e-10;
    }
    return atoms;
}

// The grid size that holds atoms reaching `r_max` with a margin of `margin`
// metres, as the set-up chooses it.
inline int grid_size(const std::vector<ATOM>& atoms, double h, double margin) {
    double r_max = 0.0;
    for (const ATOM& a : atoms) r_max = std::max(r_max, std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z));
    return 2 * static_cast<int>(std::ceil((margin + r_max) / h));
}

}  // namespace dynamics_testing
