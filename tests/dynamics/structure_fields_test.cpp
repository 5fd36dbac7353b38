// Fields of structure-file lines: atoms, charges, elements, models.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "dynamics/species/Elements.h"
#include "dynamics/species/FixedColumns.h"
#include "dynamics/species/StructureLine.h"
#include "support/CommaLocale.h"
#include "support/PdbText.h"

namespace {

using dynamics_testing::pdb_line;
using dynamics_testing::PdbAtom;

TEST(StructureFields, AtomLineFields) {
    PdbAtom a;
    a.serial = 4711;
    a.name = " OE1";
    a.alt = 'B';
    a.residue = "GLU";
    a.chain = 'C';
    a.seq = -12;
    a.x = -101.125;
    a.y = 2.5;
    a.z = 999.999;
    a.record = "HETATM";
    const std::string line = pdb_line(a);
    const auto atom = read_atom_line(line);
    ASSERT_TRUE(atom);
    EXPECT_EQ(atom->record, "HETATM");
    EXPECT_EQ(atom->serial, 4711);
    EXPECT_EQ(atom->atom_name, "OE1");
    EXPECT_EQ(atom->alt_loc, 'B');
    EXPECT_EQ(atom->residue_name, "GLU");
    EXPECT_EQ(atom->chain, 'C');
    EXPECT_EQ(atom->res_seq, -12);
    EXPECT_EQ(atom->x, -101.125f);
    EXPECT_EQ(atom->y, 2.5f);
    EXPECT_EQ(atom->z, 999.999f);
}

// Coordinates that fill their 8 columns without a blank between them are
// still three numbers.
TEST(StructureFields, PackedCoordinates) {
    const std::string line = "ATOM      1  N   ALA A   1    -100.123-200.456-300.789  1.00  0.00";
    const auto atom = read_atom_line(line);
    ASSERT_TRUE(atom);
    EXPECT_FLOAT_EQ(atom->x, -100.123f);
    EXPECT_FLOAT_EQ(atom->y, -200.456f);
    EXPECT_FLOAT_EQ(atom->z, -300.789f);
}

TEST(StructureFields, LinesThatAreNoAtoms) {
    const std::string good = pdb_line(PdbAtom{});
    ASSERT_TRUE(read_atom_line(good));
    struct Case {
        const char* what;
        std::string line;
    };
    const std::vector<Case> cases = {
        {"serial not a number", good.substr(0, 6) + "  abc" + good.substr(11)},
        {"residue number not a number", good.substr(0, 22) + "  x " + good.substr(26)},
        {"x not a number", good.substr(0, 30) + "   1.2.3" + good.substr(38).replace(0, 1, "?")},
        {"z missing", good.substr(0, 46)},
        {"x blank", good.substr(0, 30) + std::string(8, ' ') + good.substr(38)},
        {"serial blank", good.substr(0, 6) + std::string(5, ' ') + good.substr(11)},
        {"atom name blank", good.substr(0, 12) + std::string(4, ' ') + good.substr(16)},
        {"z too large for single precision", good.substr(0, 46) + "   9e99 " + good.substr(54)},
        {"residue name missing", good.substr(0, 17) + "   " + good.substr(20, 2)},
        {"empty line", ""},
    };
    for (const Case& c : cases) EXPECT_FALSE(read_atom_line(c.line)) << c.what << ": [" << c.line << "]";
}

TEST(StructureFields, RecordNamesAndModels) {
    EXPECT_EQ(record_name("HETATM12345  C"), "HETATM");
    EXPECT_EQ(record_name("ATOM      1"), "ATOM");
    EXPECT_EQ(record_name("ENDMDL"), "ENDMDL");
    EXPECT_EQ(record_name(""), "");
    EXPECT_TRUE(is_atom_record("ATOM"));
    EXPECT_TRUE(is_atom_record("HETATM"));
    EXPECT_FALSE(is_atom_record("ANISOU"));
    EXPECT_FALSE(is_atom_record("ATOMS"));
    EXPECT_EQ(model_number("MODEL        2"), 2);
    EXPECT_EQ(model_number("MODEL 17"), 17);
    EXPECT_EQ(model_number("MODEL"), std::nullopt);
    EXPECT_EQ(model_number("MODEL  99999999999"), std::nullopt);
}

// The charge of an atom line: a formal charge in columns 79-80 carries its
// sign after the number.
TEST(StructureFields, ChargesOfAtomLines) {
    const auto with_charge = [](const std::string& element, const std::string& charge) {
        PdbAtom a;
        a.element = element;
        a.charge = charge;
        return pdb_line(a);
    };
    struct Case {
        std::string line;
        bool pqr;
        std::optional<float> charge;
    };
    const std::string pqr_line = "ATOM      1  N   PRO A   1      13.120  39.003   5.159 -0.2020 1.8240";
    const std::string old_layout = "ATOM      1  N   PRO A   1      13.120  39.003   5.159  1.00 55.41      1HPV 186";
    const std::string old_layout_short = "ATOM      1  N   PRO A   1      13.120  39.003   5.159  1.00 55.41      1ABC  65";
    const std::string segment_id = "ATOM      1  N   LYS A   1      13.120  39.003   5.159  1.00 55.41      PROA N1+";
    const std::vector<Case> cases = {
        {with_charge(" O", "1-"), false, -1.0f},
        {with_charge("FE", "2+"), false, 2.0f},
        {with_charge(" N", "1+"), false, 1.0f},
        {with_charge(" O", "-1"), false, -1.0f},
        {with_charge(" C", ""), false, std::nullopt},
        {with_charge("", ""), false, std::nullopt},
        {with_charge(" N", "1") + ".5", false, 1.5f},
        {pqr_line, true, -0.2020f},
        {pqr_line, false, std::nullopt},
        {old_layout, false, std::nullopt},
        {old_layout_short, false, std::nullopt},
        {segment_id, false, 1.0f},
    };
    for (const Case& c : cases) EXPECT_EQ(structure_charge(c.line, c.pqr), c.charge) << c.line;
}

// Columns 77-78 name the element whole; where they name none, the atom
// name does: "CU", "FE" and "MG" whole, anything else by its first letter.
TEST(StructureFields, Elements) {
    const auto line = [](const std::string& name, const std::string& element) {
        PdbAtom a;
        a.name = name;
        a.element = element;
        return pdb_line(a);
    };
    struct Case {
        std::string line;
        std::string symbol;
        double mass;
        double radius;
    };
    const std::vector<Case> cases = {
        {line(" CA ", " C"), "C", 12.0, 1.7},
        {line("CA  ", "CA"), "CA", 40.08, 2.31},
        {line("CL  ", "CL"), "CL", 35.45, 1.75},
        {line("CL  ", "Cl"), "CL", 35.45, 1.75},
        {line("NA  ", "NA"), "NA", 22.99, 2.27},
        {line("ZN  ", "ZN"), "ZN", 65.38, 1.39},
        {line("SE  ", "SE"), "SE", 78.97, 1.9},
        {line("FE  ", "FE"), "FE", 55.8, 1.4},
        {line(" N  ", " N"), "N", 14.0, 1.55},
        {line(" H  ", " H"), "H", 1.01, 1.2},
        {line(" O  ", " O"), "O", 16.0, 1.52},
        {line(" SG ", " S"), "S", 32.1, 1.8},
        {line(" P  ", " P"), "P", 30.98, 1.8},
        {line("HG  ", "HG"), "HG", 0.0, 0.0},
        {line(" K  ", " K"), "K", 0.0, 0.0},
        // No element columns: the atom name.
        {line(" CA ", ""), "CA", 12.0, 1.7},
        {line("CL  ", ""), "CL", 12.0, 1.7},
        {line("1HB ", ""), "HB", 1.01, 1.2},
        {line("HG21", ""), "HG", 1.01, 1.2},
        {line("FE  ", ""), "FE", 55.8, 1.4},
        {line("CU  ", ""), "CU", 63.6, 1.4},
        {line(" MG ", ""), "MG", 24.31, 1.73},
        {line(" OXT", ""), "OX", 16.0, 1.52},
        {line("1   ", ""), "1", 0.0, 0.0},
        {line(" XE ", ""), "XE", 0.0, 0.0},
        // Columns 77-78 without letters: the atom name.
        {"ATOM      1  N   PRO A   1      13.120  39.003   5.159  1.00 55.41      1HPV 186", "N", 14.0, 1.55},
        {"ATOM      1  CA  PRO A   1      13.120  39.003   5.159  1.00 55.41   C", "CA", 12.0, 1.7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const Element e = element_of(c.line);
        EXPECT_EQ(e.symbol, c.symbol);
        EXPECT_EQ(e.mass, c.mass);
        EXPECT_EQ(e.radius, c.radius);
    }
}

// The column readers behave as scan directives: white space skipped before
// the field's width is counted; numbers in the C locale whatever the
// process's.
TEST(StructureFields, ColumnReaders) {
    using namespace fixed_columns;
    testing_support::CommaLocale comma;
    EXPECT_EQ(after("abc", 3), "");
    EXPECT_EQ(after("abc", 4), std::nullopt);
    EXPECT_EQ(read_int("   -1234567", 5)->value, -1234);
    EXPECT_EQ(read_int("  +7x")->value, 7);
    EXPECT_EQ(read_int("  +7x")->rest, "x");
    EXPECT_FALSE(read_int("  -"));
    EXPECT_FALSE(read_int("2147483648"));
    EXPECT_EQ(read_int("-2147483648")->value, -2147483647 - 1);
    EXPECT_EQ(read_float("  1.5e1,5")->value, 15.0f);
    EXPECT_EQ(read_float("  1.5e1,5")->rest, ",5");
    EXPECT_EQ(read_float("12345.6789", 8)->value, 12345.67f);
    EXPECT_EQ(read_float("+.25")->value, 0.25f);
    EXPECT_FALSE(read_float("nan"));
    EXPECT_FALSE(read_float("1e39"));
    EXPECT_EQ(read_float("1e-60")->value, 0.0f);
    EXPECT_EQ(read_word("   OE1 GLU", 4), "OE1");
    EXPECT_EQ(read_word("  ABCDEF", 4), "ABCD");
    EXPECT_EQ(read_word("    "), "");
}

}  // namespace
