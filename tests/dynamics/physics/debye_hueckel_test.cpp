// The potential solver against the analytic solution: one charge at the
// centre of a sphere of low permittivity in salt water. Outside the sphere
// the linearised Poisson-Boltzmann equation gives the screened
// (Debye-Hückel) potential
//   φ(r) = q·e / (4π ε0 ε_s) · exp(κa) / (1 + κa) · exp(−κr) / r,
// with κ the inverse Debye length of the salt, from physical constants
// here, independently of the engine's screening constant.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "dynamics/PDcalc.h"
#include "dynamics/ProcessGlobals.h"
#include "dynamics/species/GridCell.h"
#include "dynamics/species/PotentialGradient.h"

namespace {

constexpr double elementary_charge = 1.602176634e-19;  // C
constexpr double vacuum_permittivity = 8.8541878128e-12;  // F/m
constexpr double boltzmann = 1.380649e-23;  // J/K
constexpr double avogadro = 6.02214076e23;  // 1/mol
constexpr double pi = 3.141592653589793;

TEST(DebyeHueckel, ChargeInLowPermittivitySphere) {
    const double I = 100.0;  // millimolar, mol/m³
    const double T = 293.16;
    const double eps_s = 80.0, eps_in = 2.0;
    const double h = 1e-10;
    const int n = 100;
    const double a = 6e-10;  // sphere radius
    const double q = 1.0;

    PDcalc engine;
    engine.h = h;
    engine.I = I;
    engine.T = T;
    // The screening constant as the preparation computes it.
    engine.kappa2 = 1.861882970565096e-10 * I / (7.358252850000001e-11 * T);

    const int c = n / 2;
    const POINT3D centre{cell_centre(c, n, h), cell_centre(c, n, h), cell_centre(c, n, h)};
    PROT_CLASS s;
    s.name = "sphere";
    s.pot_n = n;
    s.iterations = 3000;
    s.charges.push_back(ATOM{centre.x, centre.y, centre.z, 1.5e-10, q, 12.0, 1, 1, 0});
    s.charges_n = 1;
    s.eps.assign(static_cast<std::size_t>(n) * n * n, eps_s);
    std::size_t inside = 0;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            for (int k = 0; k < n; ++k) {
                const double dx = cell_centre(i, n, h) - centre.x, dy = cell_centre(j, n, h) - centre.y,
                             dz = cell_centre(k, n, h) - centre.z;
                if (dx * dx + dy * dy + dz * dz <= a * a) {
                    s.eps[static_cast<std::size_t>(lin(n, i, j, k))] = eps_in;
                    ++inside;
                }
            }
    engine.pot_calc(s, std::nullopt);
    const std::vector<POINT3D> field = potential_gradient(s.pot, n, h);

    const double kappa = std::sqrt(2.0 * avogadro * elementary_charge * elementary_charge * I /
                                   (vacuum_permittivity * eps_s * boltzmann * T));
    const double debye_length = 1.0 / kappa;
    EXPECT_NEAR(debye_length, 9.6e-10, 0.1e-10);
    // The sphere as the cells make it: the radius of equal volume.
    const double radius = std::cbrt(3.0 * static_cast<double>(inside) * h * h * h / (4.0 * pi));
    EXPECT_NEAR(radius, a, 0.1e-10);
    auto analytic = [&](double r) {
        return q * elementary_charge / (4.0 * pi * vacuum_permittivity * eps_s) * std::exp(kappa * radius) /
               (1.0 + kappa * radius) * std::exp(-kappa * r) / r;
    };

    // Along six directions from the charge, from two to three Debye lengths.
    const int directions[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    int compared = 0;
    double worst_potential = 0, worst_field = 0;
    for (const auto& d : directions) {
        for (int m = static_cast<int>(std::ceil(2.0 * debye_length / h)); m * h <= 3.0 * debye_length; ++m) {
            const GridCell cell{c + m * d[0], c + m * d[1], c + m * d[2]};
            const double r = m * h;
            const double expected = analytic(r);
            SCOPED_TRACE(testing::Message() << "direction " << d[0] << d[1] << d[2] << ", r " << r);
            EXPECT_NEAR(s.pot[cell.index(n)], expected, 0.03 * expected);
            // The field is the gradient: radial, dφ/dr = −φ·(κ + 1/r) < 0.
            const POINT3D f = field[cell.index(n)];
            const double radial = f.x * d[0] + f.y * d[1] + f.z * d[2];
            const double slope = -expected * (kappa + 1.0 / r);
            EXPECT_NEAR(radial, slope, 0.03 * std::fabs(slope));
            EXPECT_NEAR(std::sqrt(f.x * f.x + f.y * f.y + f.z * f.z), std::fabs(radial), 1e-6 * std::fabs(radial));
            worst_potential = std::max(worst_potential, std::fabs(s.pot[cell.index(n)] / expected - 1.0));
            worst_field = std::max(worst_field, std::fabs(radial / slope - 1.0));
            ++compared;
        }
    }
    EXPECT_GE(compared, 6 * 9);
    RecordProperty("worst_potential_deviation", std::to_string(worst_potential));
    RecordProperty("worst_field_deviation", std::to_string(worst_field));
}

}  // namespace
