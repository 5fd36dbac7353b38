// Species and instance records: the body frame of a species and the pair
// record of two instances.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "dynamics/PDcalc.h"
#include "dynamics/scene/Rotation.h"
#include "dynamics/species/BodyFrame.h"
#include "support/FixtureSpecies.h"

namespace {

using namespace dynamics_testing;

// An ordered pair of instances finds record (q.species + 1) × species_n +
// p.species; an instance against itself finds record p.species, one of the
// unused first species_n records.
TEST(Records, PairRecordOfTwoInstances) {
    PDcalc engine;
    add_box(engine, 5e-9);
    for (int s = 0; s < 3; ++s) add_species(engine, make_fixture_species());
    ASSERT_EQ(engine.model.pairs.size(), 12u);
    add_instance(engine, 0, {0, 0, 0});
    add_instance(engine, 2, {1e-9, 0, 0});
    add_instance(engine, 2, {2e-9, 0, 0});
    const PROT& a = engine.prots[0];
    const PROT& b = engine.prots[1];
    const PROT& c = engine.prots[2];

    struct Case {
        const PROT& p;
        const PROT& q;
        std::size_t record;
    };
    const std::vector<Case> cases = {
        {a, b, 9},  // (2 + 1) × 3 + 0
        {b, a, 5},  // (0 + 1) × 3 + 2
        {b, c, 11}, // same species, different instances
        {a, a, 0},
        {c, c, 2},
    };
    for (const Case& x : cases) {
        EXPECT_EQ(pair_index(engine.model, x.p, x.q), x.record);
        EXPECT_EQ(&pair_of(engine.model, x.p, x.q), &engine.model.pairs[x.record]);
    }
    EXPECT_EQ(pair_index(engine.model, 2, 0), 9u);
}

// Body coordinates: b = 1e-10 · rotᵀ · (P − mass_center), axes the columns
// of rot; the structure-file position comes back through rot_inv.
TEST(Records, BodyFrameOfASpecies) {
    PROT_CLASS s = make_fixture_species();
    s.mass_center = {10.0, -4.0, 2.5};
    // Columns: body x = world y, body y = world z, body z = world x.
    const double rot[3][3] = {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) s.rot[i][j] = rot[i][j];
    inv_mat(s.rot, s.rot_inv);

    struct Case {
        POINT3D structure;  // ångström
        POINT3D body;       // metres
    };
    const std::vector<Case> cases = {
        {{10.0, -4.0, 2.5}, {0, 0, 0}},
        {{13.0, -4.0, 2.5}, {0, 0, 3e-10}},   // along structure x: the long axis
        {{10.0, -2.0, 2.5}, {2e-10, 0, 0}},
        {{10.0, -4.0, 1.5}, {0, -1e-10, 0}},
        {{11.0, -5.0, 4.5}, {-1e-10, 2e-10, 1e-10}},
    };
    for (const Case& c : cases) {
        const POINT3D b = body_position(s, c.structure);
        EXPECT_NEAR(b.x, c.body.x, 1e-25);
        EXPECT_NEAR(b.y, c.body.y, 1e-25);
        EXPECT_NEAR(b.z, c.body.z, 1e-25);
        const POINT3D back = structure_position(s, b);
        EXPECT_NEAR(back.x, c.structure.x, 1e-12);
        EXPECT_NEAR(back.y, c.structure.y, 1e-12);
        EXPECT_NEAR(back.z, c.structure.z, 1e-12);
    }
}

// The fixture species is what the physics tests rely on: consistent counts,
// residues over contiguous atoms, a grid with a uniform gradient whose
// potential has that gradient.
TEST(Records, FixtureSpeciesIsConsistent) {
    FixtureOptions options;
    options.field = {1e8, -2e8, 3e8};
    const PROT_CLASS s = make_fixture_species(options);
    EXPECT_EQ(s.atoms_n, 5);
    EXPECT_EQ(s.charges_n, 3);
    EXPECT_EQ(s.residues_n, 2);
    EXPECT_EQ(s.residues[0].first, 0);
    EXPECT_EQ(s.residues[0].last, 1);
    EXPECT_EQ(s.residues[1].first, 2);
    EXPECT_EQ(s.residues[1].last, 4);
    for (const RESIDUE& r : s.residues)
        for (int a = r.first; a <= r.last; ++a) {
            const ATOM& atom = s.atoms[static_cast<std::size_t>(a)];
            const POINT3D d = POINT3D{atom.x, atom.y, atom.z} - r.center;
            EXPECT_LE(std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z), r.r * (1 + 1e-12));
        }
    const int n = s.pot_n;
    const double h = 2e-10;
    const auto pot = [&](int i, int j, int k) { return s.pot[static_cast<std::size_t>(lin(n, i, j, k))]; };
    EXPECT_NEAR((pot(5, 4, 4) - pot(3, 4, 4)) / (2 * h), options.field.x, 1e-6 * 1e8);
    EXPECT_NEAR((pot(4, 5, 4) - pot(4, 3, 4)) / (2 * h), options.field.y, 1e-6 * 1e8);
    EXPECT_NEAR((pot(4, 4, 5) - pot(4, 4, 3)) / (2 * h), options.field.z, 1e-6 * 1e8);
}

}  // namespace
