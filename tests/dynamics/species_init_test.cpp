// The whole set-up of a species from its configuration section, on a real
// structure: first computed and cached, then read back from the caches.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

#include "dynamics/PDcalc.h"
#include "dynamics/species/AxesFile.h"
#include "dynamics/species/Friction.h"
#include "dynamics/species/PrincipalAxes.h"
#include "dynamics/species/SpheresFile.h"
#include "support/LoggedText.h"
#include "support/TempDir.h"
#include "utils/backup/backup.h"
#include "utils/config/RootSection.h"

namespace {

using testing_support::logged_text;
using testing_support::read_file;
using testing_support::write_file;

// An engine set up for one species "pept" of the peptide fixture, with all
// of its caches named, in a folder of its own.
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
    ASSERT_EQ(species.spheres.size(), computed.spheres.size());
    for (std::size_t s = 0; s < computed.spheres.size(); ++s)
        EXPECT_NEAR(species.spheres[s].r, computed.spheres[s].r, 1e-16);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_NEAR(species.rot[i][j], computed.rot[i][j], 1e-6);
    EXPECT_NEAR(species.f_rot_a / computed.f_rot_a, 1.0, 1e-5);
    EXPECT_NEAR(species.atoms[7].z, computed.atoms[7].z, 1e-15);
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
