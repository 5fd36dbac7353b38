// Residue contacts of two instances counted into contact statistics, and the
// closest atoms of two instances.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <random>
#include <stdexcept>
#include <vector>

#include "dynamics/PDcalc.h"
#include "dynamics/reactions/ContactStatistics.h"
#include "dynamics/scene/Rotation.h"
#include "support/FixtureReaction.h"
#include "support/FixtureSpecies.h"
#include "support/LoggedText.h"
#include "support/ReferenceContacts.h"
#include "utils/backup/backup.h"

namespace {

using namespace dynamics_testing;

using Cells = std::map<std::pair<int, int>, std::uint64_t>;

// The counted cells of a contact histogram.
Cells cells_of(const histogram& h) {
    Cells cells;
    const auto rows = static_cast<std::size_t>(h.bin_count(0));
    for (std::size_t i = 0; i < h.cell_count(); ++i)
        if (h.counter(i) != 0) cells[{static_cast<int>(i % rows), static_cast<int>(i / rows)}] = h.counter(i);
    return cells;
}

void set_rotation(PROT& p, const double rot[3][3]) {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) p.rot[i][j] = rot[i][j];
    inv_mat(p.rot, p.rot_inv);
}

// Two species with different residue counts in a periodic box of 10 nm
// with a contact range of 4 Å: "small" (index 0) has a residue of one atom at
// its centre and one of two atoms 3 Å either side of (0, 5 Å); "large"
// (index 1) has three residues of one atom each, at 0, 5 and 10 Å along y.
class ResidueContacts : public ::testing::Test {
protected:
    void SetUp() override {
        backup::reset();
        add_box(engine, 50e-10);
        FixtureOptions small;
        small.name = "small";
        small.atoms = {{{0, 0, 0}, 1.7e-10, 0, 12, 0},
                       {{-3e-10, 5e-10, 0}, 1.7e-10, 0, 12, 1},
                       {{3e-10, 5e-10, 0}, 1.7e-10, 0, 12, 1}};
        FixtureOptions large;
        large.name = "large";
        large.atoms = {{{0, 0, 0}, 1.7e-10, 0, 12, 0},
                       {{0, 5e-10, 0}, 1.7e-10, 0, 12, 1},
                       {{0, 10e-10, 0}, 1.7e-10, 0, 12, 2}};
        add_species(engine, make_fixture_species(small));
        add_species(engine, make_fixture_species(large));
        add_instance(engine, 0, {0, 0, 0});
        add_instance(engine, 1, {0, 0, 0});
        engine.residue_contact_range = 4e-10;
        engine.residue_contact_range2 = 16e-20;
    }
    void TearDown() override { backup::reset(); }

    PROT& small() { return engine.prots[0]; }
    PROT& large() { return engine.prots[1]; }

    RootSection root{"t", false};  // outlives the engine, which logs its reactions' names
    PDcalc engine;
};

// Statistics are made in one order, the species of the lower index first,
// whichever order they are named in.
TEST_F(ResidueContacts, StatisticsHaveOneShape) {
    const auto& species = engine.model.species;
    for (const auto& stats : {make_contact_statistics(species[1], species[0], "%1$d.txt"),
                              make_contact_statistics(species[0], species[1], "%1$d.txt")}) {
        EXPECT_EQ(stats->dimension_count(), 2);
        EXPECT_EQ(stats->bin_count(0), 2);
        EXPECT_EQ(stats->bin_count(1), 3);
        EXPECT_EQ(stats->name_format, "%1$d.txt");
    }
}

// Each residue of the small species counts once, with the first residue of
// the large one it touches; spheres that meet are not yet a contact, atoms
// must. Both orders of the pair count the same cells.
TEST_F(ResidueContacts, CellsOfTouchingResidues) {
    const double quarter[3][3] = {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}};  // body y turned onto world -x
    const double identity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    struct Case {
        const char* what;
        POINT3D small_centre;  // ångström
        POINT3D large_centre;
        bool turned;
        Cells cells;  // (small residue, large residue) -> count
    };
    const std::vector<Case> cases = {
        {"side by side", {0, 0, 0}, {3, 0, 0}, false, {{{0, 0}, 1}, {{1, 1}, 1}}},
        {"first touching residue only", {0, 0, 0}, {2, 2.5, 0}, false, {{{0, 0}, 1}, {{1, 0}, 1}}},
        {"far apart", {0, 0, 0}, {20, 0, 0}, false, {}},
        {"across the periodic boundary", {49.8, 0, 0}, {-49.2, 0, 0}, false, {{{0, 0}, 1}, {{1, 1}, 1}}},
        {"turned", {0, 0, 0}, {12, 0, 0}, true, {{{0, 2}, 1}}},
        {"spheres meet, atoms do not", {0, 0, 0}, {0, 9, 0}, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        small().x = c.small_centre.x * 1e-10;
        small().y = c.small_centre.y * 1e-10;
        large().x = c.large_centre.x * 1e-10;
        large().y = c.large_centre.y * 1e-10;
        set_rotation(large(), c.turned ? quarter : identity);
        const auto& species = engine.model.species;
        const auto forward = make_contact_statistics(species[1], species[0], "");
        const auto backward = make_contact_statistics(species[1], species[0], "");
        engine.residues_in_range(&small(), &large(), forward.get());
        engine.residues_in_range(&large(), &small(), backward.get());
        EXPECT_EQ(cells_of(*forward), c.cells);
        EXPECT_EQ(cells_of(*backward), c.cells);
        EXPECT_EQ(forward->total_count(), c.cells.size());
    }
}

// A histogram sized in the other order (large × small) would be indexed out
// of its rows: it is refused before anything is counted.
TEST_F(ResidueContacts, HistogramOfAnotherShapeIsRefused) {
    large().x = 3e-10;
    const int transposed[2] = {3, 2};
    histogram h(2, transposed);
    try {
        engine.residues_in_range(&small(), &large(), &h);
        FAIL() << "no exception";
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(),
                     "residue contact histogram of 3 x 2 bins does not fit species small (2 residues) and large (3 "
                     "residues)");
    }
    EXPECT_EQ(h.total_count(), 0u);
    const int flat[1] = {6};
    histogram one(1, flat);
    EXPECT_THROW(engine.residues_in_range(&large(), &small(), &one), std::logic_error);
}

// A reaction whose first reactant has the higher species index counts its
// contacts in the same order as the pair statistics.
TEST_F(ResidueContacts, ReactionStatisticsWithTheHigherSpeciesFirst) {
    engine.rng = std::make_unique<RngStream>("ecuyer");
    large().x = 3e-10;
    REACTION& r = add_reaction(engine, root, "bind", 1, 0);
    r.contact_stats = make_contact_statistics(*r.reactants[0], *r.reactants[1], "");
    r.p = 0;
    testing_support::logged_text([&] { engine.reaction_event(&r, large(), small()); });
    EXPECT_EQ(cells_of(*r.contact_stats), (Cells{{{0, 0}, 1}, {{1, 1}, 1}}));
}

TEST_F(ResidueContacts, NothingWithoutRangeOrHistogram) {
    large().x = 3e-10;
    const auto stats = make_contact_statistics(engine.model.species[0], engine.model.species[1], "");
    engine.residues_in_range(&small(), &large(), nullptr);
    engine.residue_contact_range = 0;
    engine.residues_in_range(&small(), &large(), stats.get());
    EXPECT_EQ(stats->total_count(), 0u);
}

// Random species of many residues, turned and placed anywhere in a small
// periodic box, count exactly what the plain scan over all residue and atom
// pairs counts.
TEST(ResidueContactsAtRandom, AgreeWithThePlainScan) {
    backup::reset();
    PDcalc engine;
    add_box(engine, 30e-10);
    std::mt19937 random(20261210);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    for (int s = 0; s < 2; ++s) {
        FixtureOptions options;
        options.name = s == 0 ? "first" : "second";
        options.atoms.clear();
        const int residues = s == 0 ? 17 : 29;
        for (int r = 0; r < residues; ++r) {
            const POINT3D centre{unit(random) * 12e-10, unit(random) * 12e-10, unit(random) * 12e-10};
            const int atoms = 1 + r % 4;
            for (int a = 0; a < atoms; ++a)
                options.atoms.push_back(
                    {centre + POINT3D{unit(random), unit(random), unit(random)} * 2e-10, 1.5e-10, 0, 12, r});
        }
        add_species(engine, make_fixture_species(options));
    }
    add_instance(engine, 0, {0, 0, 0});
    add_instance(engine, 1, {0, 0, 0});
    add_instance(engine, 1, {0, 0, 0});
    engine.residue_contact_range = 3.5e-10;
    engine.residue_contact_range2 = 3.5e-10 * 3.5e-10;
    const auto& species = engine.model.species;
    std::uint64_t counted = 0;
    for (int trial = 0; trial < 300; ++trial) {
        for (PROT& p : engine.prots) {
            p.x = unit(random) * 30e-10;
            p.y = unit(random) * 30e-10;
            p.z = unit(random) * 30e-10;
            const double identity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
            turn_3a(p.rot, identity, unit(random) * 3.2, unit(random) * 3.2, unit(random) * 3.2);
            inv_mat(p.rot, p.rot_inv);
        }
        for (const auto& [i, j] : {std::pair{0, 1}, std::pair{2, 0}, std::pair{1, 2}}) {
            PROT& p = engine.prots[static_cast<std::size_t>(i)];
            PROT& q = engine.prots[static_cast<std::size_t>(j)];
            const auto actual = make_contact_statistics(species[p.species], species[q.species], "");
            const auto expected = make_contact_statistics(species[p.species], species[q.species], "");
            engine.residues_in_range(&p, &q, actual.get());
            reference_residue_contacts(engine, p, q, *expected);
            ASSERT_EQ(cells_of(*actual), cells_of(*expected)) << "trial " << trial << " pair " << i << "," << j;
            counted += actual->total_count();
        }
    }
    EXPECT_GT(counted, 100u);  // the configurations did meet
    backup::reset();
}

// The closest pair of atoms, over the atoms of the second instance (outer)
// and of the first (inner); a tie keeps the pair found first.
TEST_F(ResidueContacts, ClosestAtoms) {
    struct Case {
        POINT3D large_centre;  // ångström
        double distance;       // ångström
        int ip;                // atom of small
        int iq;                // atom of large
    };
    const std::vector<Case> cases = {
        {{3, 0, 0}, 0, 2, 1},         // large's atom at (3, 5) on small's at (3, 5)
        {{0, -14, 0}, 4, 0, 2},
        {{-3, -1, 0}, 1, 1, 1},
        {{99, 0, 0}, 1, 0, 0},        // across the boundary, 1 Å behind small
        {{0, 5, 7}, 7.615773, 1, 0},  // small's two atoms at y = 5 tie against large's first
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.large_centre.x << "," << c.large_centre.y << "," << c.large_centre.z);
        large().x = c.large_centre.x * 1e-10;
        large().y = c.large_centre.y * 1e-10;
        large().z = c.large_centre.z * 1e-10;
        int ip = -1;
        int iq = -1;
        EXPECT_NEAR(engine.atomic_distance(&small(), &large(), ip, iq), c.distance * 1e-10, 1e-16 + c.distance * 1e-17);
        EXPECT_EQ(ip, c.ip);
        EXPECT_EQ(iq, c.iq);
    }
    engine.model.species[1].atoms.clear();
    int ip = -1;
    int iq = -1;
    EXPECT_EQ(engine.atomic_distance(&small(), &large(), ip, iq), std::numeric_limits<double>::infinity());
    EXPECT_EQ(ip, -1);
    EXPECT_EQ(iq, -1);
}

}  // namespace
