#pragma once
// The titration rules: atoms of titratable groups whose charge depends on the
// pH of the solution. PDcalc::charge_calc fills every row's `charge` for the
// run's pH during the preparation; the structure reader gives those charges
// to atoms whose structure line has none when a species asks for it.
#include <cstdint>

struct CHARGE_RULE {
    double pKa;
    std::int32_t q_prot;    // charge of the protonated group
    std::int32_t q_deprot;  // charge of the deprotonated group
    const char* residue;    // residue name
    std::int32_t n_atoms;   // atoms that share the group's charge
    const char* atom;       // atom name
    std::int32_t n_term;    // 1: only for atoms of a chain's first residue
    float charge;           // charge of one atom at the run's pH
};

inline constexpr int charge_rules_N = 57;

// In table order; the reader walks all rows and the last matching row wins.
extern CHARGE_RULE charge_rules[charge_rules_N];

// The charge of one atom of the rule's group at `pH` (Henderson-Hasselbalch),
// in single precision: r = 10^(pH − pKa), f = r / (1 + r) the deprotonated
// fraction, charge = (q_deprot · f + (1 − f) · q_prot) / n_atoms. A ratio too
// large for single precision counts as fully deprotonated.
float titration_charge(const CHARGE_RULE& rule, double pH);
