// The model the preparation builds from a configuration with real structure
// files: species pairs with their ranges and contact statistics, the
// instances, the reactions filed under their pairs, and the restart blocks.
#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <exception>
#include <filesystem>
#include <string>

#include "dynamics/PDcalc.h"
#include "support/LoggedText.h"
#include "support/TempDir.h"
#include "utils/backup/backup.h"

namespace {

using testing_support::logged_text;

const std::string proteins = std::string(ZELMAR_FIXTURES) + "/proteins/";

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Two species made from the peptide (small grids, few relaxation sweeps) in
// one periodic box; `extra` is appended to the configuration.
std::string configuration(const std::string& extra, const std::string& calculation = "") {
    return R"(
        Files { in_folder = ")" + proteins + R"("  no_overwrite = 0 }
        Calculation { random_seed = 11  h = 3  N = 5  )" + calculation + R"(
                      contacts { residue_contact_range = 4
                                 B_A { statistics = "*"  native = "*" } } }
        Physics { A = 20 }
        Compartments { box { type = 0  halfsize = [100, 100, 100] } }
        Species {
            A { pdb = "pept.pdb"  compartment = "box"  N = 3 }
            B { pdb = "pept.pdb"  compartment = "box"  N = 2 }
        }
    )" + extra;
}

constexpr const char* bind_reaction = R"(
        Reactions { bind { reactants { r0 = "A"  r1 = "B" }  points { p1 = [12] }  p = 0.5  stop = 0.5 } }
)";

class PreparationModel : public testing::Test {
protected:
    // The preparation installs the process's handlers; they are put back.
    void TearDown() override {
        backup::reset();
        std::set_terminate(terminate_before);
        std::signal(SIGINT, SIG_DFL);
        std::signal(SIGTERM, SIG_DFL);
    }
    std::terminate_handler terminate_before = std::get_terminate();

    std::string prepare(PDcalc& engine, const std::string& text, bool* result = nullptr) {
        const std::string path = dir.file("run.cfg");
        testing_support::write_file(path, text);
        bool prepared = false;
        std::string log = logged_text([&] {
            try {
                prepared = engine.prepare(path);
            } catch (const char* text) {
                ADD_FAILURE() << text;
            } catch (const std::exception& e) {
                ADD_FAILURE() << e.what();
            }
        });
        if (result != nullptr) *result = prepared;
        return log;
    }

    testing_support::TempDir dir;
};

TEST_F(PreparationModel, PairsInstancesAndReactions) {
    PDcalc engine;
    bool prepared = false;
    const std::string log = prepare(engine, configuration(bind_reaction), &prepared);
    ASSERT_TRUE(prepared) << log;
    const PROFILE& model = engine.model;
    ASSERT_EQ(model.species_n, 2);
    EXPECT_EQ(model.species_index.at("A"), 0);
    EXPECT_EQ(model.species_index.at("B"), 1);
    EXPECT_EQ(engine.prots_n, 5);
    EXPECT_EQ(engine.prots.size(), 5u);

    // Ranges of every ordered pair, both orders holding the same record.
    for (int a = 0; a < 2; ++a)
        for (int b = 0; b < 2; ++b) {
            SCOPED_TRACE(::testing::Message() << a << " " << b);
            const PROT_CLASS& sa = model.species[a];
            const PROT_CLASS& sb = model.species[b];
            const CLASS_PAIR& pair = model.pairs[pair_index(model, a, b)];
            EXPECT_DOUBLE_EQ(pair.cutoff2, std::pow(20e-10 + sa.r_max + sb.r_max, 2));
            EXPECT_DOUBLE_EQ(pair.outer2, std::pow(sa.r_outer + sb.r_outer, 2));
            EXPECT_DOUBLE_EQ(pair.inner2, std::pow(sa.r_inner + sb.r_inner, 2));
        }
    // The contacts section "B_A" serves the pair of A and B; the default
    // pattern names B first. A with itself has no section.
    const CLASS_PAIR& ab = model.pairs[pair_index(model, 1, 0)];
    const CLASS_PAIR& ba = model.pairs[pair_index(model, 0, 1)];
    ASSERT_NE(ab.stats, nullptr);
    EXPECT_EQ(ab.stats, ba.stats);
    EXPECT_EQ(ab.stats->name_format, "B_A.contacts.%1$d.%2$s-%3$lu.txt");
    EXPECT_DOUBLE_EQ(ab.contact2, std::pow(4e-10 + model.species[0].r_outer + model.species[1].r_outer, 2));
    EXPECT_EQ(model.pairs[pair_index(model, 0, 0)].stats, nullptr);
    EXPECT_EQ(model.pairs[pair_index(model, 0, 0)].contact2, 0.0);
    // The same structure: every residue touches itself.
    EXPECT_GT(ab.native_n, 0);
    ASSERT_NE(ab.native_stats, nullptr);
    EXPECT_EQ(ab.native_stats->name_format, "B_A.native.%1$d.%2$s-%3$lu.txt");

    // The reaction: populations, volume, stop count, and its filing under
    // the record of an A instance tested against a B instance.
    ASSERT_EQ(model.reactions_n, 1);
    const REACTION& bind = model.reactions[0];
    EXPECT_TRUE(contains(log, "message: reading reaction bind\n")) << log;
    EXPECT_EQ(bind.order, 2);
    EXPECT_EQ(bind.reactants[0], &model.species[0]);
    EXPECT_EQ(bind.reactants[1], &model.species[1]);
    EXPECT_EQ(bind.N0, 2);
    EXPECT_EQ(bind.stop, 1);  // half of the smaller population
    EXPECT_DOUBLE_EQ(bind.p, 0.5);
    EXPECT_DOUBLE_EQ(bind.volume, 8e-24);
    ASSERT_EQ(bind.partner.size(), 2u);
    EXPECT_EQ(bind.partner[0].size(), 5u);
    const CLASS_PAIR& filed = model.pairs[pair_index(model, 1, 0)];
    ASSERT_EQ(filed.reactions_n, 1);
    EXPECT_EQ(filed.reactions[0], &bind);
    EXPECT_DOUBLE_EQ(filed.dock2, 144e-20);
    EXPECT_DOUBLE_EQ(model.pairs[pair_index(model, 0, 1)].dock2, 144e-20);  // the mirrored record
    EXPECT_EQ(model.pairs[pair_index(model, 0, 1)].reactions_n, 0);
    EXPECT_EQ(model.pairs[pair_index(model, 0, 0)].reactions_n, 0);

    // The restart blocks, in the engine's own registry: the stream, the
    // species, the histograms, the instances, then the reaction's counters,
    // partners and dock point.
    const std::uint64_t stream = 3 * 48 + 2;
    const std::uint64_t species = 2 * 4;
    const std::uint64_t histograms = 8 * (ab.stats->cell_count() + 1) + 8 * (ab.native_stats->cell_count() + 1);
    const std::uint64_t instances = 5 * sizeof(PROT);
    const std::uint64_t reaction = 4 + 8 + 2 * 5 * 4 + 8;
    EXPECT_EQ(engine.restart_registry.signature(), stream + species + histograms + instances + reaction);
}

TEST_F(PreparationModel, MissingSectionsAndUnknownReactants) {
    struct Case {
        std::string text;
        std::string error;  // empty: prepared
    };
    const std::vector<Case> cases = {
        {configuration(""), "error: the configuration has no \"Reactions\" section\n"},
        {configuration("", "interaction = 0"), ""},
        {configuration(R"(Reactions { bind { reactants { r0 = "A"  r1 = "C" }  points { p1 = [12] } } })"),
         "error: unknown reactant C\n"},
        {R"(Compartments { box { halfsize = [10, 10, 10] } }  Calculation { random_seed = 3  interaction = 0 })",
         "error: the configuration has no \"Species\" section\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        PDcalc engine;
        bool prepared = false;
        const std::string log = prepare(engine, c.text, &prepared);
        EXPECT_EQ(prepared, c.error.empty()) << log;
        if (!c.error.empty()) {
            EXPECT_TRUE(contains(log, c.error)) << log;
        }
        backup::reset();
    }
}

// A reaction of three reactants is read and registered, and filed nowhere.
TEST_F(PreparationModel, HigherOrderReactionIsInert) {
    PDcalc engine;
    bool prepared = false;
    const std::string log = prepare(
        engine,
        configuration(R"(Reactions { three { reactants { r0 = "A"  r1 = "B"  r2 = "A" }  points { p1 = [12] } } })"),
        &prepared);
    ASSERT_TRUE(prepared) << log;
    EXPECT_TRUE(contains(log, "warning: trimolecular or higher order (3) reaction are not supported yet\n")) << log;
    EXPECT_EQ(engine.model.reactions[0].order, 3);
    EXPECT_EQ(engine.model.reactions[0].partner.size(), 3u);
    for (const CLASS_PAIR& pair : engine.model.pairs) EXPECT_EQ(pair.reactions_n, 0);
}

}  // namespace
