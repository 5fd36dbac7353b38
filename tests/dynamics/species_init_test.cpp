// The whole set-up of a species from its configuration section, on a real
// structure: first computed and cached, then read back from the caches.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>

#include "dynamics/PDcalc.h"
#include "dynamics/species/AxesFile.h"
#include "dynamics/species/Friction.h"
#include "dynamics/species/PrincipalAxes.h"
#include "dynamics/species/SpheresFile.h"
#include "support/LoggedText.h"
#include "support/TempDir.h"
#include "utils/Format.h"
#include "utils/backup/backup.h"
#include "utils/config/RootSection.h"

namespace {

using testing_support::logged_text;
using testing_support::read_file;
using testing_support::write_file;

// An engine set up for one species "pept" of the peptide fixture, with all
// of its caches named, in a folder of its own.
template <class T, class Allocator>
bool same_bytes(const std::vector<T, Allocator>& a, const std::vector<T, Allocator>& b) {
    static_assert(std::is_trivially_copyable_v<T>);
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

template <class T>
bool same_bytes(const T& a, const T& b) {
    static_assert(std::is_trivially_copyable_v<T>);
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

// The species records of two set-ups hold the same numbers, bit for bit.
void expect_same_species(const PROT_CLASS& a, const PROT_CLASS& b) {
    EXPECT_TRUE(same_bytes(a.rot, b.rot));
    EXPECT_TRUE(same_bytes(a.rot_inv, b.rot_inv));
    for (auto field : {&PROT_CLASS::ell_a, &PROT_CLASS::ell_b, &PROT_CLASS::f_trans_a, &PROT_CLASS::f_trans_b,
                       &PROT_CLASS::f_rot_a, &PROT_CLASS::f_rot_b, &PROT_CLASS::r_outer, &PROT_CLASS::r_inner,
                       &PROT_CLASS::r_max})
        EXPECT_TRUE(same_bytes(a.*field, b.*field));
    // Atoms have padding: field by field.
    const auto same_atoms = [](const std::vector<ATOM>& x, const std::vector<ATOM>& y) {
        const auto fields = [](const ATOM& t) {
            return std::tuple(t.x, t.y, t.z, t.r, t.q, t.mass, t.serial, t.residue);
        };
        return std::equal(x.begin(), x.end(), y.begin(), y.end(),
                          [&](const ATOM& s, const ATOM& t) { return fields(s) == fields(t); });
    };
    EXPECT_TRUE(same_atoms(a.atoms, b.atoms));
    EXPECT_TRUE(same_atoms(a.charges, b.charges));
    EXPECT_TRUE(same_bytes(a.residues, b.residues));
    EXPECT_TRUE(same_bytes(a.spheres, b.spheres));
    EXPECT_TRUE(same_bytes(a.pot, b.pot));
    EXPECT_TRUE(same_bytes(a.field, b.field));
    EXPECT_TRUE(same_bytes(a.surf_points, b.surf_points));
    EXPECT_TRUE(same_bytes(a.cells, b.cells));
    EXPECT_EQ(a.pot_n, b.pot_n);
}

class SpeciesInit : public ::testing::Test {
protected:
    void SetUp() override {
        backup::reset();
        folder = dir.path().string() + "/";
        std::filesystem::copy_file(std::string(ZELMAR_FIXTURES) + "/proteins/pept.pdb", folder + "pept.pdb");
    }
    void TearDown() override { backup::reset(); }

    // A fresh engine and species record, set up from the section; returns
    // the log, and the character-string exception in `thrown` if any.
    std::string init(const char** thrown = nullptr, void (*edit)(Section&) = nullptr) {
        backup::reset();
        engine = std::make_unique<PDcalc>();
        auto root = std::make_unique<RootSection>("run", false);
        Section* section = root->CreateSection("Species.pept");
        section->SetString("pept.pdb", "pdb");
        section->SetString("box", "compartment");
        for (const char* key : {"ellipsoid", "spheres", "epsilon", "pot_bin"}) section->SetString("*", key);
        root->SetInt(100, "Calculation.N");
        if (edit != nullptr) edit(*section);
        engine->config = std::move(root);
        engine->in_folder = engine->out_folder = engine->runtime_folder = folder;
        engine->no_overwrite = false;
        engine->A = 20.0;
        engine->collision_stage1 = &PDcalc::collision3D_spheres;
        engine->model.compartment_index = {{"box", 0}};
        species = PROT_CLASS{};
        const char* caught = nullptr;
        const std::string log = logged_text([&] {
            try {
                engine->init_prot(species, engine->config->GetSection("Species.pept", -1));
            } catch (const char* text) {
                caught = text;
            }
        });
        if (thrown != nullptr)
            *thrown = caught;
        else
            EXPECT_EQ(caught, nullptr) << caught;
        return log;
    }

    testing_support::TempDir dir;
    std::string folder;
    std::unique_ptr<PDcalc> engine;
    PROT_CLASS species;
};

TEST_F(SpeciesInit, ComputedThenReadFromTheCaches) {
    const std::string first = init();
    EXPECT_EQ(first.rfind("message: reading protein pept\n", 0), 0u);
    EXPECT_NE(first.find("message: Calculating ellipsoid ..."), std::string::npos);
    EXPECT_NE(first.find("message: Re-reading PDB ..."), std::string::npos);
    EXPECT_NE(first.find("message: generating spheres radii ..."), std::string::npos);
    EXPECT_EQ(first.substr(first.size() - 42), "message: --------------------------------\n");
    EXPECT_EQ(species.iterations, 100);

    // The atoms lie in the principal frame: body z is the long axis.
    EXPECT_TRUE(axes_file::is_rotation(species.rot));
    const principal_axes::BodyMoments m = principal_axes::body_moments(species.atoms);
    EXPECT_LT(m.Iz, m.Ix);
    EXPECT_LT(m.Iz, m.Iy);
    EXPECT_GT(species.ell_a, species.ell_b);
    const friction::Coefficients f = friction::ellipsoid(species.ell_a, species.ell_b, engine->v);
    EXPECT_EQ(species.f_trans_a, f.trans_a);
    EXPECT_EQ(species.f_rot_b, f.rot_b);
    // The grids are sized, the permittivity grid is gone, the shapes are made.
    EXPECT_EQ(species.pot_n % 2, 0);
    EXPECT_TRUE(species.eps.empty());
    EXPECT_EQ(species.field.size(), static_cast<std::size_t>(species.pot_n) * species.pot_n * species.pot_n);
    EXPECT_GT(species.surf_points_n, 0);
    // The step loop's tables are ready without a scene set-up (a restored
    // experiment has none). This species carries no charges: no charge rules
    // are set for the test.
    EXPECT_TRUE(species.atom_grid.matches(species.atoms));
    EXPECT_TRUE(species.charges.empty() || species.drift_charges.matches(species.charges));
    ASSERT_GT(species.spheres_n, 0);
    for (const ATOM& a : species.atoms) {
        bool inside = false;
        for (const SPHERE& s : species.spheres)
            inside |=
                std::sqrt((a.x - s.x) * (a.x - s.x) + (a.y - s.y) * (a.y - s.y) + (a.z - s.z) * (a.z - s.z)) + a.r <=
                s.r;
        EXPECT_TRUE(inside) << a.serial;
    }
    const PROT_CLASS computed = species;

    const std::string second = init();
    EXPECT_NE(second.find("message: reading rotation matrix from " + folder + "pept.ellipsoid ..."), std::string::npos);
    EXPECT_EQ(second.find("Calculating ellipsoid"), std::string::npos);
    EXPECT_EQ(second.find("Re-reading PDB"), std::string::npos);
    EXPECT_EQ(second.find("generating spheres"), std::string::npos);
    EXPECT_EQ(second.find("calculating epsilon"), std::string::npos);
    EXPECT_EQ(second.find("calculating potential"), std::string::npos);
    // A run that reads the caches goes on exactly like the run that made
    // them: every number the step loop uses is the same to the bit.
    expect_same_species(species, computed);
}

// Of the runs in one folder, each writes the structure once, in its final
// frame: the first finds the axes and writes the structure in them, the
// second reads the axes and writes the same file again.
TEST_F(SpeciesInit, StructureIsWrittenOnceInTheFinalFrame) {
    const auto with_output = [](Section& s) { s.SetString("*", "pdb_out"); };
    const std::string out = folder + "pept.out.pdb";
    const std::string writing = "message: writing " + out + " ...\n";
    const auto count = [](const std::string& log, const std::string& line) {
        std::size_t n = 0;
        for (auto at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) ++n;
        return n;
    };
    const std::string first = init(nullptr, with_output);
    EXPECT_EQ(count(first, writing), 1u) << first;
    EXPECT_EQ(first.find("overwriting"), std::string::npos) << first;
    const std::string computed = read_file(out);
    // The atoms' lines hold the body frame's coordinates.
    const ATOM& atom = species.atoms.front();
    EXPECT_NE(computed.find(format("%8.3f%8.3f%8.3f", atom.x * 1e10, atom.y * 1e10, atom.z * 1e10)), std::string::npos);

    const std::string second = init(nullptr, with_output);
    EXPECT_EQ(count(second, writing), 1u) << second;
    EXPECT_EQ(read_file(out), computed);
}

// An axes file cut short: the structure is read in the file's own frame and
// the axes found again are those of a first run.
TEST_F(SpeciesInit, AxesFileCutShortIsFoundAgain) {
    init();
    const PROT_CLASS computed = species;
    const std::string file = folder + "pept.ellipsoid";
    const std::string text = read_file(file);
    write_file(file, text.substr(0, text.find('\n', text.find('\n') + 1)));  // two rows
    const std::string log = init();
    EXPECT_NE(log.find("warning: " + file + " holds no rotation matrix, the axes are calculated again"),
              std::string::npos);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_EQ(species.rot[i][j], computed.rot[i][j]);
    EXPECT_EQ(species.atoms[5].x, computed.atoms[5].x);
    EXPECT_EQ(read_file(file), text);
}

// A structure of one atom has no ellipsoid: the species is refused.
TEST_F(SpeciesInit, SpeciesWithoutAnEllipsoidIsRefused) {
    write_file(folder + "one.pdb", "ATOM      1  CA  ALA A   1      11.104   6.134  -6.504  1.00  0.00           C\n");
    const char* thrown = nullptr;
    const std::string log = init(&thrown, [](Section& s) { s.SetString("one.pdb", "pdb"); });
    EXPECT_STREQ(thrown, "incorrect ellipsoid");
    EXPECT_NE(log.find("error: the ellipsoid of pept (a=0.000000e+00, b=0.000000e+00) gives no friction "
                       "coefficients"),
              std::string::npos)
        << log;
}

}  // namespace
