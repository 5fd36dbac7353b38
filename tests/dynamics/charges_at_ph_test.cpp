// Fractional charges of titratable atoms at the solution's pH.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "dynamics/PDcalc.h"
#include "dynamics/species/ChargeRules.h"
#include "support/LoggedText.h"
#include "utils/Format.h"

namespace {

const CHARGE_RULE& rule(const char* residue, const char* atom) {
    for (const CHARGE_RULE& r : charge_rules)
        if (std::strcmp(r.residue, residue) == 0 && std::strcmp(r.atom, atom) == 0) return r;
    throw std::runtime_error(std::string("no rule for ") + residue + " " + atom);
}

// Henderson-Hasselbalch in double precision: the protonated fraction is
// 1 / (1 + 10^(pH − pKa)).
double expected_charge(const CHARGE_RULE& r, double pH) {
    const double protonated = 1.0 / (1.0 + std::pow(10.0, pH - r.pKa));
    return (r.q_prot * protonated + r.q_deprot * (1.0 - protonated)) / r.n_atoms;
}

class ChargesAtPh : public ::testing::Test {
protected:
    // Fills the table at `pH` through the engine.
    void at(double pH) {
        engine.pH = pH;
        testing_support::logged_text([&] { engine.charge_calc(); });
    }
    PDcalc engine;
};

TEST_F(ChargesAtPh, EveryRowFollowsHendersonHasselbalch) {
    for (const double pH : {0.0, 3.86, 5.5, 7.0, 7.4, 9.0, 12.48, 14.0, 20.0}) {
        SCOPED_TRACE(pH);
        at(pH);
        for (const CHARGE_RULE& r : charge_rules) {
            SCOPED_TRACE(std::string(r.residue) + " " + r.atom);
            EXPECT_NEAR(r.charge, expected_charge(r, pH), 5e-7);
        }
    }
}

// Known values: aspartate's two carboxyl oxygens share a charge of almost
// -1 at pH 7, lysine's amine is almost fully charged, histidine's two ring
// nitrogens share a small positive charge; at the pKa the group is half
// charged.
TEST_F(ChargesAtPh, KnownValues) {
    struct Case {
        double pH;
        const char* residue;
        const char* atom;
        double charge;
    };
    const Case cases[] = {
        {7.0, "ASP", "OD1", -0.49964}, {7.0, "ASP", "OD2", -0.49964}, {7.0, "LYS", "NZ", 0.99970},
        {7.0, "HIS", "ND1", 0.05591},  {7.0, "HIS", "NE2", 0.05591},  {7.0, "ARG", "NH1", 0.49999},
        {8.37, "CYS", "SG", -0.5},     {2.35, "ALA", "OXT", -0.5},   {9.87, "ALA", "N", 0.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.residue << " " << c.atom << " at pH " << c.pH);
        at(c.pH);
        EXPECT_NEAR(rule(c.residue, c.atom).charge, c.charge, 1e-5);
    }
}

// Far from every pKa each group is wholly in one state, to single
// precision, also where the ratio 10^(pH − pKa) no longer fits single
// precision.
TEST_F(ChargesAtPh, ExtremePhGivesWholeStates) {
    for (const double pH : {20.0, 60.0, 400.0}) {
        SCOPED_TRACE(pH);
        at(pH);
        for (const CHARGE_RULE& r : charge_rules)
            EXPECT_NEAR(r.charge, static_cast<double>(r.q_deprot) / r.n_atoms, 1e-6) << r.residue << " " << r.atom;
    }
    for (const double pH : {-20.0, -400.0}) {
        SCOPED_TRACE(pH);
        at(pH);
        for (const CHARGE_RULE& r : charge_rules)
            EXPECT_NEAR(r.charge, static_cast<double>(r.q_prot) / r.n_atoms, 1e-6) << r.residue << " " << r.atom;
    }
}

// The table: 15 side-chain rows, then the carboxyl and the amino terminus of
// each of 21 residue names; only the amino-terminus rows are limited to a
// chain's first residue.
TEST_F(ChargesAtPh, TableShape) {
    ASSERT_EQ(charge_rules_N, 57);
    for (int i = 15; i < 36; ++i) {
        EXPECT_STREQ(charge_rules[i].atom, "OXT");
        EXPECT_EQ(charge_rules[i].n_term, 0);
        EXPECT_STREQ(charge_rules[i].residue, charge_rules[i + 21].residue);
        EXPECT_STREQ(charge_rules[i + 21].atom, "N");
        EXPECT_EQ(charge_rules[i + 21].n_term, 1);
    }
    for (int i = 0; i < 15; ++i) EXPECT_EQ(charge_rules[i].n_term, 0);
    EXPECT_EQ(rule("PRO", "N").pKa, 10.6);
    EXPECT_EQ(rule("PHE", "OXT").pKa, 2.58);
    EXPECT_EQ(rule("THR", "OG1").pKa, 13.0);
    EXPECT_EQ(rule("CYS", "SG").n_atoms, 1);
}

// One message with the pH, then one line per row: residue, atom and charge.
TEST_F(ChargesAtPh, LogsEveryRow) {
    engine.pH = 7.0;
    const std::string text = testing_support::logged_text([&] { engine.charge_calc(); });
    std::istringstream lines(text);
    std::vector<std::string> logged;
    for (std::string line; std::getline(lines, line);) logged.push_back(line);
    ASSERT_EQ(logged.size(), 58u);
    EXPECT_EQ(logged[0], "message: Calculating atom charges for pH=7.000000e+00");
    EXPECT_EQ(logged[3], format("message: ASP OD1\t%e", static_cast<double>(rule("ASP", "OD1").charge)));
    EXPECT_EQ(logged[57], format("message: VAL N\t%e", static_cast<double>(rule("VAL", "N").charge)));
}

}  // namespace
