// Reading a species' structure: models, chains, residues, charges from the
// structure, a charges file, a topology or the titration rules, the body
// frame, the written structure and the reports of what was left out.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "dynamics/ProcessGlobals.h"
#include "dynamics/species/ChargeRules.h"
#include "support/PdbText.h"
#include "support/StructureFiles.h"
#include "utils/Format.h"

namespace {

using dynamics_testing::has_line;
using dynamics_testing::pdb_line;
using dynamics_testing::PdbAtom;
using dynamics_testing::StructureFiles;

// An atom line with the fields that matter here.
std::string atom(int serial, const char* name, const char* residue, char chain, int seq, double x, double y,
                 double z, const char* element, const char* charge = "", char alt = ' ') {
    PdbAtom a;
    a.serial = serial;
    a.name = name;
    a.residue = residue;
    a.chain = chain;
    a.seq = seq;
    a.x = x;
    a.y = y;
    a.z = z;
    a.element = element;
    a.charge = charge;
    a.alt = alt;
    return pdb_line(a);
}

// A carbon atom at x, in chain and residue given.
std::string carbon(int serial, char chain, int seq, double x = 0) {
    return atom(serial, " C  ", "ALA", chain, seq, x, 0, 0, " C");
}

// The warnings of a log, without the settings' notices of defaults.
std::string warnings(const std::string& log) {
    std::string found;
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("warning: ", 0) == 0 && line.rfind("warning: section '", 0) != 0) found += line + "\n";
    return found;
}

std::vector<double> charges_of(const PROT_CLASS& s) {
    std::vector<double> q;
    for (const ATOM& a : s.atoms) q.push_back(a.q);
    return q;
}

using StructureRead = StructureFiles;

// A small structure end to end: fields of atoms, residues and charges, the
// logged summary, the body frame and the written structure.
TEST_F(StructureRead, SmallStructure) {
    write("prot.pdb", {
                          "HEADER    TEST",
                          atom(1, " N  ", "ALA", 'A', 1, 0, 0, 0, " N", "1+"),
                          atom(2, " CA ", "ALA", 'A', 1, 1, 0, 0, " C"),
                          atom(3, " C  ", "GLY", 'A', 2, 2, 0, 0, " C"),
                          atom(4, " OXT", "GLY", 'A', 2, 3, 0, 0, " O", "1-"),
                          "END",
                      });
    set("pdb_out", "out.pdb");
    const std::string log = read();

    const std::string path = dir.file("prot.pdb");
    EXPECT_TRUE(has_line(log, "message: reading " + path + " model 0 chain ...")) << log;
    EXPECT_TRUE(has_line(log, "message: writing " + dir.file("out.pdb") + " ...")) << log;
    EXPECT_TRUE(has_line(log, "message: mass=54, 4 atoms, 2 charges, 2 residues")) << log;
    EXPECT_TRUE(has_line(log, "message: mass_center=( x=1.555556, y=0.000000, z=0.000000 )")) << log;
    EXPECT_TRUE(has_line(log, "message: total_charge=0.000000")) << log;
    EXPECT_TRUE(has_line(log, "message: max R=" + format("%e", 84.0 / 54.0 * 1e-10) +
                                  " (Rx=-1.000000e+00, Ry=0.000000e+00, Rz=0.000000e+00)"))
        << log;
    EXPECT_EQ(warnings(log), "") << log;

    EXPECT_DOUBLE_EQ(species.mass, 54.0);
    EXPECT_DOUBLE_EQ(species.mass_center.x, 84.0 / 54.0);
    ASSERT_EQ(species.atoms_n, 4);
    ASSERT_EQ(species.atoms.size(), 4u);
    const double mc = 84.0 / 54.0;
    struct Expected {
        double x, r, q, mass;
        int serial, res_seq, residue;
    };
    const Expected expected[] = {
        {0 - mc, 1.55, 1, 14, 1, 1, 0},
        {1 - mc, 1.7, 0, 12, 2, 1, 0},
        {2 - mc, 1.7, 0, 12, 3, 2, 1},
        {3 - mc, 1.52, -1, 16, 4, 2, 1},
    };
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const ATOM& a = species.atoms[static_cast<std::size_t>(i)];
        EXPECT_NEAR(a.x, expected[i].x * 1e-10, 1e-22);
        EXPECT_EQ(a.y, 0.0);
        EXPECT_EQ(a.z, 0.0);
        EXPECT_DOUBLE_EQ(a.r, expected[i].r * 1e-10);
        EXPECT_EQ(a.q, expected[i].q);
        EXPECT_EQ(a.mass, expected[i].mass);
        EXPECT_EQ(a.serial, expected[i].serial);
        EXPECT_EQ(a.res_seq, expected[i].res_seq);
        EXPECT_EQ(a.residue, expected[i].residue);
    }
    EXPECT_DOUBLE_EQ(engine.max_atom_r, 1.7e-10);
    EXPECT_NEAR(species.r_max, mc * 1e-10, 1e-22);

    ASSERT_EQ(species.charges_n, 2);
    EXPECT_EQ(species.charges[0].serial, 1);
    EXPECT_EQ(species.charges[1].serial, 4);
    EXPECT_EQ(species.charges[1].residue, 1);

    ASSERT_EQ(species.residues_n, 2);
    EXPECT_EQ(species.residues[0].first, 0);
    EXPECT_EQ(species.residues[0].last, 1);
    EXPECT_EQ(species.residues[1].first, 2);
    EXPECT_EQ(species.residues[1].last, 3);
    EXPECT_NEAR(species.residues[0].center.x, (0.5 - mc) * 1e-10, 1e-22);
    EXPECT_NEAR(species.residues[0].r, 0.5e-10, 1e-22);
    EXPECT_NEAR(species.residues[1].center.x, (2.5 - mc) * 1e-10, 1e-22);

    ASSERT_EQ(species.pdb_lines.size(), 4u);
    // Columns 1-30 of the input, blank coordinates, charge and radius, the
    // input from column 67.
    EXPECT_EQ(species.pdb_lines[0], "ATOM      1  N   ALA A   1    " + std::string(24, ' ') + "  1.00  1.55" +
                                        std::string(10, ' ') + " N1+\n");
    EXPECT_EQ(testing_support::read_file(dir.file("out.pdb")),
              "ATOM      1  N   ALA A   1      -1.556   0.000   0.000  1.00  1.55           N1+\n"
              "ATOM      2  CA  ALA A   1      -0.556   0.000   0.000  0.00  1.70           C\n"
              "ATOM      3  C   GLY A   2       0.444   0.000   0.000  0.00  1.70           C\n"
              "ATOM      4  OXT GLY A   2       1.444   0.000   0.000 -1.00  1.52           O1-\n");
}

// Body coordinates: b_j = 1e-10 · Σ_i rot[i][j] · (P − centre of mass)_i.
TEST_F(StructureRead, BodyFrameFollowsRot) {
    const double rot[3][3] = {{0.0, 0.6, 0.8}, {0.0, 0.8, -0.6}, {1.0, 0.0, 0.0}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) species.rot[i][j] = rot[i][j];
    const double P[3][3] = {{1, 2, 3}, {-4, 5, 0.5}, {2, -1, -2}};
    write("prot.pdb", {atom(1, " O  ", "SER", 'A', 1, P[0][0], P[0][1], P[0][2], " O"),
                       atom(2, " N  ", "SER", 'A', 1, P[1][0], P[1][1], P[1][2], " N"),
                       atom(3, " S  ", "SER", 'A', 1, P[2][0], P[2][1], P[2][2], " S")});
    read();
    const double masses[3] = {16.0, 14.0, 32.1};
    double mc[3] = {0, 0, 0};
    for (int a = 0; a < 3; ++a)
        for (int i = 0; i < 3; ++i) mc[i] += masses[a] * P[a][i] / (16.0 + 14.0 + 32.1);
    ASSERT_EQ(species.atoms.size(), 3u);
    for (int a = 0; a < 3; ++a) {
        double b[3] = {0, 0, 0};
        for (int j = 0; j < 3; ++j)
            for (int i = 0; i < 3; ++i) b[j] += rot[i][j] * (P[a][i] - mc[i]) * 1e-10;
        const ATOM& atom = species.atoms[static_cast<std::size_t>(a)];
        EXPECT_NEAR(atom.x, b[0], 1e-24) << a;
        EXPECT_NEAR(atom.y, b[1], 1e-24) << a;
        EXPECT_NEAR(atom.z, b[2], 1e-24) << a;
    }
}

// A model number selects the atoms between its MODEL line and the next
// ENDMDL; without one (0 or less) the first model is read.
TEST_F(StructureRead, Models) {
    write("prot.pdb", {
                          "REMARK   three models",
                          "MODEL        1",
                          carbon(1, 'A', 1, 1.0),
                          "ENDMDL",
                          "MODEL        2",
                          carbon(1, 'A', 1, 2.0),
                          carbon(2, 'A', 1, 4.0),
                          "ENDMDL",
                          "MODEL        3",
                          carbon(1, 'A', 1, 3.0),
                          carbon(2, 'A', 1, 5.0),
                          carbon(3, 'A', 2, 7.0),
                          "ENDMDL",
                      });
    struct Case {
        int model;
        int atoms;
        double centre;
    };
    for (const Case c : {Case{0, 1, 1.0}, Case{-1, 1, 1.0}, Case{1, 1, 1.0}, Case{2, 2, 3.0}, Case{3, 3, 5.0}}) {
        SCOPED_TRACE(c.model);
        set("pdb_model", c.model);
        const std::string log = read();
        EXPECT_TRUE(has_line(log, format("message: reading %s model %d chain ...", dir.file("prot.pdb").c_str(),
                                         c.model)))
            << log;
        EXPECT_EQ(species.atoms_n, c.atoms);
        EXPECT_EQ(species.atoms.size(), static_cast<std::size_t>(c.atoms));
        EXPECT_DOUBLE_EQ(species.mass_center.x, c.centre);
    }
}

// A model the file does not hold, chains it does not hold, or atoms of no
// known element leave no mass: an error and the exception "mass=0".
TEST_F(StructureRead, NoMassIsAnError) {
    struct Case {
        const char* what;
        std::vector<std::string> lines;
        int model;
        const char* chains;
        const char* warning;
    };
    const std::vector<Case> cases = {
        {"model 7", {"MODEL        1", carbon(1, 'A', 1), "ENDMDL"}, 7, "", nullptr},
        {"chain X", {carbon(1, 'A', 1), carbon(2, 'B', 2)}, 0, "X", nullptr},
        {"unknown elements", {atom(5, "XE  ", "XEN", 'A', 1, 0, 0, 0, "XE")}, 0, "", "warning: unknown atom XE at ATOM(5)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        write("prot.pdb", c.lines);
        set("pdb_model", c.model);
        set("pdb_chainID", c.chains);
        std::string log;
        EXPECT_EQ(read_failure(log), "mass=0");
        EXPECT_TRUE(has_line(log, "error: mass=0")) << log;
        if (c.warning != nullptr) {
            EXPECT_TRUE(has_line(log, c.warning)) << log;
        }
    }
}

TEST_F(StructureRead, MissingFiles) {
    std::string log;
    EXPECT_EQ(read_failure(log, "absent.pdb"), "failed to open PDB");
    EXPECT_TRUE(has_line(log, "error: error opening " + dir.file("absent.pdb"))) << log;

    PROT_CLASS unnamed;
    unnamed.name = "nameless";
    unnamed.section = species.section;
    ASSERT_TRUE(species.section->Destroy("pdb"));
    std::string what;
    log = testing_support::logged_text([&] {
        try {
            engine.pdb_read(unnamed);
        } catch (const char* e) {
            what = e;
        }
    });
    EXPECT_EQ(what, "PDB not specified");
    EXPECT_TRUE(has_line(log, "error: no pdb structure for nameless specified")) << log;

    // A charges file that does not open is only a warning.
    write("prot.pdb", {atom(1, " N  ", "ALA", 'A', 1, 0, 0, 0, " N", "1+")});
    set("charges", "absent.charges");
    log = read();
    EXPECT_TRUE(has_line(log, "warning: error opening " + dir.file("absent.charges"))) << log;
    EXPECT_EQ(charges_of(species), std::vector<double>{1.0});
}

TEST_F(StructureRead, ChainFilter) {
    write("prot.pdb", {carbon(1, 'A', 1), carbon(2, 'B', 2), carbon(3, 'B', 3), carbon(4, 'C', 4),
                       carbon(5, ' ', 5)});
    struct Case {
        const char* chains;
        std::vector<int> serials;
    };
    const std::vector<Case> cases = {
        {"", {1, 2, 3, 4, 5}}, {"AB", {1, 2, 3}}, {"C", {4}}, {"CA", {1, 4}}, {" ", {5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chains);
        set("pdb_chainID", c.chains);
        read();
        std::vector<int> serials;
        for (const ATOM& a : species.atoms) serials.push_back(a.serial);
        EXPECT_EQ(serials, c.serials);
    }
}

// Residues are cut where the residue number changes, whatever the chain; the
// first atom always opens one.
TEST_F(StructureRead, ResidueCuts) {
    struct Case {
        const char* what;
        std::vector<std::pair<char, int>> atoms;  // chain and residue number
        std::vector<std::pair<int, int>> residues;  // first and last atom
    };
    const std::vector<Case> cases = {
        {"numbers", {{'A', 1}, {'A', 1}, {'A', 2}, {'A', 3}, {'A', 3}}, {{0, 1}, {2, 2}, {3, 4}}},
        {"same number across chains", {{'A', 4}, {'A', 5}, {'B', 5}, {'B', 6}}, {{0, 0}, {1, 2}, {3, 3}}},
        {"number returning", {{'A', 1}, {'A', 2}, {'A', 1}}, {{0, 0}, {1, 1}, {2, 2}}},
        {"first number -1", {{'A', -1}, {'A', -1}, {'A', 0}}, {{0, 1}, {2, 2}}},
        {"single atom", {{'A', 9}}, {{0, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> lines;
        double x = 0;
        for (const auto& [chain, seq] : c.atoms) {
            lines.push_back(carbon(static_cast<int>(lines.size()) + 1, chain, seq, x));
            x += 1.5;
        }
        write("prot.pdb", lines);
        read();
        ASSERT_EQ(species.residues_n, static_cast<int>(c.residues.size()));
        ASSERT_EQ(species.residues.size(), c.residues.size());
        for (std::size_t r = 0; r < c.residues.size(); ++r) {
            EXPECT_EQ(species.residues[r].first, c.residues[r].first) << r;
            EXPECT_EQ(species.residues[r].last, c.residues[r].second) << r;
            for (int a = species.residues[r].first; a <= species.residues[r].last; ++a)
                EXPECT_EQ(species.atoms[static_cast<std::size_t>(a)].residue, static_cast<int>(r));
        }
    }
}

// Titration charges for atoms whose line has none: amino-terminus rules
// only in each chain's first residue, carboxyl-terminus rules wherever the
// atom is named OXT; a charge on the line wins.
TEST_F(StructureRead, TitrationCharges) {
    engine.pH = 7.0;
    testing_support::logged_text([&] { engine.charge_calc(); });
    const auto rule = [](const char* residue, const char* atom_name) {
        for (const CHARGE_RULE& r : charge_rules)
            if (std::strcmp(r.residue, residue) == 0 && std::strcmp(r.atom, atom_name) == 0)
                return static_cast<double>(r.charge);
        return 0.0;
    };
    write("prot.pdb", {
                          atom(1, " N  ", "ALA", 'A', 1, 0, 0, 0, " N"),
                          atom(2, " CA ", "ALA", 'A', 1, 1, 0, 0, " C"),
                          atom(3, " N  ", "LYS", 'A', 2, 2, 0, 0, " N"),
                          atom(4, " NZ ", "LYS", 'A', 2, 3, 0, 0, " N"),
                          atom(5, " OD1", "ASP", 'A', 3, 4, 0, 0, " O"),
                          atom(6, " OXT", "ASP", 'A', 3, 5, 0, 0, " O"),
                          atom(7, " N  ", "GLY", 'B', 1, 6, 0, 0, " N"),
                          atom(8, " N  ", "GLY", 'B', 2, 7, 0, 0, " N"),
                          atom(9, " NZ ", "LYS", 'B', 3, 8, 0, 0, " N", "1-"),
                      });
    set("auto_charge", 1);
    read();
    EXPECT_EQ(charges_of(species), (std::vector<double>{rule("ALA", "N"), 0.0, 0.0, rule("LYS", "NZ"),
                                                        rule("ASP", "OD1"), rule("ASP", "OXT"), rule("GLY", "N"),
                                                        0.0, -1.0}));
    set("auto_charge", 0);
    read();
    EXPECT_EQ(charges_of(species), (std::vector<double>{0, 0, 0, 0, 0, 0, 0, 0, -1.0}));
}

// A charges file in the structure's columns: each line waits for the atom
// with its serial. Lines of other records (a chain's TER carries a serial
// too) hold no charge; charges that no atom takes are reported.
TEST_F(StructureRead, ChargesFileInStructureColumns) {
    write("prot.pdb", {
                          atom(1, " N  ", "ALA", 'A', 1, 0, 0, 0, " N"),
                          atom(2, " CA ", "ALA", 'A', 1, 1, 0, 0, " C"),
                          atom(3, " C  ", "ALA", 'A', 1, 2, 0, 0, " C"),
                          "TER       4      ALA A   1",
                          atom(5, " N  ", "GLY", 'B', 2, 3, 0, 0, " N"),
                          atom(6, " OXT", "GLY", 'B', 2, 4, 0, 0, " O", "1+"),
                      });
    write("prot.charges", {
                              "REMARK   charges",
                              atom(1, " N  ", "ALA", 'A', 1, 0, 0, 0, " N", "1-"),
                              atom(2, " CA ", "ALA", 'A', 1, 1, 0, 0, " C"),
                              atom(3, " C  ", "ALA", 'A', 1, 2, 0, 0, " C", "2+"),
                              "TER       4      ALA A   1",
                              atom(5, " N  ", "GLY", 'B', 2, 3, 0, 0, " N", "1+"),
                              atom(6, " OXT", "GLY", 'B', 2, 4, 0, 0, " O", "1-"),
                              atom(8, " NA ", "NA", ' ', 3, 9, 0, 0, "NA", "1+"),
                          });
    set("charges", "*");
    const std::string log = read();
    const std::string charges = dir.file("prot.charges");
    EXPECT_TRUE(has_line(log, "message: charges " + charges)) << log;
    EXPECT_EQ(charges_of(species), (std::vector<double>{-1, 0, 2, 1, -1}));
    EXPECT_TRUE(has_line(log, "warning: 1 lines of " + charges + " have no charge that parses; their atoms have charge 0"))
        << log;
    EXPECT_TRUE(has_line(log, "warning: 1 charges of " + charges +
                                  " were not used: no atom read has serial 8, which the charges after it wait for"))
        << log;
}

// A charges-file line whose serial does not come next waits for it; atoms in
// between keep the structure's charges.
TEST_F(StructureRead, ChargesWaitForTheirSerial) {
    write("prot.pdb", {atom(1, " N  ", "ALA", 'A', 1, 0, 0, 0, " N", "1+"), atom(2, " O  ", "ALA", 'A', 1, 1, 0, 0, " O"),
                       atom(3, " O  ", "ALA", 'A', 1, 2, 0, 0, " O", "1-")});
    write("prot.charges", {atom(2, " O  ", "ALA", 'A', 1, 0, 0, 0, " O", "2-"),
                           atom(1, " N  ", "ALA", 'A', 1, 1, 0, 0, " N", "2+"),
                           atom(3, " O  ", "ALA", 'A', 1, 2, 0, 0, " O", "2+")});
    set("charges", "prot.charges");
    const std::string log = read();
    EXPECT_EQ(charges_of(species), (std::vector<double>{1, -2, -1}));
    EXPECT_TRUE(has_line(log, "warning: 2 charges of " + dir.file("prot.charges") +
                                  " were not used: no atom read has serial 1, which the charges after it wait for"))
        << log;
}

// A topology: the seventh field of the lines of its atoms section; comments
// and empty lines are skipped and the next header ends the section.
TEST_F(StructureRead, TopologyCharges) {
    write("prot.pdb", {atom(1, " N  ", "ALA", 'A', 1, 0, 0, 0, " N"), atom(2, " CA ", "ALA", 'A', 1, 1, 0, 0, " C"),
                       atom(3, " O  ", "ALA", 'A', 1, 2, 0, 0, " O", "1-"),
                       atom(4, " OXT", "ALA", 'A', 1, 3, 0, 0, " O", "1-")});
    set("itp", 1);
    set("charges", "prot.itp");
    for (const char* header : {"[ atoms ]", "[atoms]", "  [ atoms ]  ; the atoms"}) {
        SCOPED_TRACE(header);
        write("prot.itp", {
                              "; a topology",
                              "[ moleculetype ]",
                              "     9   N    1   ALA   N    1   -0.7   14.01",
                              header,
                              ";   nr  type resnr residue atom cgnr charge mass",
                              "     1   N    1   ALA   N    1   -0.3   14.01",
                              "",
                              "     2   C    1   ALA   CA   1    0.25  12.01 ; carbon",
                              "     3   O    1   ALA   O    2   oops   16.00",
                              "[ bonds ]",
                              "     4   O    1   ALA   OXT  2    0.5   16.00",
                          });
        const std::string log = read();
        EXPECT_TRUE(has_line(log, "message: charges " + dir.file("prot.itp") + " (TOP/ITP mode)")) << log;
        EXPECT_EQ(charges_of(species), (std::vector<double>{-0.3f, 0.25f, 0.0, -1.0}));
        EXPECT_TRUE(has_line(log, "warning: 1 lines of " + dir.file("prot.itp") +
                                      " have no charge that parses; their atoms have charge 0"))
            << log;
        EXPECT_EQ(log.find("were not used"), std::string::npos) << log;
    }
    // Without an atoms section the topology gives nothing.
    write("prot.itp", {"[ bonds ]", "     1   N    1   ALA   N    1   -0.3   14.01"});
    read();
    EXPECT_EQ(charges_of(species), (std::vector<double>{0, 0, -1, -1}));
}

// Charge-and-radius columns: the charge follows column 54; atoms below the
// smallest charge that counts are atoms but no charges.
TEST_F(StructureRead, PqrColumnsAndSmallCharges) {
    write("prot.pqr", {
                          "ATOM      1  N   PRO A   1       1.000   0.000   0.000 -0.2020 1.8240",
                          "ATOM      2  CA  PRO A   1       2.000   0.000   0.000  0.0050 1.9080",
                          "ATOM      3  HA  PRO A   1       3.000   0.000   0.000  0.5000 1.1000",
                          "ATOM      4  C   PRO A   1       4.000   0.000   0.000 -0.0099 1.9080",
                      });
    set("pqr", 1);
    std::string log = read("prot.pqr");
    EXPECT_TRUE(has_line(log, "message: reading " + dir.file("prot.pqr") + " model 0 chain  (PQR mode)...")) << log;
    EXPECT_EQ(charges_of(species), (std::vector<double>{-0.2020f, 0.0050f, 0.5f, -0.0099f}));
    EXPECT_EQ(species.charges_n, 2);
    EXPECT_TRUE(has_line(log, format("message: total_charge=%f", static_cast<double>(-0.2020f) + 0.5))) << log;
    EXPECT_DOUBLE_EQ(species.mass, 14.0 + 12.0 + 1.01 + 12.0);

    engine.min_charge = 0.6;
    log = read("prot.pqr");
    EXPECT_EQ(species.charges_n, 0);
    EXPECT_TRUE(has_line(log, "warning: no charged atoms found")) << log;
    EXPECT_TRUE(has_line(log, "message: total_charge=0.000000")) << log;
}

// With "Calculation.round_charge" the charges (not the atoms) move to the
// nearest multiple of the grid step.
TEST_F(StructureRead, RoundedCharges) {
    engine.h = 2e-10;
    // The charged atom weighs nothing, so the centre of mass stays at the
    // carbon in the origin.
    write("prot.pdb", {atom(1, " C  ", "ALA", 'A', 1, 0, 0, 0, " C"),
                       atom(2, "XX  ", "ALA", 'A', 1, 2.52, 3.0, -2.52, "XX", "1+"),
                       atom(3, "XX  ", "ALA", 'A', 1, -3.0, 0.0, 0.0, "XX", "1-")});
    set_root("Calculation.round_charge", 1);
    read();
    ASSERT_EQ(species.charges.size(), 2u);
    EXPECT_EQ(species.charges[0].x, 2e-10);
    EXPECT_EQ(species.charges[0].y, 4e-10);
    EXPECT_EQ(species.charges[0].z, -2e-10);
    EXPECT_EQ(species.charges[1].x, -2e-10);
    EXPECT_NEAR(species.atoms[1].x, 2.52e-10, 1e-17);
    EXPECT_NEAR(species.atoms[1].y, 3.0e-10, 1e-17);

    set_root("Calculation.round_charge", 0);
    read();
    EXPECT_NEAR(species.charges[0].x, 2.52e-10, 1e-17);
}

// Of atoms at alternate locations each residue keeps its first location's;
// the others are counted and reported once.
TEST_F(StructureRead, AlternateLocations) {
    const auto at = [](int serial, const char* name, int seq, char alt, double x) {
        return atom(serial, name, "ALA", 'A', seq, x, 0, 0, " C", "", alt);
    };
    write("prot.pdb", {at(1, " N  ", 1, ' ', 0), at(2, " CB ", 1, 'A', 1), at(3, " CB ", 1, 'B', 1.1),
                       at(4, " CG ", 1, 'A', 2), at(5, " CG ", 1, 'B', 2.1), at(6, " CB ", 2, 'B', 3),
                       at(7, " CB ", 2, 'C', 3.1), at(8, " CA ", 2, ' ', 4)});
    const std::string log = read();
    std::vector<int> serials;
    for (const ATOM& a : species.atoms) serials.push_back(a.serial);
    EXPECT_EQ(serials, (std::vector<int>{1, 2, 4, 6, 8}));
    EXPECT_DOUBLE_EQ(species.mass, 5 * 12.0);
    const std::string warning = "warning: 3 atoms of " + dir.file("prot.pdb") +
                                " at alternate locations were skipped: each residue keeps the atoms at its first location";
    EXPECT_TRUE(has_line(log, warning)) << log;
    EXPECT_EQ(log.find("alternate"), log.rfind("alternate")) << log;
}

// Atom lines that do not parse are counted and reported, with the first one's
// line number; other records are not.
TEST_F(StructureRead, UnparsedAtomLinesAreReported) {
    const std::string good = carbon(3, 'A', 1);
    write("prot.pdb", {"REMARK   1", carbon(1, 'A', 1), "ATOM   abc  C   ALA A   1       0.000   0.000   0.000",
                       "ANISOU    1  C   ALA A   1      1   2   3", good.substr(0, 40), good});
    const std::string log = read();
    EXPECT_EQ(species.atoms_n, 2);
    EXPECT_TRUE(has_line(log, "warning: 2 atom lines of " + dir.file("prot.pdb") +
                                  " do not parse and were skipped (the first is line 3)"))
        << log;
}

// The input's text is copied into the output lines, never read as a format.
TEST_F(StructureRead, InputTextIsNotAFormat) {
    PdbAtom a;
    a.name = "%s%n";
    a.residue = "%n%";
    a.element = " C";
    std::string line = pdb_line(a);
    line.replace(72, 4, "%s%n");
    line += "%n%s%99999999d";
    write("prot.pdb", {line});
    set("pdb_out", "out.pdb");
    read();
    EXPECT_EQ(species.atoms_n, 1);
    EXPECT_EQ(testing_support::read_file(dir.file("out.pdb")),
              "ATOM      1 %s%n %n% A   1       0.000   0.000   0.000  0.00  1.70      %s%n C%n%s%99999999d\n");
}

// A second read (after new axes) replaces everything; with no_overwrite the
// written structure keeps the first read's coordinates. Only process 0
// writes.
TEST_F(StructureRead, SecondReadAndOutputFile) {
    write("prot.pdb", {carbon(1, 'A', 1, -1.0), carbon(2, 'A', 2, 1.0)});
    set("pdb_out", "*");
    engine.no_overwrite = true;
    read();
    const std::string out = dir.file("prot.out.pdb");
    const std::string first = testing_support::read_file(out);
    EXPECT_NE(first.find("  -1.000   0.000   0.000"), std::string::npos) << first;

    species.rot[0][0] = -1.0;
    const std::string log = read();
    EXPECT_EQ(species.atoms.size(), 2u);
    EXPECT_EQ(species.residues.size(), 2u);
    EXPECT_EQ(species.pdb_lines.size(), 2u);
    EXPECT_DOUBLE_EQ(species.atoms[0].x, 1e-10);
    EXPECT_TRUE(has_line(log, "warning: file already exists: " + out)) << log;
    EXPECT_EQ(testing_support::read_file(out), first);

    std::filesystem::remove(out);
    const std::int32_t rank = processorID;
    processorID = 1;
    read();
    processorID = rank;
    EXPECT_FALSE(std::filesystem::exists(out));
}

// Each residue's sphere is the smallest around its atom centres.
TEST_F(StructureRead, ResidueSpheres) {
    struct Case {
        const char* what;
        std::vector<POINT3D> atoms;  // metres
        POINT3D centre;
        double r;
    };
    const double s3 = std::sqrt(3.0);
    const std::vector<Case> cases = {
        {"one atom", {{1e-10, 2e-10, 3e-10}}, {1e-10, 2e-10, 3e-10}, 0.0},
        {"two atoms", {{0, 0, 0}, {4e-10, 0, 0}}, {2e-10, 0, 0}, 2e-10},
        {"triangle", {{0, 0, 0}, {2e-10, 0, 0}, {1e-10, s3 * 1e-10, 0}}, {1e-10, 1e-10 / s3, 0}, 2e-10 / s3},
        {"obtuse triangle", {{0, 0, 0}, {4e-10, 0, 0}, {2e-10, 0.5e-10, 0}}, {2e-10, 0, 0}, 2e-10},
        {"inner atom", {{-1e-10, 0, 0}, {1e-10, 0, 0}, {0, 0.2e-10, 0.1e-10}}, {0, 0, 0}, 1e-10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PROT_CLASS s;
        s.atoms.push_back(ATOM{9e-10, 9e-10, 9e-10, 0, 0, 0, 0, 0, 0});  // not in the residue
        for (const POINT3D& p : c.atoms) s.atoms.push_back(ATOM{p.x, p.y, p.z, 0, 0, 0, 0, 0, 0});
        RESIDUE residue{{0, 0, 0}, 0, 1, 1};
        engine.residue_build_r(s, residue, static_cast<int>(c.atoms.size()));
        EXPECT_EQ(residue.last, static_cast<int>(c.atoms.size()));
        EXPECT_NEAR(residue.center.x, c.centre.x, 1e-22);
        EXPECT_NEAR(residue.center.y, c.centre.y, 1e-22);
        EXPECT_NEAR(residue.center.z, c.centre.z, 1e-22);
        EXPECT_NEAR(residue.r, c.r, 1e-22);
    }
    PROT_CLASS s;
    s.atoms.resize(2);
    RESIDUE residue{{0, 0, 0}, 0, 1, 1};
    EXPECT_THROW(engine.residue_build_r(s, residue, 2), std::out_of_range);
    EXPECT_THROW(engine.residue_build_r(s, residue, 0), std::out_of_range);
}

}  // namespace
