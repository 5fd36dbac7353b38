// Real structures read whole: counts, mass, centre of mass and charges
// against a count made here, line by line, without the reader's code.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "support/StructureFiles.h"
#include "utils/Format.h"

namespace {

using dynamics_testing::has_line;

const std::string proteins = std::string(ZELMAR_FIXTURES) + "/proteins/";

// Masses by element symbol.
const std::map<std::string, double> masses = {
    {"C", 12.0}, {"N", 14.0}, {"O", 16.0}, {"S", 32.1}, {"H", 1.01}, {"P", 30.98},
};

std::string trimmed(std::string text) {
    while (!text.empty() && text.front() == ' ') text.erase(0, 1);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

// An atom's mass: the element in columns 77-78 when they hold letters, else
// the first letter of the atom name after any digits.
double mass_of(const std::string& line) {
    const std::string element = line.size() >= 78 ? trimmed(line.substr(76, 2)) : "";
    bool letters = !element.empty();
    for (const char c : element) letters = letters && std::isalpha(static_cast<unsigned char>(c)) != 0;
    std::string symbol = element;
    if (!letters) {
        const std::string name = trimmed(line.substr(12, 4));
        std::size_t i = 0;
        while (i < name.size() && std::isdigit(static_cast<unsigned char>(name[i])) != 0) ++i;
        symbol = name.substr(i, 1);
    }
    const auto found = masses.find(symbol);
    return found == masses.end() ? 0.0 : found->second;
}

struct Tally {
    int atoms = 0;
    int residues = 0;
    int charged = 0;         // |q| >= 0.01
    double charge = 0;       // of the charged atoms
    double all_charge = 0;   // of every atom
    double mass = 0;
    double weighted[3] = {0, 0, 0};
    int other_locations = 0;

    double centre(int axis) const { return weighted[axis] / mass; }
};

struct TallyOptions {
    int model = 0;              // 0: the first model
    std::string chains;         // empty: all
    bool pqr_charges = false;   // charges in columns 55-62
};

// Goes through the file's lines with plain string cuts.
Tally tally(const std::string& file, const TallyOptions& options = {}) {
    std::ifstream in(file);
    Tally t;
    bool inside = options.model == 0;
    std::optional<std::string> residue;       // chain and number of the last atom's residue
    std::optional<std::string> located;       // the residue whose location is chosen
    char location = ' ';
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("MODEL", 0) == 0) {
            if (std::stoi(line.substr(6)) == options.model) inside = true;
            continue;
        }
        if (!inside) continue;
        if (line.rfind("ENDMDL", 0) == 0) break;
        if (line.rfind("ATOM  ", 0) != 0 && line.rfind("HETATM", 0) != 0) continue;
        const char chain = line[21];
        if (!options.chains.empty() && options.chains.find(chain) == std::string::npos) continue;
        const std::string seq = line.substr(22, 4);
        const std::string here = std::string(1, chain) + seq;
        const char alt = line[16];
        if (alt != ' ') {
            if (located != here) {
                located = here;
                location = alt;
            }
            if (alt != location) {
                ++t.other_locations;
                continue;
            }
        }
        ++t.atoms;
        if (!residue || residue->substr(1) != seq) ++t.residues;
        residue = here;
        const double m = mass_of(line);
        t.mass += m;
        for (int axis = 0; axis < 3; ++axis) t.weighted[axis] += m * std::stod(line.substr(30 + 8 * axis, 8));
        if (options.pqr_charges) {
            const double q = std::stod(line.substr(54, 8));
            t.all_charge += q;
            if (std::fabs(q) >= 0.01) {
                ++t.charged;
                t.charge += q;
            }
        }
    }
    return t;
}

class RealStructures : public dynamics_testing::StructureFiles {
protected:
    RealStructures() { engine.in_folder = proteins; }

    double total_charge() const {
        double sum = 0;
        for (const ATOM& a : species.atoms) sum += a.q;
        return sum;
    }

    // The species against the tally: counts, mass, centre and the logged
    // summary.
    void expect_matches(const Tally& t, const std::string& log) {
        EXPECT_EQ(species.atoms_n, t.atoms);
        EXPECT_EQ(species.atoms.size(), static_cast<std::size_t>(t.atoms));
        EXPECT_EQ(species.residues_n, t.residues);
        EXPECT_EQ(species.charges_n, t.charged);
        EXPECT_NEAR(species.mass, t.mass, 1e-9 * t.mass);
        EXPECT_NEAR(species.mass_center.x, t.centre(0), 1e-6);
        EXPECT_NEAR(species.mass_center.y, t.centre(1), 1e-6);
        EXPECT_NEAR(species.mass_center.z, t.centre(2), 1e-6);
        EXPECT_TRUE(has_line(log, format("message: mass=%.0f, %d atoms, %d charges, %d residues", t.mass, t.atoms,
                                         t.charged, t.residues)))
            << log;
    }
};

// Seven chains and waters, with element columns and no charges.
TEST_F(RealStructures, SevenChains) {
    std::string log = read("1tii.pdb");
    const Tally all = tally(proteins + "1tii.pdb");
    EXPECT_EQ(all.atoms, 5684);
    expect_matches(all, log);
    EXPECT_TRUE(has_line(log, "warning: no charged atoms found")) << log;

    set("pdb_chainID", "DE");
    log = read("1tii.pdb");
    const Tally two = tally(proteins + "1tii.pdb", {0, "DE", false});
    EXPECT_EQ(two.atoms, 2 * 740);
    expect_matches(two, log);
}

// A charge-and-radius file made by a protonation tool: hydrogens, partial
// charges summing to the protein's net charge of +4.
TEST_F(RealStructures, ChargeAndRadiusFile) {
    set("pqr", 1);
    set("pdb_out", "out.pdb");
    const std::string log = read("1hpv.pqr");
    const Tally t = tally(proteins + "1hpv.pqr", {0, "", true});
    EXPECT_EQ(t.atoms, 3368);
    expect_matches(t, log);
    EXPECT_NEAR(total_charge(), t.all_charge, 1e-4);
    EXPECT_NEAR(total_charge(), 4.0, 1e-4);
    const std::string key = "message: total_charge=";
    const auto logged = log.find(key);
    ASSERT_NE(logged, std::string::npos) << log;
    EXPECT_NEAR(std::stod(log.substr(logged + key.size())), t.charge, 1e-4);

    // The written structure read back: the same atoms around the origin,
    // with the charges to two decimals.
    const std::vector<ATOM> first = species.atoms;
    engine.in_folder = dir.path().string() + "/";
    read("out.pdb");
    ASSERT_EQ(species.atoms.size(), first.size());
    EXPECT_NEAR(species.mass, t.mass, 1e-9 * t.mass);
    EXPECT_NEAR(species.mass_center.x, 0.0, 1e-3);
    EXPECT_NEAR(species.mass_center.y, 0.0, 1e-3);
    EXPECT_NEAR(species.mass_center.z, 0.0, 1e-3);
    for (std::size_t i = 0; i < first.size(); ++i) {
        ASSERT_NEAR(species.atoms[i].q, first[i].q, 0.005 + 1e-6) << i;
        ASSERT_NEAR(species.atoms[i].x, first[i].x, 1e-13) << i;
        ASSERT_EQ(species.atoms[i].serial, first[i].serial) << i;
    }
}

// Several models of two chains: a model and a chain picked out of them are
// the original peptide, moved.
TEST_F(RealStructures, ModelsAndChains) {
    const Tally peptide = tally(proteins + "pept.pdb");
    ASSERT_EQ(peptide.atoms, 107);

    set("pdb_model", 2);
    set("pdb_chainID", "F");
    std::string log = read("ensemble.pdb");
    expect_matches(tally(proteins + "ensemble.pdb", {2, "F", false}), log);
    EXPECT_EQ(species.atoms_n, peptide.atoms);
    EXPECT_NEAR(species.mass, peptide.mass, 1e-9);
    EXPECT_NEAR(species.mass_center.x, peptide.centre(0) + 20.0 + 1.5, 1e-4);
    EXPECT_NEAR(species.mass_center.y, peptide.centre(1) - 2.0, 1e-4);
    EXPECT_NEAR(species.mass_center.z, peptide.centre(2) + 0.75, 1e-4);

    set("pdb_model", 3);
    set("pdb_chainID", "");
    log = read("ensemble.pdb");
    expect_matches(tally(proteins + "ensemble.pdb", {3, "", false}), log);
    EXPECT_EQ(species.atoms_n, 2 * peptide.atoms);
    EXPECT_NEAR(species.mass_center.x, peptide.centre(0) + 10.0 + 3.0, 1e-4);
}

// A crystal structure with atoms at up to three locations: one conformation
// is read, and the rest is reported.
TEST_F(RealStructures, AlternateLocations) {
    const std::string log = read("3al1.pdb");
    const Tally t = tally(proteins + "3al1.pdb");
    expect_matches(t, log);
    EXPECT_GT(t.other_locations, 150);
    EXPECT_TRUE(has_line(log, format("warning: %d atoms of %s at alternate locations were skipped: each residue "
                                     "keeps the atoms at its first location",
                                     t.other_locations, (proteins + "3al1.pdb").c_str())))
        << log;
}

// The older layout keeps the entry's code and a line number in columns
// 73-80: neither is taken for an element or a charge, so the titration
// charges apply.
TEST_F(RealStructures, OlderLayout) {
    engine.pH = 7.0;
    testing_support::logged_text([&] { engine.charge_calc(); });
    set("auto_charge", 1);
    const std::string log = read("1hpv.pdb");
    const Tally t = tally(proteins + "1hpv.pdb");
    EXPECT_EQ(t.atoms, 1631);
    EXPECT_EQ(species.atoms_n, t.atoms);
    EXPECT_NEAR(species.mass, t.mass, 1e-9 * t.mass);
    EXPECT_GT(species.charges_n, 0);
    for (const ATOM& a : species.atoms) ASSERT_LE(std::fabs(a.q), 1.0) << a.serial;
    EXPECT_EQ(log.find("unknown atom"), std::string::npos) << log;
}

}  // namespace
