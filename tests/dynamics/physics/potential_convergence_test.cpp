// How far the potential solver's sweeps leave the potential from its
// converged value, on a protein-sized grid: HIV-1 protease with its partial
// charges (net +4) on 129³ cells of 2 Å. Without salt, and with little, the
// sweeps spread the potential like diffusion and hundreds of them leave the
// far field tens of per cent off; salt screens it and the sweeps converge
// in a few hundred. The warning must fire where the far field is off and
// stay silent where it has converged, and the estimate behind it must be the
// error a much longer run shows.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "dynamics/PDcalc.h"
#include "dynamics/species/FarCells.h"
#include "dynamics/species/GridCell.h"
#include "dynamics/species/Relaxation.h"
#include "dynamics/support/ShapeFixtures.h"
#include "support/LoggedText.h"

namespace {

using namespace dynamics_testing;

constexpr double h = 2e-10;
constexpr int n = 129;
constexpr double T = 298.0;

// The screening constant as the preparation computes it from the ionic
// strength.
double kappa2(double I) { return 1.861882970565096e-10 * I / (7.358252850000001e-11 * T); }

// The protease's atoms with the charges of its charge-and-radius file.
std::vector<ATOM> protease_atoms() {
    std::vector<ATOM> atoms = structure_atoms("1hpv.pqr");
    std::ifstream in(std::string(ZELMAR_FIXTURES) + "/proteins/1hpv.pqr");
    std::size_t a = 0;
    for (std::string line; std::getline(in, line);)
        if (line.rfind("ATOM", 0) == 0 || line.rfind("HETATM", 0) == 0) atoms.at(a++).q = std::stod(line.substr(54, 8));
    EXPECT_EQ(a, atoms.size());
    return atoms;
}

class PotentialConvergence : public testing::Test {
protected:
    static void SetUpTestSuite() {
        species_ = new PROT_CLASS(shape_species(protease_atoms(), n, h));
        species_->name = "protease";
        species_->charges = species_->atoms;
        species_->charges_n = static_cast<std::int32_t>(species_->charges.size());
    }
    static void TearDownTestSuite() {
        delete species_;
        species_ = nullptr;
    }

    // The solver's source grid, as the potential step makes it.
    static std::vector<double> sources() {
        std::vector<double> source(species_->eps.size(), 0.0);
        for (const ATOM& c : species_->charges)
            if (const auto cell = grid_cell(POINT3D{c.x, c.y, c.z}, n, h))
                source[cell->index(n)] += 12.566370614359172 * c.q / (h * 1e10);
        return source;
    }

    static PROT_CLASS* species_;
};
PROT_CLASS* PotentialConvergence::species_ = nullptr;

TEST_F(PotentialConvergence, WarnedWhereTheFarFieldIsOff) {
    struct Case {
        double I;    // ionic strength, mM
        int sweeps;
        bool warned;
    };
    const Case cases[] = {{0.0, 500, true}, {10.0, 500, true}, {100.0, 200, true}, {150.0, 500, false}};
    const std::string warning = "warning: the potential of protease has not converged in ";
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.I << " mM, " << c.sweeps << " sweeps");
        PDcalc engine;
        engine.h = h;
        engine.T = T;
        engine.I = c.I;
        engine.kappa2 = kappa2(c.I);
        PROT_CLASS s = *species_;
        s.iterations = c.sweeps;
        const std::string log = testing_support::logged_text([&] { engine.pot_calc(s, std::nullopt); });
        EXPECT_EQ(log.find(warning + std::to_string(c.sweeps) + " sweeps") != std::string::npos, c.warned) << log;
    }
}

// The estimate against the error a run of 4000 sweeps shows, over the cells
// beyond 5 Å of the atoms (root mean square, relative).
TEST_F(PotentialConvergence, EstimateIsTheErrorLeftBeyondFiveAngstrom) {
    struct Case {
        double I;
        int sweeps;
    };
    const std::vector<std::uint8_t> far = cells_far_from_atoms(species_->atoms, n, h, 5e-10);
    const std::vector<double> source = sources();
    for (const Case& c : {Case{100.0, 200}, Case{100.0, 500}, Case{150.0, 500}}) {
        SCOPED_TRACE(testing::Message() << c.I << " mM, " << c.sweeps << " sweeps");
        const Relaxation relaxation(species_->eps, source, n, 2e20 * h * h * kappa2(c.I));
        const std::vector<double> settled = relaxation.run(4000, 8).grid;
        const Relaxation::Result r = relaxation.run(c.sweeps, 8, {}, far);
        double error = 0, scale = 0;
        for (std::size_t p = 0; p < far.size(); ++p) {
            if (far[p] == 0) continue;
            error += (r.grid[p] - settled[p]) * (r.grid[p] - settled[p]);
            scale += settled[p] * settled[p];
        }
        const double actual = std::sqrt(error / scale);
        EXPECT_NEAR(r.convergence.error, actual, 0.15 * actual);
        RecordProperty("error_" + std::to_string(static_cast<int>(c.I)) + "mM_" + std::to_string(c.sweeps),
                       std::to_string(actual));
    }
}

}  // namespace
