// The covering-sphere generator's stages: the same results as the plain
// cell-by-cell scans, and the rules each stage is built on.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

#include "dynamics/species/GridIndex.h"
#include "dynamics/species/SphereCandidates.h"
#include "dynamics/species/SphereFitting.h"
#include "dynamics/species/SphereSelection.h"
#include "support/BruteForceSpheres.h"
#include "support/ShapeFixtures.h"

namespace {

using namespace dynamics_testing;
namespace cs = covering_spheres;

void expect_same_spheres(const std::vector<SPHERE>& fast, const std::vector<SPHERE>& plain) {
    ASSERT_EQ(fast.size(), plain.size());
    for (std::size_t s = 0; s < fast.size(); ++s) {
        SCOPED_TRACE(s);
        EXPECT_EQ(fast[s].x, plain[s].x);
        EXPECT_EQ(fast[s].y, plain[s].y);
        EXPECT_EQ(fast[s].z, plain[s].z);
        EXPECT_EQ(fast[s].r, plain[s].r);
    }
}

// Blobs of atoms on small grids, with cells of every permittivity class and
// positive, zero and negative extra reach: each stage equals the plain scan
// exactly, down to the order of the spheres and the last bit of their
// numbers.
TEST(SphereGenerator, StagesEqualThePlainScans) {
    struct Case {
        const char* name;
        unsigned seed;
        int atoms;
        double radius;  // of the blob, metres
        int n;
        double h;
        double r_plus;      // half-cells
        bool mixed_levels;  // some cells at 20 and 60
    };
    const std::vector<Case> cases = {
        {"small blob", 1, 30, 4e-10, 20, 1e-10, 0.0, false},      {"extra reach", 2, 40, 5e-10, 22, 1e-10, 0.7, false},
        {"negative reach", 3, 40, 5e-10, 22, 1e-10, -1.5, false}, {"coarse grid", 4, 80, 9e-10, 20, 2e-10, 0.0, false},
        {"mixed levels", 5, 50, 6e-10, 22, 1e-10, 0.3, true},     {"sparse atoms", 6, 12, 7e-10, 24, 1e-10, 0.0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PROT_CLASS s = shape_species(blob_atoms(c.seed, c.atoms, c.radius), c.n, c.h);
        if (c.mixed_levels)
            for (std::size_t cell = 0; cell < s.eps.size(); cell += 7)
                if (s.eps[cell] == 40.0) s.eps[cell] = cell % 2 ? 20.0 : 60.0;

        int plain_protein = 0;
        const std::vector<double> plain_reach =
            brute_force::candidates(s.eps, c.n, c.r_plus, s.atoms, c.h, plain_protein);
        const cs::CandidateGrid grid = cs::candidate_grid(s.eps, c.n, c.r_plus, s.atoms, c.h);
        EXPECT_EQ(grid.protein_cells, plain_protein);
        ASSERT_EQ(grid.reach, plain_reach);

        const std::vector<double> plain_weight = brute_force::weights(plain_reach, c.n);
        std::vector<double> weight = cs::atom_cell_weights(grid, c.n);
        ASSERT_EQ(weight, plain_weight);

        std::vector<SPHERE> plain = brute_force::select(plain_reach, plain_weight, s.eps, c.n, c.h);
        std::vector<SPHERE> fast = cs::select_spheres(grid, weight, s.eps, c.n, c.h);
        EXPECT_GT(fast.size(), 1u);
        expect_same_spheres(fast, plain);

        const int plain_removed = brute_force::fit(plain, s.atoms, c.h);
        EXPECT_EQ(cs::fit_spheres(fast, s.atoms, c.h), plain_removed);
        expect_same_spheres(fast, plain);
    }
}

// A cube of protein in solvent: the reach of a candidate is the squared
// distance (half-cells) to the nearest point of a solvent cell, never below
// 3 and never above n; an atom makes its cell's value positive, unless its
// cell is no protein cell.
TEST(SphereGenerator, ReachIsTheClampedSquaredDistanceToSolvent) {
    constexpr int n = 40;
    std::vector<double> eps(static_cast<std::size_t>(n) * n * n, 80.0);
    for (int i = 8; i < 32; ++i)
        for (int j = 8; j < 32; ++j)
            for (int k = 8; k < 32; ++k) eps[static_cast<std::size_t>(lin(n, i, j, k))] = 2.0;
    eps[static_cast<std::size_t>(lin(n, 5, 5, 5))] = 40.0;
    struct Case {
        int i, j, k;
        double r_plus;
        double expected;
    };
    const std::vector<Case> cases = {
        {8, 20, 20, 0.0, -3.0},                              // next to solvent: D = 1, clamped to 3
        {9, 20, 20, 0.0, -9.0},                              // D = 3
        {10, 20, 20, 0.0, -25.0},                            // D = 5
        {8, 8, 8, 0.0, -3.0},                                // a corner of the cube
        {9, 9, 9, 0.0, -9.0},                                // nearest along an axis, not the diagonal
        {10, 10, 10, 0.0, -25.0},                            // the same along the diagonal
        {12, 20, 20, 0.0, -40.0},                            // D = 9: beyond sqrt(40), clamped to n
        {20, 20, 20, 0.0, -40.0},                            // deep inside
        {8, 20, 20, 1.0, -4.0},                              // extra reach: D = 1 + 1
        {9, 20, 20, 0.5, -12.25},                            // D = 3.5
        {10, 20, 20, 1.2849, -(5 + 1.2849) * (5 + 1.2849)},  // D² just below n
        {10, 20, 20, 1.33, -40.0},                           // D² just above n
        {5, 5, 5, 0.0, 0.0},                                 // not a protein cell (40)
        {0, 0, 0, 0.0, 0.0},                                 // solvent
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.i << " " << c.j << " " << c.k << " r+ " << c.r_plus);
        const cs::CandidateGrid grid = cs::candidate_grid(eps, n, c.r_plus, {}, 1e-10);
        EXPECT_EQ(grid.protein_cells, 24 * 24 * 24);
        EXPECT_EQ(grid.reach[static_cast<std::size_t>(lin(n, c.i, c.j, c.k))], c.expected);
    }

    // Atoms: one in a protein cell, one in the 40 cell, one outside the grid.
    const double h = 1e-10;
    const auto centre_of = [&](int i) { return ((i - n / 2) + 0.5) * h; };
    const std::vector<ATOM> atoms = {
        {centre_of(9), centre_of(20), centre_of(20), 1.7e-10, 0, 12, 1, 1, 0},
        {centre_of(5), centre_of(5), centre_of(5), 1.7e-10, 0, 12, 2, 1, 0},
        {1e-8, 0.0, 0.0, 1.7e-10, 0, 12, 3, 1, 0},
    };
    const cs::CandidateGrid grid = cs::candidate_grid(eps, n, 0.0, atoms, h);
    EXPECT_EQ(grid.reach[static_cast<std::size_t>(lin(n, 9, 20, 20))], 9.0);
    EXPECT_EQ(grid.reach[static_cast<std::size_t>(lin(n, 5, 5, 5))], 0.0);

    // Without any solvent every candidate reaches n.
    const std::vector<double> all_protein(static_cast<std::size_t>(n) * n * n, 2.0);
    EXPECT_EQ(cs::candidate_grid(all_protein, n, 0.0, {}, h).reach[0], -40.0);
}

// Two candidates, each holding only its own atom cell, so both are taken
// and the order of the spheres shows which won the first pass.
TEST(SphereGenerator, TiesGoToTheHigherPenaltyThenTheEarlierCell) {
    constexpr int n = 12;
    const double h = 1e-10;
    const int first = lin(n, 3, 6, 6), second = lin(n, 8, 6, 6);
    struct Case {
        const char* name;
        int high_cell;  // a cell of permittivity `level` next to one candidate, or -1
        double level;
        double first_weight;
        int expected_first;  // the cell of the first sphere
    };
    const std::vector<Case> cases = {
        {"equal: the earlier cell", -1, 0.0, 1.0, first},
        {"a touched cell above 10 costs the earlier one", lin(n, 2, 6, 6), 20.0, 1.0, second},
        {"and one above 50 too", lin(n, 3, 6, 7), 60.0, 1.0, second},
        {"a touched cell at 10 costs nothing", lin(n, 2, 6, 6), 10.0, 1.0, first},
        {"a cell the ball does not touch costs nothing", lin(n, 1, 6, 6), 80.0, 1.0, first},
        {"more weight beats the penalty", lin(n, 2, 6, 6), 80.0, 2.0, first},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<double> eps(static_cast<std::size_t>(n) * n * n, 2.0);
        if (c.high_cell >= 0) eps[static_cast<std::size_t>(c.high_cell)] = c.level;
        cs::CandidateGrid grid;
        grid.reach.assign(eps.size(), 0.0);
        grid.reach[static_cast<std::size_t>(first)] = 3.0;
        grid.reach[static_cast<std::size_t>(second)] = 3.0;
        std::vector<double> weight(eps.size(), 0.0);
        weight[static_cast<std::size_t>(first)] = c.first_weight;
        weight[static_cast<std::size_t>(second)] = 1.0;
        const std::vector<SPHERE> spheres = cs::select_spheres(grid, weight, eps, n, h);
        ASSERT_EQ(spheres.size(), 2u);
        const double expected_x = ((c.expected_first / (n * n) - n / 2) + 0.5) * h;
        EXPECT_EQ(spheres[0].x, expected_x);
        EXPECT_EQ(spheres[0].r, std::sqrt(3.01 * 0.5) * h);
        EXPECT_EQ(weight, std::vector<double>(eps.size(), 0.0));
    }
}

ATOM atom_at(double x, double y, double z) { return ATOM{x, y, z, 1.5e-10, 0, 12, 1, 1, 0}; }

// The redundancy pass: a sphere whose atoms the others cover goes, even the
// first; the others shrink onto their atoms (plus h/10); an atom counts as
// covered up to 0.1 ångström outside a sphere.
TEST(SphereGenerator, RedundantSpheresGoAndTheRestFitTheirAtoms) {
    const double h = 2e-10;
    const std::vector<ATOM> atoms = {atom_at(0, 0, 0), atom_at(4e-10, 0, 0)};
    std::vector<SPHERE> spheres = {
        {{2e-10, 0, 0}, 5e-10},       // holds both, listed first: redundant
        {{0, 0, 0}, 1e-10},           // holds atom 0
        {{4.5e-10, 0, 0}, 0.59e-10},  // atom 1 lies 0.09 Å outside: covered
    };
    EXPECT_EQ(cs::fit_spheres(spheres, atoms, h), 1);
    EXPECT_EQ(spheres[0].r, 0.0);
    EXPECT_EQ(spheres[1].x, 0.0);
    EXPECT_DOUBLE_EQ(spheres[1].r, h / 10);
    EXPECT_DOUBLE_EQ(spheres[2].x, 4e-10);
    EXPECT_DOUBLE_EQ(spheres[2].r, h / 10);

    // A sphere that must stay (an atom elsewhere is covered by nothing) but
    // covers no atom itself.
    std::vector<SPHERE> empty = {{{0, 0, 0}, 1e-10}, {{10e-10, 0, 0}, 1e-10}};
    try {
        cs::fit_spheres(empty, {atom_at(0, 0, 0), atom_at(20e-10, 0, 0)}, h);
        FAIL() << "no exception";
    } catch (const char* text) {
        EXPECT_STREQ(text, "sphere generator: internal error");
    }
}

}  // namespace
