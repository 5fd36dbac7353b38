// The residue distance map of two species in their structure files, the
// native contacts it defines, and its text file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "dynamics/PDcalc.h"
#include "support/FixtureSpecies.h"
#include "support/LoggedText.h"
#include "support/TempDir.h"

namespace {

using namespace dynamics_testing;

// "first" (index 0) has its axes turned (body x = structure y, body y =
// structure z) and its atoms at (1, 2, 3) in residue 0 and at (1, 3, 3) and
// (1, 2, 5) in residue 1 of its structure file; "second" has its atoms at
// (10, 2, 3), (10, 2, 7) and (7, 2, 3), one residue each.
class ResidueDistanceMap : public ::testing::Test {
protected:
    void SetUp() override {
        add_box(engine, 5e-9);
        FixtureOptions first;
        first.name = "first";
        first.atoms = {{{0, 0, 0}, 1.7e-10, 0, 12, 0},
                       {{1e-10, 0, 0}, 1.7e-10, 0, 12, 1},
                       {{0, 2e-10, 0}, 1.7e-10, 0, 12, 1}};
        PROT_CLASS a = make_fixture_species(first);
        a.mass_center = {1, 2, 3};
        const double turned[3][3] = {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}};
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) a.rot[i][j] = turned[i][j];
        inv_mat(a.rot, a.rot_inv);
        FixtureOptions second;
        second.name = "second";
        second.atoms = {{{0, 0, 0}, 1.7e-10, 0, 12, 0},
                        {{0, 0, 4e-10}, 1.7e-10, 0, 12, 1},
                        {{-3e-10, 0, 0}, 1.7e-10, 0, 12, 2}};
        PROT_CLASS b = make_fixture_species(second);
        b.mass_center = {10, 2, 3};
        add_species(engine, std::move(a));
        add_species(engine, std::move(b));
        engine.residue_contact_range = 9.1e-10;
    }

    const CLASS_PAIR& pair() const { return engine.model.pairs[pair_index(engine.model, 1, 0)]; }

    testing_support::TempDir dir;
    PDcalc engine;
};

// Cells run over the first species' residues fastest; each keeps the
// smallest atom-atom distance of its residue pair, in ångström.
TEST_F(ResidueDistanceMap, SmallestDistancesNativeContactsAndFile) {
    const std::string file = dir.file("map.txt");
    const std::string log = testing_support::logged_text(
        [&] { engine.residues_distance_map(&engine.model.species[0], &engine.model.species[1], file); });
    EXPECT_EQ(log, "message: 4 native contacts\n");
    EXPECT_EQ(testing_support::read_file(file),
              "9.000000\t9.055385\t\n"
              "9.848858\t9.219544\t\n"
              "6.000000\t6.082763\t");
    EXPECT_EQ(pair().native, (std::vector<std::uint8_t>{1, 1, 0, 0, 1, 1}));
    EXPECT_EQ(pair().native_n, 4);
    EXPECT_TRUE(engine.model.pairs[pair_index(engine.model, 0, 1)].native.empty());
}

// With the species the other way round the map is transposed, and the native
// contacts go to the same pair record.
TEST_F(ResidueDistanceMap, SpeciesInTheOtherOrder) {
    testing_support::logged_text(
        [&] { engine.residues_distance_map(&engine.model.species[1], &engine.model.species[0], std::nullopt); });
    EXPECT_EQ(pair().native, (std::vector<std::uint8_t>{1, 0, 1, 1, 0, 1}));
    EXPECT_EQ(pair().native_n, 4);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST_F(ResidueDistanceMap, NoNativeContactsWithoutContactRange) {
    engine.residue_contact_range = 0;
    const std::string file = dir.file("map.txt");
    EXPECT_EQ(testing_support::logged_text([&] {
                  engine.residues_distance_map(&engine.model.species[0], &engine.model.species[1], file);
              }),
              "");
    EXPECT_TRUE(pair().native.empty());
    EXPECT_EQ(pair().native_n, 0);
    EXPECT_EQ(testing_support::read_file(file).substr(0, 9), "9.000000\t");
}

}  // namespace
