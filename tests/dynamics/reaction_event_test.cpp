// Reaction events: the probability, the trajectory frame they call for, the
// stop count, the docking log with its rate constant, the binding of the pair
// and the structure dump.
#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include <unistd.h>

#include "dynamics/PDcalc.h"
#include "dynamics/reactions/StructureDump.h"
#include "dynamics/species/PdbLines.h"
#include "support/FixtureReaction.h"
#include "support/FixtureSpecies.h"
#include "support/LoggedText.h"
#include "support/TempDir.h"
#include "utils/backup/backup.h"

namespace {

using namespace dynamics_testing;

// Two species of two atoms each (at the centre and 1.5 Å along body x) in
// a periodic box of 10 nm, one instance of each, and the reaction "bind"
// between them.
class ReactionEvent : public ::testing::Test {
protected:
    void SetUp() override {
        backup::reset();
        add_box(engine, 5e-9);
        for (const char* name : {"alpha", "beta"}) {
            FixtureOptions options;
            options.name = name;
            options.atoms = {{{0, 0, 0}, 1.7e-10, 0, 12, 0}, {{1.5e-10, 0, 0}, 1.5e-10, 0, 14, 0}};
            PROT_CLASS s = make_fixture_species(options);
            s.N = 10;
            add_species(engine, std::move(s));
        }
        add_instance(engine, 0, {0, 0, 0});
        add_instance(engine, 1, {3e-10, 0, 0});
        engine.rng = std::make_unique<RngStream>("ecuyer");
        engine.out_folder = dir.path().string() + "/";
        engine.step = 10;
        REACTION& r = add_reaction(engine, root, "bind", 0, 1);
        r.p = 1;
    }
    void TearDown() override { backup::reset(); }

    REACTION& reaction() { return engine.model.reactions[0]; }
    PROT& a() { return engine.prots[0]; }
    PROT& b() { return engine.prots[1]; }

    // The event, with what it logged.
    int event(std::string* log = nullptr) {
        int fired = 0;
        const std::string text = testing_support::logged_text([&] { fired = engine.reaction_event(&reaction(), a(), b()); });
        if (log != nullptr) *log = text;
        return fired;
    }

    testing_support::TempDir dir;
    RootSection root{"t", false};  // outlives the engine, which logs its reactions' names
    PDcalc engine;
};

TEST_F(ReactionEvent, ProbabilityDecidesAndTheReactedPairIsBound) {
    struct Case {
        double p;
        bool a_stopped;
        bool fires;
    };
    const std::vector<Case> cases = {
        {1, false, true},
        {0, false, false},   // u is never below 0
        {1, true, false},    // an instance that has reacted reacts no more
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "p " << c.p << " stopped " << c.a_stopped);
        reaction().p = c.p;
        reaction().events = 0;
        reaction().partner.assign(2, std::vector<std::int32_t>(2, -1));
        a().stopped = c.a_stopped;
        b().stopped = false;
        EXPECT_EQ(event(), c.fires ? 1 : 0);
        EXPECT_EQ(reaction().events, c.fires ? 1 : 0);
        EXPECT_EQ(b().stopped, c.fires);
        EXPECT_EQ(reaction().partner[0][0], c.fires ? 1 : -1);
        EXPECT_EQ(reaction().partner[1][1], c.fires ? 0 : -1);
    }
}

// A contact that already existed in the previous step calls for no frame of
// its own; a new contact and every event do.
TEST_F(ReactionEvent, FrameDueForNewContactsAndEvents) {
    struct Case {
        std::int64_t a_contact;
        std::int64_t b_contact;
        double p;
        bool frame_due;
    };
    const std::vector<Case> cases = {
        {9, 9, 0, false}, {9, 5, 0, true}, {5, 9, 0, true}, {-2, -2, 0, true}, {10, 10, 0, true}, {9, 9, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.a_contact << " " << c.b_contact << " p " << c.p);
        a().stopped = b().stopped = false;
        reaction().partner.assign(2, std::vector<std::int32_t>(2, -1));
        reaction().p = c.p;
        a().contact_step = c.a_contact;
        b().contact_step = c.b_contact;
        engine.frame_due = false;
        event();
        EXPECT_EQ(engine.frame_due, c.frame_due);
        EXPECT_EQ(a().contact_step, 10);
        EXPECT_EQ(b().contact_step, 10);
    }
}

TEST_F(ReactionEvent, StopCountFinishesTheExperiment) {
    struct Case {
        std::int32_t events_before;
        std::int32_t stop;
        bool finish;
    };
    const std::vector<Case> cases = {
        {0, 2, false}, {1, 2, true}, {0, 1, true}, {5, std::numeric_limits<std::int32_t>::max(), false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.events_before << " of " << c.stop);
        a().stopped = b().stopped = false;
        reaction().partner.assign(2, std::vector<std::int32_t>(2, -1));
        reaction().events = c.events_before;
        reaction().stop = c.stop;
        engine.finish_flag = false;
        ASSERT_EQ(event(), 1);
        EXPECT_EQ(engine.finish_flag, c.finish);
    }
}

// The rate constant of the integrated second-order law over the populations
// of the two reactants; no rate at step 0, where no time has passed.
TEST_F(ReactionEvent, DockingLogCarriesTheRateConstant) {
    struct Case {
        std::int64_t step;
        double volume;
        std::int32_t na;
        std::int32_t nb;
        std::string line;
    };
    const std::vector<Case> cases = {
        // Equal populations: 6.022141793e26 · V · n / (N · (N − n) · t).
        {100, 1e-24, 10, 10, "message: Docking on step 100, n=1, k=6.691269e+10\n"},
        {1000, 1e-21, 100000, 100000, "message: Docking on step 1000, n=1, k=6.022202e+04\n"},
        // Different populations: F · V / ((nb − na) · t) · ln(na (nb − n) / (nb (na − n))).
        {100, 1e-24, 10, 40, "message: Docking on step 100, n=1, k=1.606762e+10\n"},
        {50, 1e-24, 1, 1, "message: Docking on step 50, n=1, k=inf\n"},  // every reactant has reacted
        {50, 1e-24, 1, 3, "message: Docking on step 50, n=1, k=inf\n"},
        {0, 1e-24, 10, 10, "message: Docking on step 0, n=1\n"},
        {0, 0, 10, 10, "message: Docking on step 0, n=1\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        a().stopped = b().stopped = false;
        reaction().partner.assign(2, std::vector<std::int32_t>(2, -1));
        reaction().events = 0;
        reaction().volume = c.volume;
        engine.model.species[0].N = c.na;
        engine.model.species[1].N = c.nb;
        reaction().N0 = std::min(c.na, c.nb);
        engine.step = c.step;
        std::string log;
        ASSERT_EQ(event(&log), 1);
        EXPECT_EQ(log.substr(0, log.find('\n') + 1), c.line);
    }
}

// The dump holds the first instance's atoms around the origin, then the
// second's at its nearest periodic image, each line from its atom's template.
TEST_F(ReactionEvent, StructureDumpOfTheReactedPair) {
    engine.model.species[0].pdb_lines = {make_pdb_line("ATOM      1  N   ALA A   1", 0, 1.7),
                                         make_pdb_line("ATOM      2  CA  ALA A   1", 0, 1.5)};
    engine.model.species[1].pdb_lines = {make_pdb_line("ATOM      1  N   GLY B   1", 0, 1.7),
                                         make_pdb_line("ATOM      2  CA  GLY B   1%s%n", -1, 1.5)};
    reaction().section->SetString("*", "pdb_dump");
    reaction().contacts = 7;
    a().x = 4.9e-9;
    b().x = -4.9e-9;  // across the boundary: 2 Å beyond a
    b().y = 3e-10;
    const double quarter[3][3] = {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}};  // body x turned onto world y
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) b().rot[i][j] = quarter[i][j];
    inv_mat(b().rot, b().rot_inv);

    std::string log;
    ASSERT_EQ(event(&log), 1);
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) files.push_back(entry.path().string());
    ASSERT_EQ(files.size(), 1u);
    const std::string& file = files[0];
    const std::string name = std::filesystem::path(file).filename().string();
    EXPECT_EQ(name.rfind("bind.1.7.", 0), 0u) << name;
    const std::string tail = "-" + std::to_string(::getpid()) + ".pdb";
    EXPECT_EQ(name.substr(name.size() - tail.size()), tail);
    EXPECT_EQ(testing_support::read_file(file),
              "ATOM      1  N   ALA A   1       0.000   0.000   0.000  0.00  1.70\n"
              "ATOM      2  CA  ALA A   1       1.500   0.000   0.000  0.00  1.50\n"
              "ATOM      1  N   GLY B   1       2.000   3.000   0.000  0.00  1.70\n"
              "ATOM      2  CA  GLY B   1%s%n   2.000   4.500   0.000 -1.00  1.50\n");
    EXPECT_NE(log.find("message: dumping PDB structure to " + file + "\n"), std::string::npos) << log;
    // Closest: a's second atom and b's first, 0.5 Å and 3 Å apart.
    EXPECT_NE(log.find("message: min atomic distance 3.041381e-10\n"), std::string::npos) << log;
}

// Without a dump name, or when its file cannot be opened, the event still
// counts.
TEST_F(ReactionEvent, EventCountsWhenTheDumpCannotBeWritten) {
    std::string log;
    ASSERT_EQ(event(&log), 1);
    EXPECT_EQ(log.find("dumping"), std::string::npos) << log;
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

    a().stopped = b().stopped = false;
    reaction().partner.assign(2, std::vector<std::int32_t>(2, -1));
    reaction().section->SetString("*", "pdb_dump");
    engine.out_folder = dir.file("missing") + "/";
    ASSERT_EQ(event(&log), 1);
    EXPECT_EQ(reaction().events, 2);
    EXPECT_NE(log.find("error: failed to open PDB dump file " + engine.out_folder + "bind.1.0."), std::string::npos)
        << log;
}

}  // namespace
