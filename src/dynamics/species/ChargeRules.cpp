#include "dynamics/species/ChargeRules.h"

#include <cmath>

#include "dynamics/PDcalc.h"
#include "utils/Log.h"

// Side chains, then the carboxyl terminus (atom OXT) and the amino terminus
// (atom N of a chain's first residue) of every amino acid.
CHARGE_RULE charge_rules[charge_rules_N] = {
    {12.48, 1, 0, "ARG", 2, "NH1", 0, 0.0f},
    {12.48, 1, 0, "ARG", 2, "NH2", 0, 0.0f},
    {3.86, 0, -1, "ASP", 2, "OD1", 0, 0.0f},
    {3.86, 0, -1, "ASP", 2, "OD2", 0, 0.0f},
    {8.37, 0, -1, "CYS", 1, "SG", 0, 0.0f},
    {4.07, 0, -1, "GLU", 2, "OE1", 0, 0.0f},
    {4.07, 0, -1, "GLU", 2, "OE2", 0, 0.0f},
    {6.1, 1, 0, "HIS", 2, "ND1", 0, 0.0f},
    {6.1, 1, 0, "HIS", 2, "NE2", 0, 0.0f},
    {6.1, 1, 0, "HSD", 2, "ND1", 0, 0.0f},
    {6.1, 1, 0, "HSD", 2, "NE2", 0, 0.0f},
    {10.53, 1, 0, "LYS", 1, "NZ", 0, 0.0f},
    {10.07, 0, -1, "TYR", 1, "OH", 0, 0.0f},
    {13.0, 0, -1, "SER", 1, "OG", 0, 0.0f},
    {13.0, 0, -1, "THR", 1, "OG1", 0, 0.0f},

    {2.35, 0, -1, "ALA", 1, "OXT", 0, 0.0f},
    {2.01, 0, -1, "ARG", 1, "OXT", 0, 0.0f},
    {2.02, 0, -1, "ASN", 1, "OXT", 0, 0.0f},
    {2.1, 0, -1, "ASP", 1, "OXT", 0, 0.0f},
    {2.05, 0, -1, "CYS", 1, "OXT", 0, 0.0f},
    {2.1, 0, -1, "GLU", 1, "OXT", 0, 0.0f},
    {2.17, 0, -1, "GLN", 1, "OXT", 0, 0.0f},
    {2.35, 0, -1, "GLY", 1, "OXT", 0, 0.0f},
    {1.77, 0, -1, "HIS", 1, "OXT", 0, 0.0f},
    {1.77, 0, -1, "HSD", 1, "OXT", 0, 0.0f},
    {2.32, 0, -1, "ILE", 1, "OXT", 0, 0.0f},
    {2.33, 0, -1, "LEU", 1, "OXT", 0, 0.0f},
    {2.18, 0, -1, "LYS", 1, "OXT", 0, 0.0f},
    {2.28, 0, -1, "MET", 1, "OXT", 0, 0.0f},
    {2.58, 0, -1, "PHE", 1, "OXT", 0, 0.0f},
    {2.0, 0, -1, "PRO", 1, "OXT", 0, 0.0f},
    {2.21, 0, -1, "SER", 1, "OXT", 0, 0.0f},
    {2.09, 0, -1, "THR", 1, "OXT", 0, 0.0f},
    {2.38, 0, -1, "TRP", 1, "OXT", 0, 0.0f},
    {2.2, 0, -1, "TYR", 1, "OXT", 0, 0.0f},
    {2.29, 0, -1, "VAL", 1, "OXT", 0, 0.0f},

    {9.87, 1, 0, "ALA", 1, "N", 1, 0.0f},
    {9.04, 1, 0, "ARG", 1, "N", 1, 0.0f},
    {8.8, 1, 0, "ASN", 1, "N", 1, 0.0f},
    {9.82, 1, 0, "ASP", 1, "N", 1, 0.0f},
    {10.25, 1, 0, "CYS", 1, "N", 1, 0.0f},
    {9.47, 1, 0, "GLU", 1, "N", 1, 0.0f},
    {9.13, 1, 0, "GLN", 1, "N", 1, 0.0f},
    {9.78, 1, 0, "GLY", 1, "N", 1, 0.0f},
    {9.18, 1, 0, "HIS", 1, "N", 1, 0.0f},
    {9.18, 1, 0, "HSD", 1, "N", 1, 0.0f},
    {9.76, 1, 0, "ILE", 1, "N", 1, 0.0f},
    {9.74, 1, 0, "LEU", 1, "N", 1, 0.0f},
    {8.95, 1, 0, "LYS", 1, "N", 1, 0.0f},
    {9.21, 1, 0, "MET", 1, "N", 1, 0.0f},
    {9.24, 1, 0, "PHE", 1, "N", 1, 0.0f},
    {10.6, 1, 0, "PRO", 1, "N", 1, 0.0f},
    {9.15, 1, 0, "SER", 1, "N", 1, 0.0f},
    {9.1, 1, 0, "THR", 1, "N", 1, 0.0f},
    {9.39, 1, 0, "TRP", 1, "N", 1, 0.0f},
    {9.11, 1, 0, "TYR", 1, "N", 1, 0.0f},
    {9.72, 1, 0, "VAL", 1, "N", 1, 0.0f},
};

float titration_charge(const CHARGE_RULE& rule, double pH) {
    const float r = static_cast<float>(std::pow(10.0, pH - rule.pKa));
    // Far above the pKa the ratio overflows single precision and r / (1 + r)
    // would be inf / inf; the group is then fully deprotonated.
    const float f = std::isinf(r) ? 1.0f : r / (1.0f + r);
    return (static_cast<float>(rule.q_deprot) * f + (1.0f - f) * static_cast<float>(rule.q_prot)) /
           static_cast<float>(rule.n_atoms);
}

void PDcalc::charge_calc() {
    LOG_MESSAGE("Calculating atom charges for pH=%e", pH);
    for (CHARGE_RULE& rule : charge_rules) {
        rule.charge = titration_charge(rule, pH);
        LOG_MESSAGE("%s %s\t%e", rule.residue, rule.atom, static_cast<double>(rule.charge));
    }
}
