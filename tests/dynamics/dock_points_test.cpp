// Dock points of a reaction: how they are read, the distance within which the
// loop tests a pair, and the per-step test between two instances.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "dynamics/PDcalc.h"
#include "support/FixtureReaction.h"
#include "support/FixtureSpecies.h"
#include "support/LoggedText.h"
#include "utils/backup/backup.h"

namespace {

using namespace dynamics_testing;

constexpr double inf = std::numeric_limits<double>::infinity();

// Two species in a periodic box of 10 nm; alpha's axes are turned (body x =
// structure y, body y = structure z, body z = structure x), beta's are the
// structure's.
class DockPoints : public ::testing::Test {
protected:
    void SetUp() override {
        backup::reset();
        add_box(engine, 5e-9);
        PROT_CLASS alpha = make_fixture_species({.name = "alpha"});
        alpha.mass_center = {10, 20, 30};
        const double turned[3][3] = {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}};
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) alpha.rot[i][j] = turned[i][j];
        inv_mat(alpha.rot, alpha.rot_inv);
        PROT_CLASS beta = make_fixture_species({.name = "beta"});
        beta.mass_center = {-5, 0, 5};
        add_species(engine, std::move(alpha));
        add_species(engine, std::move(beta));
        engine.rng = std::make_unique<RngStream>("ecuyer");
    }
    void TearDown() override { backup::reset(); }

    // Reaction "bind" of r0 and r1 with the given dock points, read.
    REACTION& read(const std::vector<std::vector<double>>& entries, std::int32_t r0 = 0, std::int32_t r1 = 1,
                   std::optional<int> required = std::nullopt, std::string* log = nullptr) {
        REACTION& r = add_reaction(engine, root, "bind" + std::to_string(engine.model.reactions.size()), r0, r1);
        set_points(*r.section, entries);
        if (required) r.section->SetInt(*required, "points_required");
        const std::string text = testing_support::logged_text([&] { engine.read_points(r); });
        if (log != nullptr) *log = text;
        return r;
    }

    double dock2() const { return engine.model.pairs[pair_index(engine.model, 1, 0)].dock2; }

    RootSection root{"t", false};  // outlives the engine, which logs its reactions' names
    PDcalc engine;
};

void expect_point(const POINT3D& actual, const POINT3D& expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-22);
    EXPECT_NEAR(actual.y, expected.y, 1e-22);
    EXPECT_NEAR(actual.z, expected.z, 1e-22);
}

// Points come from the structure files into each reactant's body frame; a
// point not given in full stands at its species' centre of mass, plus what
// was given of it.
TEST_F(DockPoints, EntriesIntoBodyFrames) {
    struct Case {
        std::vector<double> entry;
        POINT3D a;  // body frame of alpha, ångström
        POINT3D b;  // body frame of beta, ångström
        double range;
    };
    const std::vector<Case> cases = {
        {{4, 11, 20, 30, -5, 0, 7}, {0, 0, 1}, {0, 0, 2}, 4},
        {{4, 10, 22, 33, -4, 1, 2}, {2, 3, 0}, {1, 1, -3}, 4},
        {{3}, {0, 0, 0}, {0, 0, 0}, 3},
        {{2, 12, 20, 30}, {0, 0, 2}, {0, 0, 0}, 2},
        {{2, 12, 20, 30, 1, 1}, {0, 0, 2}, {1, 1, 0}, 2},  // b's given part moves it from beta's centre
        {{1, 1, 1}, {1, 0, 1}, {0, 0, 0}, 1},              // likewise a's
        {{}, {0, 0, 0}, {0, 0, 0}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.entry));
        const REACTION& r = read({c.entry});
        ASSERT_EQ(r.points_n, 1);
        ASSERT_EQ(r.points.size(), 1u);
        const DOCKPOINT& p = r.points[0];
        expect_point(p.a, c.a * 1e-10);
        expect_point(p.b, c.b * 1e-10);
        EXPECT_DOUBLE_EQ(p.range, c.range * 1e-10);
        EXPECT_DOUBLE_EQ(p.range2, p.range * p.range);
        EXPECT_EQ(p.min_dist2, inf);
    }
}

TEST_F(DockPoints, EveryPointIsLoggedAndRegisteredForRestarts) {
    engine.model.species[0].surf_points = {{0, 0, 4e-10}, {0, 0, -4e-10}};
    std::string log;
    const std::uint64_t before = backup::signature();
    const REACTION& r = read({{4, 11, 20, 30, -5, 0, 7}, {3}}, 0, 1, std::nullopt, &log);
    EXPECT_EQ(backup::signature() - before, 2 * sizeof(double));
    EXPECT_EQ(r.points_required, 2);
    // a is 1 Å from alpha's centre, 3 Å from its nearest surface point; beta
    // has no surface points.
    EXPECT_NE(log.find("message: Dockpoint: required distance 4.000000e-10, distance in PDB 3.442383e-09,\n"
                       "\t3.000000e-10 from alpha surface,\n"
                       "\tinf from beta surface\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("message: Dockpoint: required distance 3.000000e-10, distance in PDB 3.535534e-09,\n"
                       "\t4.000000e-10 from alpha surface,\n"
                       "\tinf from beta surface\n"),
              std::string::npos)
        << log;
}

// The loop tests a pair only within the dock distance: the largest centre
// distance at which the required number of points can all be in range.
// Each point in range puts the centres at most |a| + |b| + range apart.
TEST_F(DockPoints, DockDistanceAllowsTheRequiredNumberOfPoints) {
    const std::vector<std::vector<double>> entries = {
        {5},                             // a, b at the centres: 5
        {2, 10, 20, 34, -5, 6, 5},       // |a| = 4, |b| = 6: 12
        {1, 13, 20, 30, -5, 0, 10},      // |a| = 3, |b| = 5: 9
    };
    struct Case {
        int required;
        double dock;  // ångström
    };
    const std::vector<Case> cases = {{3, 5}, {2, 9}, {1, 12}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.required);
        engine.model.pairs[pair_index(engine.model, 1, 0)].dock2 = 0;
        read(entries, 0, 1, c.required);
        EXPECT_NEAR(dock2(), c.dock * c.dock * 1e-20, 1e-32);
    }
}

// The pair record of the dock distance is the one of the higher species
// index first, whichever reactant comes first; it keeps the largest distance
// of its reactions.
TEST_F(DockPoints, DockDistanceOfAPairIsItsLargest) {
    read({{5}}, 1, 0);
    EXPECT_NEAR(dock2(), 25e-20, 1e-32);
    read({{3}}, 0, 1);
    EXPECT_NEAR(dock2(), 25e-20, 1e-32);
    read({{7}}, 0, 1);
    EXPECT_NEAR(dock2(), 49e-20, 1e-32);
    EXPECT_EQ(engine.model.pairs[pair_index(engine.model, 0, 1)].dock2, 0.0);
}

// Reactions that can never fire are reported and leave the dock distance.
TEST_F(DockPoints, ReactionsThatCannotFire) {
    struct Case {
        std::vector<std::vector<double>> entries;
        std::optional<int> required;
        std::string warning;
    };
    const std::vector<Case> cases = {
        {{}, std::nullopt, "warning: reaction bind0 has no dock points: it never fires\n"},
        {{{5}, {6}}, 3, "warning: reaction bind1 requires 3 of its 2 dock points: it never fires\n"},
        {{{5}, {6}}, 0, "warning: reaction bind2 requires 0 of its 2 dock points: it never fires\n"},
    };
    for (const Case& c : cases) {
        std::string log;
        read(c.entries, 0, 1, c.required, &log);
        EXPECT_NE(log.find(c.warning), std::string::npos) << log;
        EXPECT_EQ(dock2(), 0.0);
    }
}

TEST_F(DockPoints, OnlyBimolecularReactionsAreRead) {
    REACTION& r = add_reaction(engine, root, "triple", 0, 1);
    r.order = 3;
    set_points(*r.section, {{5}});
    EXPECT_EQ(testing_support::logged_text([&] { engine.read_points(r); }),
              "warning: trimolecular or higher order (3) reaction are not supported yet\n");
    EXPECT_EQ(r.points_n, 0);
    EXPECT_TRUE(r.points.empty());
}

// Two unturned species in a periodic box of 10 nm, one instance of each,
// and a reaction whose three dock points lie 10 Å along x, at the centres
// and 10 Å along y on both reactants, each with a range of 2 Å.
class DockTest : public ::testing::Test {
protected:
    void SetUp() override {
        backup::reset();
        add_box(engine, 5e-9);
        for (const char* name : {"alpha", "beta"}) {
            PROT_CLASS s = make_fixture_species({.name = name});
            s.mass_center = {0, 0, 0};
            add_species(engine, std::move(s));
        }
        add_instance(engine, 0, {0, 0, 0});
        add_instance(engine, 1, {0, 0, 0});
        engine.rng = std::make_unique<RngStream>("ecuyer");
        REACTION& r = add_reaction(engine, root, "bind", 0, 1);
        set_points(*r.section, {{2, 10, 0, 0, 10, 0, 0}, {2}, {2, 0, 10, 0, 0, 10, 0}});
        testing_support::logged_text([&] { engine.read_points(r); });
        r.p = 0;
    }
    void TearDown() override { backup::reset(); }

    REACTION& reaction() { return engine.model.reactions[0]; }
    PROT& a() { return engine.prots[0]; }
    PROT& b() { return engine.prots[1]; }

    RootSection root{"t", false};  // outlives the engine, which logs its reactions' names
    PDcalc engine;
};

// With fewer points required than there are, the contact is declared as soon
// as that many are in range, scanning in order.
TEST_F(DockTest, RequiredPointsBelowThePointCount) {
    // b turned by 90° about z: its x point goes to +y, its y point to -x.
    const double quarter[3][3] = {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}};
    struct Case {
        POINT3D b_centre;  // ångström
        bool turned;
        int required;
        bool contact;
    };
    const std::vector<Case> cases = {
        {{1, 0, 0}, false, 3, true},     // all three within 1 Å
        {{3, 0, 0}, false, 1, false},    // none: every point 3 Å apart
        {{10, 10, 0}, true, 1, true},    // only the last: b's y point turned onto a's
        {{10, 10, 0}, true, 2, false},
        {{0, 0, 1.5}, true, 1, true},    // only the centres, 1.5 Å apart
        {{0, 0, 1.5}, true, 2, false},
        {{0.5, 0.5, 0}, false, 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.b_centre.x << "," << c.b_centre.y << " required " << c.required);
        reaction().points_required = c.required;
        const std::int64_t contacts = reaction().contacts;
        b().x = c.b_centre.x * 1e-10;
        b().y = c.b_centre.y * 1e-10;
        b().z = c.b_centre.z * 1e-10;
        const double identity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
        const auto& rot = c.turned ? quarter : identity;
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) b().rot[i][j] = rot[i][j];
        inv_mat(b().rot, b().rot_inv);
        EXPECT_EQ(engine.dockpoints_test(&reaction(), a(), b(), false), c.contact ? 1 : 0);
        EXPECT_EQ(reaction().contacts - contacts, c.contact ? 1 : 0);
    }
}

// The pre-filter of the loop lets through every pair that the test would
// declare in contact: one point of two required, with the centres farther
// apart than the other point's bound.
TEST_F(DockTest, LoopFindsContactsOfFewerPointsThanThereAre) {
    backup::reset();
    RootSection tree{"t", false};
    PDcalc loop_engine;
    add_box(loop_engine, 5e-9);
    for (const char* name : {"alpha", "beta"}) {
        PROT_CLASS s = make_fixture_species({.name = name});
        s.mass_center = {0, 0, 0};
        s.N = 1;
        add_species(loop_engine, std::move(s));
    }
    add_instance(loop_engine, 0, {0, 0, 0});
    add_instance(loop_engine, 1, {41e-10, 0, 0});
    loop_engine.rng = std::make_unique<RngStream>("ecuyer");
    REACTION& r = add_reaction(loop_engine, tree, "bind", 0, 1);
    // Centres within 5 Å, or a's point 20 Å along x within 4 Å of b's point
    // 20 Å along -x: bounds 5 and 44 Å. The centres are 41 Å apart and the
    // second points 1 Å.
    set_points(*r.section, {{5}, {4, 20, 0, 0, -20, 0, 0}});
    r.section->SetInt(1, "points_required");
    testing_support::logged_text([&] { loop_engine.read_points(r); });
    r.p = 1;
    file_reactions(loop_engine);
    testing_support::logged_text([&] { reaction_step(loop_engine); });
    EXPECT_EQ(r.contacts, 1);
    EXPECT_EQ(r.events, 1);
}

// On a contact every point's smallest distance seen so far is kept, not only
// the points that made it.
TEST_F(DockTest, ContactsKeepTheSmallestDistanceOfEveryPoint) {
    reaction().points_required = 1;
    b().x = 1e-10;
    ASSERT_EQ(engine.dockpoints_test(&reaction(), a(), b(), false), 1);
    b().x = 1.5e-10;
    ASSERT_EQ(engine.dockpoints_test(&reaction(), a(), b(), false), 1);
    b().x = 0.5e-10;
    b().y = 40e-10;  // out of range: nothing kept
    ASSERT_EQ(engine.dockpoints_test(&reaction(), a(), b(), false), 0);
    for (const DOCKPOINT& p : reaction().points) EXPECT_NEAR(std::sqrt(p.min_dist2), 1e-10, 1e-22);
}

// A forced test logs every point and ignores the partner arrays.
TEST_F(DockTest, ForcedTestLogsEveryPoint) {
    reaction().points_required = 1;
    reaction().partner[0][0] = 1;
    b().x = 1e-10;
    EXPECT_EQ(engine.dockpoints_test(&reaction(), a(), b(), false), 0);
    EXPECT_EQ(reaction().contacts, 0);
    int contact = 0;
    const std::string log =
        testing_support::logged_text([&] { contact = engine.dockpoints_test(&reaction(), a(), b(), true); });
    EXPECT_EQ(contact, 1);
    EXPECT_EQ(log,
              "message: Distance 1\t1.000000e-10\t2.000000e-10 (min = inf)\n"
              "message: Distance 2\t1.000000e-10\t2.000000e-10 (min = inf)\n"
              "message: Distance 3\t1.000000e-10\t2.000000e-10 (min = inf)\n");
    EXPECT_EQ(reaction().contacts, 1);
}

// Three instances of one species in a row, the middle one in contact with
// both others, in a reaction of the species with itself that always fires:
// the loop tests every pair in both orders, and one event binds the first
// pair. The middle instance has reacted and reacts no more, in either role.
TEST(SelfReaction, EachPairReactsOnceAndStoppedInstancesNoMore) {
    backup::reset();
    RootSection tree{"t", false};
    PDcalc engine;
    add_box(engine, 5e-9);
    PROT_CLASS s = make_fixture_species({.name = "mono"});
    s.mass_center = {0, 0, 0};
    s.N = 4;
    add_species(engine, std::move(s));
    add_instance(engine, 0, {0, 0, 0});
    add_instance(engine, 0, {3e-10, 0, 0});
    add_instance(engine, 0, {6e-10, 0, 0});
    add_instance(engine, 0, {30e-10, 0, 0});  // alone
    engine.rng = std::make_unique<RngStream>("ecuyer");
    REACTION& r = add_reaction(engine, tree, "dimer", 0, 0);
    set_points(*r.section, {{4}});
    testing_support::logged_text([&] { engine.read_points(r); });
    r.p = 1;
    file_reactions(engine);

    const std::string log = testing_support::logged_text([&] {
        for (int step = 0; step < 5; ++step) reaction_step(engine);
    });
    EXPECT_EQ(r.events, 1) << log;
    EXPECT_EQ(r.contacts, 1);
    EXPECT_EQ(r.partner[0], (std::vector<std::int32_t>{1, -1, -1, -1}));
    EXPECT_EQ(r.partner[1], (std::vector<std::int32_t>{-1, 0, -1, -1}));
    const std::vector<bool> stopped = {engine.prots[0].stopped, engine.prots[1].stopped, engine.prots[2].stopped,
                                       engine.prots[3].stopped};
    EXPECT_EQ(stopped, (std::vector<bool>{true, true, false, false}));
    backup::reset();
}

}  // namespace
