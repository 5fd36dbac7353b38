// The steps of a species' set-up: its keys, its principal axes from the
// file or the search, its friction and its grid size.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "dynamics/PDcalc.h"
#include "dynamics/ProcessGlobals.h"
#include "dynamics/scene/Rotation.h"
#include "dynamics/species/AxesSetup.h"
#include "dynamics/species/Friction.h"
#include "dynamics/species/GridSize.h"
#include "dynamics/species/PrincipalAxes.h"
#include "dynamics/species/SpeciesKeys.h"
#include "support/LoggedText.h"
#include "support/LongAxis.h"
#include "support/ShapeFixtures.h"
#include "support/TempDir.h"
#include "utils/backup/backup.h"
#include "utils/config/RootSection.h"

namespace {

using testing_support::logged_text;
using testing_support::read_file;
using testing_support::write_file;

constexpr double inf = std::numeric_limits<double>::infinity();

// What a step threw as a character string (null when nothing).
template <class Body>
const char* thrown_by(Body body) {
    try {
        body();
    } catch (const char* text) {
        return text;
    }
    return nullptr;
}

class SpeciesSetup : public ::testing::Test {
protected:
    void SetUp() override {
        backup::reset();
        auto root = std::make_unique<RootSection>("run", false);
        section = root->CreateSection("Species.lys");
        config = root.get();
        engine.config = std::move(root);
        engine.runtime_folder = dir.path().string() + "/";
        engine.no_overwrite = false;
        engine.model.compartment_index = {{"cell", 0}, {"box", 1}};
        section->SetString("box", "compartment");
    }
    void TearDown() override { backup::reset(); }

    testing_support::TempDir dir;
    PDcalc engine;
    Config* config = nullptr;
    Section* section = nullptr;
    PROT_CLASS species;
};

TEST_F(SpeciesSetup, KeysAndTheirDefaults) {
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, double>> numbers;  // species keys
        double sweeps;                                        // root "Calculation.N", 0: absent
        std::int32_t N, iterations;
        bool move;
        double max_grad, limit_grad;
    };
    const std::vector<Case> cases = {
        {"defaults", {}, 0, 0, 500, true, inf, inf},
        {"set", {{"N", 12}, {"move", 0}, {"max_grad", 3e9}, {"limit_grad", 1e9}}, 200, 12, 200, false, 3e9, 1e9},
        {"negative thresholds", {{"max_grad", -5}, {"limit_grad", -1}}, 0, 0, 500, true, inf, inf},
        {"zero thresholds", {{"max_grad", 0}, {"limit_grad", 0}}, 0, 0, 500, true, inf, inf},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* key : {"N", "move", "max_grad", "limit_grad"}) section->Destroy(key);
        config->Destroy("Calculation");
        for (const auto& [key, value] : c.numbers) section->SetDouble(value, key);
        if (c.sweeps != 0) config->SetDouble(c.sweeps, "Calculation.N");
        backup::reset();
        species = PROT_CLASS{};
        const std::string log = logged_text([&] { read_species_keys(engine, species, section); });
        EXPECT_EQ(log.rfind("message: reading protein lys\n", 0), 0u) << log;
        EXPECT_EQ(species.name, "lys");
        EXPECT_EQ(species.section, section);
        EXPECT_EQ(species.N, c.N);
        EXPECT_EQ(species.iterations, c.iterations);
        EXPECT_EQ(species.compartment, 1);
        EXPECT_EQ(species.move, c.move);
        EXPECT_EQ(species.max_grad, c.max_grad);
        EXPECT_EQ(species.limit_grad, c.limit_grad);
        EXPECT_EQ(backup::signature(), 4u);
    }
}

// A compartment the model does not hold is an error; it does not quietly
// become the first compartment.
TEST_F(SpeciesSetup, CompartmentMustBeKnown) {
    struct Case {
        const char* value;  // null: no key
        const char* error;
        const char* exception;
    };
    const std::vector<Case> cases = {
        {"nowhere", "error: unknown compartment nowhere for lys\n", "unknown compartment"},
        {nullptr, "error: no compartment for lys specified\n", "compartment not specified"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.exception);
        section->Destroy("compartment");
        if (c.value != nullptr) section->SetString(c.value, "compartment");
        backup::reset();
        const char* thrown = nullptr;
        const std::string log =
            logged_text([&] { thrown = thrown_by([&] { read_species_keys(engine, species, section); }); });
        EXPECT_STREQ(thrown, c.exception);
        EXPECT_NE(log.find(c.error), std::string::npos) << log;
        EXPECT_EQ(engine.model.compartment_index.size(), 2u);
    }
}

TEST_F(SpeciesSetup, GridSizeIsAutomaticUnlessGiven) {
    EXPECT_EQ(automatic_grid_size(100.0, 2.5e-9, 2e-10), 126);
    EXPECT_EQ(automatic_grid_size(100.0, 2.6e-9, 2e-10), 126);
    EXPECT_EQ(automatic_grid_size(100.0, 2.61e-9, 2e-10), 128);
    EXPECT_EQ(automatic_grid_size(5.0, 0.0, 1e-10), 10);

    engine.A = 10.0;
    engine.h = 1e-10;
    species.section = section;
    species.name = "lys";
    species.r_max = 1e-9;  // automatic: 40
    struct Case {
        int pot_n;  // 0: no key
        int expected;
        const char* log;
        const char* exception;
    };
    const std::vector<Case> cases = {
        {0, 40, "message: pot_n=40\n", nullptr},
        {31, 31, "warning: pot_n=31 < automatic value 40\n", nullptr},
        {60, 60, "message: pot_n=60\n", nullptr},
        {13, 13, "warning: pot_n=13 < automatic value 40\n", nullptr},
        {12, 12,
         "warning: pot_n=12 < automatic value 40\n"
         "error: grid of 12 cells too small for lys: its protein comes within 5 cells of the faces, 6 are needed "
         "(raise Physics.A or pot_n)\n",
         "grid too small"},
        {-4, -4,
         "warning: pot_n=-4 < automatic value 40\n"
         "error: grid of -4 cells too small for lys: its protein comes within -1 cells of the faces, 6 are needed "
         "(raise Physics.A or pot_n)\n",
         "grid too small"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pot_n);
        section->Destroy("pot_n");
        if (c.pot_n != 0) section->SetInt(c.pot_n, "pot_n");
        const char* thrown = nullptr;
        const std::string log = logged_text([&] { thrown = thrown_by([&] { choose_grid_size(engine, species); }); });
        EXPECT_EQ(species.pot_n, c.expected);
        EXPECT_NE(log.find(c.log), std::string::npos) << log;
        if (c.exception != nullptr)
            EXPECT_STREQ(thrown, c.exception);
        else
            EXPECT_EQ(thrown, nullptr);
    }

    // An atom five cells from a face: refused before any grid is computed.
    section->Destroy("pot_n");
    species.atoms = {ATOM{0, 0, 14.5e-10, 1.7e-10, 0, 12, 1, 1, 0}};
    const char* thrown = nullptr;
    const std::string log = logged_text([&] { thrown = thrown_by([&] { choose_grid_size(engine, species); }); });
    EXPECT_STREQ(thrown, "grid too small");
    EXPECT_NE(log.find("error: grid of 40 cells too small for lys: its protein comes within 5 cells of the faces"),
              std::string::npos)
        << log;
}

// A species whose atoms form a prolate body turned away from the structure
// frame, as read with the identity matrix.
class AxesSetupTest : public SpeciesSetup {
protected:
    void SetUp() override {
        SpeciesSetup::SetUp();
        species.name = "lys";
        species.section = section;
        species.mass_center = {1.0, 2.0, 3.0};
        const double identity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
        turn_3a(turn, identity, 0.5, -0.3, 1.2);
        species.atoms = dynamics_testing::turned_ellipsoid_atoms(3, 500, 2.5e-9, 1e-9, turn);
        species.atoms_n = static_cast<std::int32_t>(species.atoms.size());
        species.mass = 12.0 * species.atoms_n;
    }
    std::string axes_file_name() const { return engine.runtime_folder + "lys.ellipsoid"; }
    bool settle(std::string& log) {
        bool reread = false;
        log = logged_text([&] {
            const AxesStart start = start_axes(engine, species);
            reread = settle_axes(engine, species, start);
        });
        return reread;
    }
    bool rot_is_identity() const {
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                if (species.rot[i][j] != (i == j ? 1.0 : 0.0)) return false;
        return true;
    }

    double turn[3][3];
};

TEST_F(AxesSetupTest, WithoutAFileNameTheAxesAreFoundEveryTimeAndNotWritten) {
    std::string log;
    EXPECT_TRUE(settle(log));
    EXPECT_NE(log.find("message: Calculating ellipsoid ...\nmessage: Ix="), std::string::npos) << log;
    EXPECT_NE(log.find("message: Ellipsoid: a="), std::string::npos);
    EXPECT_NE(log.find("warning: could not write rotation matrix to (null)\n"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    EXPECT_NEAR(species.ell_a / 2.5e-9, 1.0, 0.05);
    // The long axis of the atoms, within the spacing of the search's grid.
    EXPECT_LT(dynamics_testing::axis_angle({species.rot[0][2], species.rot[1][2], species.rot[2][2]},
                                           dynamics_testing::long_axis(species.atoms)),
              0.8);
}

// The first run finds the axes and writes them; the next reads them back
// and neither searches nor reads the structure again.
TEST_F(AxesSetupTest, FoundOnceThenReadFromTheFile) {
    section->SetString("*", "ellipsoid");
    std::string log;
    EXPECT_TRUE(settle(log));
    EXPECT_NE(log.find("message: rotation matrix written to " + axes_file_name() + "\n"), std::string::npos) << log;
    EXPECT_EQ(read_file(axes_file_name()),
              axes_file::text(species.rot, species.ell_a, species.ell_b, species.mass_center));
    const PROT_CLASS first = species;

    species.rot[0][0] = 0.0;
    species.ell_a = species.ell_b = 0.0;
    EXPECT_FALSE(settle(log));
    EXPECT_EQ(log, "message: reading rotation matrix from " + axes_file_name() + " ...\n");
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_NEAR(species.rot[i][j], first.rot[i][j], 1e-6);
    EXPECT_NEAR(species.ell_a, first.ell_a, 1e-6 * first.ell_a);
    EXPECT_NEAR(species.ell_b, first.ell_b, 1e-6 * first.ell_b);
}

// A file without a whole rotation matrix is not half used: the structure is
// read with the identity and the axes are found again; the file is
// rewritten unless overwriting is off.
TEST_F(AxesSetupTest, FileWithoutAWholeRotationIsFoundAgain) {
    section->SetString("*", "ellipsoid");
    std::string log;
    settle(log);
    const PROT_CLASS fresh = species;
    struct Case {
        const char* name;
        std::string text;
        bool no_overwrite;
    };
    const std::vector<Case> cases = {
        {"eight numbers", "0.6 0.8 0\n-0.8 0.6 0\n0 0\n", false},
        {"cut by text", "0.6 0.8 0\n-0.8 x\n", false},
        {"empty", "", false},
        {"not a rotation", "1 0 0\n0 1 0\n0 0 2\n3e-9 1e-9\n", false},
        {"a mirror", "1 0 0\n0 1 0\n0 0 -1\n3e-9 1e-9\n", false},
        {"kept when overwriting is off", "0.6 0.8 0\n-0.8 0.6 0\n0 0\n", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        engine.no_overwrite = c.no_overwrite;
        write_file(axes_file_name(), c.text);
        species.rot[0][0] = 5.0;
        AxesStart start;
        const std::string read_log = logged_text([&] { start = start_axes(engine, species); });
        EXPECT_EQ(read_log, "message: reading rotation matrix from " + axes_file_name() + " ...\nwarning: " +
                                axes_file_name() + " holds no rotation matrix, the axes are calculated again\n");
        EXPECT_TRUE(start.search);
        EXPECT_TRUE(rot_is_identity());  // the frame the structure is read in
        bool reread = false;
        const std::string search_log = logged_text([&] { reread = settle_axes(engine, species, start); });
        EXPECT_TRUE(reread);
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) EXPECT_EQ(species.rot[i][j], fresh.rot[i][j]);
        if (c.no_overwrite) {
            EXPECT_EQ(read_file(axes_file_name()), c.text);
            EXPECT_NE(search_log.find("warning: could not write rotation matrix to " + axes_file_name() + "\n"),
                      std::string::npos);
        } else {
            EXPECT_EQ(axes_file::parse(read_file(axes_file_name())).matrix_numbers, 9);
        }
    }
}

TEST_F(AxesSetupTest, WholeMatrixWithoutSemiAxesIsAnError) {
    section->SetString("*", "ellipsoid");
    write_file(axes_file_name(), "1 0 0\n0 1 0\n0 0 1\n3e-9\n");
    const char* thrown = nullptr;
    const std::string log = logged_text([&] {
        thrown = thrown_by([&] {
            const AxesStart start = start_axes(engine, species);
            settle_axes(engine, species, start);
        });
    });
    EXPECT_STREQ(thrown, "incorrect ellipsoid");
    EXPECT_EQ(log, "message: reading rotation matrix from " + axes_file_name() + " ...\nerror: " + axes_file_name() +
                       " is incorrect\n");
}

TEST_F(AxesSetupTest, OnlyTheFirstProcessWritesTheFile) {
    section->SetString("*", "ellipsoid");
    const std::int32_t saved = processorID;
    processorID = 1;
    std::string log;
    settle(log);
    processorID = saved;
    EXPECT_NE(log.find("warning: could not write rotation matrix to " + axes_file_name() + "\n"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(axes_file_name()));
}

// Friction from the ellipsoid; a species without a usable ellipsoid (one
// atom, an oblate or empty one from a file) is refused.
TEST_F(AxesSetupTest, FrictionOrAClearRefusal) {
    struct Case {
        const char* name;
        double a, b;
        bool usable;
    };
    const std::vector<Case> cases = {
        {"prolate", 3e-9, 1e-9, true},
        {"nearly spherical", 1.005e-9, 1e-9, true},
        {"none found", 0.0, 0.0, false},
        {"oblate", 1e-9, 2e-9, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        species.ell_a = c.a;
        species.ell_b = c.b;
        const char* thrown = nullptr;
        const std::string log = logged_text([&] { thrown = thrown_by([&] { set_friction(species, 0.001); }); });
        if (!c.usable) {
            EXPECT_STREQ(thrown, "incorrect ellipsoid");
            char expected[200];
            std::snprintf(expected, sizeof expected,
                          "error: the ellipsoid of lys (a=%e, b=%e) gives no friction coefficients\n", c.a, c.b);
            EXPECT_EQ(log, expected);
            continue;
        }
        EXPECT_EQ(thrown, nullptr);
        const friction::Coefficients f = friction::ellipsoid(c.a, c.b, 0.001);
        EXPECT_EQ(species.f_trans_a, f.trans_a);
        EXPECT_EQ(species.f_trans_b, f.trans_b);
        EXPECT_EQ(species.f_rot_a, f.rot_a);
        EXPECT_EQ(species.f_rot_b, f.rot_b);
        EXPECT_DOUBLE_EQ(species.ell_p, c.a / c.b);
        EXPECT_DOUBLE_EQ(species.r_equiv, std::cbrt(c.a * c.b * c.b));
        EXPECT_EQ(log.empty(), !f.sphere) << log;
    }

    // One atom: the search finds no positive moment and leaves no ellipsoid.
    species.atoms.resize(1);
    species.atoms[0] = ATOM{0, 0, 0, 1.7e-10, 0, 12.0, 1, 1, 0};
    species.ell_a = species.ell_b = 0.0;
    std::string log;
    EXPECT_FALSE(settle(log));
    EXPECT_EQ(log.substr(log.find("message:")), "message: Calculating ellipsoid ...\n");
    const char* thrown = nullptr;
    logged_text([&] { thrown = thrown_by([&] { set_friction(species, 0.001); }); });
    EXPECT_STREQ(thrown, "incorrect ellipsoid");
}

}  // namespace
