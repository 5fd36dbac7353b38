// Covering spheres of a species: the spheres file, its generation and
// reading, the coverage they give and the radii of the broad collision test.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "dynamics/PDcalc.h"
#include "dynamics/ProcessGlobals.h"
#include "dynamics/scene/Rotation.h"
#include "dynamics/species/ShapeSteps.h"
#include "dynamics/species/SpheresFile.h"
#include "support/LoggedText.h"
#include "support/ShapeFixtures.h"
#include "support/TempDir.h"
#include "utils/config/RootSection.h"

namespace {

using namespace dynamics_testing;
using testing_support::logged_text;
using testing_support::read_file;
using testing_support::write_file;

double distance(const POINT3D& a, const POINT3D& b) {
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

// A species turned away from the file frame: file lines and body spheres
// convert into each other.
TEST(SpheresFile, LinesAreAngstromInTheStructureFrame) {
    PROT_CLASS s;
    const double identity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    turn_3a(s.rot, identity, 0.4, -1.1, 2.3);
    inv_mat(s.rot, s.rot_inv);
    s.mass_center = {10.0, -20.0, 30.5};
    const SPHERE body{{1.5e-10, -2.25e-10, 4e-10}, 3.125e-10};
    const std::string line = covering_spheres::sphere_line(body, s);
    // The centre in the file frame: rotᵀ maps it back to the body frame.
    const POINT3D expected = POINT3D{s.rot[0][0] * 1.5 + s.rot[0][1] * -2.25 + s.rot[0][2] * 4.0,
                                     s.rot[1][0] * 1.5 + s.rot[1][1] * -2.25 + s.rot[1][2] * 4.0,
                                     s.rot[2][0] * 1.5 + s.rot[2][1] * -2.25 + s.rot[2][2] * 4.0} +
                             s.mass_center;
    char text[200];
    std::snprintf(text, sizeof text, "%f\t%f\t%f\t%f\n", expected.x, expected.y, expected.z, 3.125);
    EXPECT_EQ(line, text);

    const std::vector<SPHERE> back = covering_spheres::parse_spheres(line, s);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_LT(distance(back[0], body), 1e-16);
    EXPECT_DOUBLE_EQ(back[0].r, 3.125e-10);
}

TEST(SpheresFile, OnlyLinesBeginningWithFourNumbersCount) {
    PROT_CLASS s;
    for (int i = 0; i < 3; ++i) s.rot[i][i] = s.rot_inv[i][i] = 1.0;
    const std::string text =
        "1 2 3 4\n"
        "1 2 3\n"      // three numbers
        "# 1 2 3 4\n"  // not a number first
        "\n"
        "  5e0\t6 7 8.5 trailing words\n"
        "1,5 2 3 4\n"     // a decimal comma stops the first number
        "-1 -2 -3 1e-1";  // no line end
    const std::vector<SPHERE> spheres = covering_spheres::parse_spheres(text, s);
    ASSERT_EQ(spheres.size(), 3u);
    EXPECT_DOUBLE_EQ(spheres[0].z, 3e-10);
    EXPECT_DOUBLE_EQ(spheres[1].x, 5e-10);
    EXPECT_DOUBLE_EQ(spheres[1].r, 8.5e-10);
    EXPECT_DOUBLE_EQ(spheres[2].r, 1e-11);
}

// An engine and a blob species on a grid, with the species' files in a
// folder of their own.
class Spheres : public ::testing::Test {
protected:
    void SetUp() override {
        engine.runtime_folder = dir.path().string() + "/";
        engine.h = h;
        engine.max_atom_r = 1.7e-10;
        engine.no_overwrite = false;
        species = shape_species(blob_atoms(11, 40, 6e-10), 28, h);
        species.name = "blob";
        species.section = root.CreateSection("Species.blob");
        species.section->SetString("*", "spheres");
    }
    std::string spheres_file() const { return engine.runtime_folder + "blob.spheres"; }
    std::string run(ShapeStages stages = {true, false, false}) {
        return logged_text([&] { build_shapes(engine, species, stages); });
    }

    static constexpr double h = 1e-10;
    testing_support::TempDir dir;
    PDcalc engine;
    RootSection root{"t", false};
    PROT_CLASS species;
};

TEST_F(Spheres, GeneratedOnceThenReadBackWithTheSameRadii) {
    const std::string log = run();
    EXPECT_NE(log.find("message: reading " + spheres_file() + " ...\n" + "warning: " + spheres_file() +
                       " wasn't open\n" + "message: generating spheres radii ...\n"),
              std::string::npos)
        << log;
    for (const char* line : {"message: generating cell scores ...\n", "message: generating spheres list ...\n",
                             "message: searching for redundant spheres ...\n", "redundant spheres removed\n",
                             "possible spheres\n", "spheres listed\n"})
        EXPECT_NE(log.find(line), std::string::npos) << line;
    EXPECT_NE(log.find("message: writing " + spheres_file() + " ...\n"), std::string::npos);
    EXPECT_NE(log.find("message: finished with " + std::to_string(species.spheres_n) + " spheres\n"),
              std::string::npos);
    EXPECT_NE(log.find("message: 0 atoms uncovered"), std::string::npos) << log;
    ASSERT_GT(species.spheres_n, 1);
    const std::vector<SPHERE> generated = species.spheres;

    // The file holds the final radii, max_atom_r included; reading adds
    // nothing.
    PROT_CLASS again = shape_species(species.atoms, 28, h);
    again.name = "blob";
    again.section = species.section;
    std::string reread;
    reread = logged_text([&] { EXPECT_TRUE(engine.read_spheres(again)); });
    EXPECT_EQ(reread, "message: reading " + spheres_file() + " ...\nmessage: " + std::to_string(generated.size()) +
                          " spheres read\n");
    ASSERT_EQ(again.spheres.size(), generated.size());
    for (std::size_t s = 0; s < generated.size(); ++s) {
        EXPECT_NEAR(again.spheres[s].r, generated[s].r, 1e-16);
        EXPECT_LT(distance(again.spheres[s], generated[s]), 2e-16);
    }
}

// Whatever the shape, every atom ball lies inside one sphere: the spheres
// reach the farthest atom centre they hold by max_atom_r more.
TEST_F(Spheres, EveryAtomBallLiesInsideASphere) {
    struct Case {
        const char* name;
        std::vector<ATOM> atoms;
        double h;
        double margin;
    };
    const std::vector<Case> cases = {
        {"blob", blob_atoms(5, 120, 9e-10), 1e-10, 10e-10},
        {"peptide", structure_atoms("pept.pdb"), 1e-10, 10e-10},
        {"peptide, coarse grid", structure_atoms("pept.pdb"), 2e-10, 16e-10},
        {"protease", structure_atoms("1hpv.pdb"), 2e-10, 16e-10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        engine.h = c.h;
        engine.max_atom_r = 0.0;
        for (const ATOM& a : c.atoms) engine.max_atom_r = std::max(engine.max_atom_r, a.r);
        species = shape_species(c.atoms, grid_size(c.atoms, c.h, c.margin), c.h);
        logged_text([&] { engine.spheres_gen(species); });
        ASSERT_GT(species.spheres_n, 0);
        int outside = 0;
        for (const ATOM& a : species.atoms) {
            bool inside = false;
            for (const SPHERE& s : species.spheres) inside |= distance(POINT3D{a.x, a.y, a.z}, s) + a.r <= s.r;
            outside += inside ? 0 : 1;
        }
        EXPECT_EQ(outside, 0);
    }
}

// A spheres file that cannot be written whole is removed, so that no later
// run trusts a part of it. The process's file size limit stops the write
// beyond the log's length.
TEST_F(Spheres, FileCutShortIsRemoved) {
    const std::string full_log = run();
    const auto full_size = std::filesystem::file_size(spheres_file());
    ASSERT_GT(full_size, full_log.size() + 200);
    std::filesystem::remove(spheres_file());
    species.spheres.clear();

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limit = saved;
    limit.rlim_cur = full_log.size() + 100;
    void (*previous)(int) = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    const std::string log = run();
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);

    EXPECT_NE(log.find("warning: failed to write " + spheres_file() + "\n"), std::string::npos) << log;
    EXPECT_FALSE(std::filesystem::exists(spheres_file()));
    EXPECT_GT(species.spheres_n, 0);
}

// A spheres file with a sphere no generator makes (a number that is not
// finite, a radius of 0 or less) is no cache either: generated again.
TEST_F(Spheres, FileWithAnUnusableSphereIsGeneratedAgain) {
    for (const char* line : {"1 2 3 nan", "inf 0 0 2", "1 2 3 0", "1 2 3 -1.5"}) {
        SCOPED_TRACE(line);
        engine.no_overwrite = false;
        write_file(spheres_file(), std::string("0 0 0 5\n") + line + "\n");
        species.spheres.clear();
        species.spheres_n = 0;
        const std::string log = run();
        EXPECT_NE(log.find("warning: incorrect file " + spheres_file() + "\nmessage: generating spheres radii ...\n"),
                  std::string::npos)
            << log;
        EXPECT_GT(species.spheres_n, 1);
        for (const SPHERE& s : species.spheres) EXPECT_TRUE(covering_spheres::usable(s));
    }
}

// A spheres file without a single sphere is no cache: the spheres are
// generated again (and the file rewritten where that is allowed).
TEST_F(Spheres, FileWithoutSpheresIsGeneratedAgain) {
    for (const bool no_overwrite : {false, true}) {
        SCOPED_TRACE(no_overwrite);
        engine.no_overwrite = no_overwrite;
        write_file(spheres_file(), "1 2 3\nno numbers\n");
        species.spheres.clear();
        species.spheres_n = 0;
        const std::string log = run();
        EXPECT_NE(log.find("warning: no spheres read\nmessage: generating spheres radii ...\n"), std::string::npos)
            << log;
        EXPECT_GT(species.spheres_n, 0);
        EXPECT_NE(log.find("message: 0 atoms uncovered"), std::string::npos);
        if (no_overwrite)
            EXPECT_EQ(read_file(spheres_file()), "1 2 3\nno numbers\n");
        else
            EXPECT_EQ(covering_spheres::parse_spheres(read_file(spheres_file()), species).size(),
                      species.spheres.size());
    }
}

TEST_F(Spheres, WithoutAFileNameNothingIsReadOrWritten) {
    species.section->Destroy("spheres");
    EXPECT_FALSE(engine.read_spheres(species));
    const std::string log = run();
    EXPECT_EQ(log.find("reading"), std::string::npos);
    EXPECT_EQ(log.find("writing"), std::string::npos);
    EXPECT_GT(species.spheres_n, 0);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST_F(Spheres, OnlyTheFirstProcessWritesTheFile) {
    const std::int32_t saved = processorID;
    processorID = 1;
    const std::string log = run();
    processorID = saved;
    EXPECT_EQ(log.find("writing"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(spheres_file()));
    EXPECT_GT(species.spheres_n, 0);
}

// Atoms left outside the spheres of a file are reported one by one, with how
// far their centre lies outside the nearest sphere.
TEST_F(Spheres, UncoveredAtomsAreReported) {
    species.atoms = {ATOM{0, 0, 0, 1.5e-10, 0, 12, 1, 1, 0}, ATOM{3e-10, 0, 0, 1.5e-10, 0, 12, 2, 1, 0},
                     ATOM{0, -4e-10, 0, 1.5e-10, 0, 12, 3, 1, 0}};
    species.atoms_n = 3;
    fill_permittivity(species, h, 1.5e-10);
    // Structure frame: mass centre (10, 20, 30) ångström, identity axes.
    write_file(spheres_file(), "10 20 30 1\n12 20 30 0.5\n");
    const std::string log = run();
    EXPECT_NE(log.find("message: atom 1 uncovered by 0.500000A\n"
                       "message: atom 2 uncovered by 3.000000A\n"
                       "message: 2 atoms uncovered, min distance 3.000000A\n"),
              std::string::npos)
        << log;
}

// The radii of the broad collision test follow the stages in use.
TEST_F(Spheres, RadiiFollowTheCollisionStages) {
    write_file(spheres_file(), "10 20 30 2\n13 20 30 1.5\n");  // reaches 4.5 Å; r − |c| = 2
    struct Case {
        const char* name;
        ShapeStages stages;
        bool outer_from_atoms, outer_from_spheres, inner_from_spheres;
    };
    const std::vector<Case> cases = {
        {"spheres", {true, false, false}, false, true, true},
        {"spheres and atoms", {true, false, true}, true, false, true},
        {"surface cells", {false, true, false}, false, false, false},
        {"surface cells and atoms", {false, true, true}, true, false, false},
        {"residues", {false, false, false}, false, false, true},
    };
    double atoms_reach = 0.0;
    for (const ATOM& a : species.atoms)
        atoms_reach = std::max(atoms_reach, std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z) + a.r);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        species.spheres.clear();
        species.spheres_n = 0;
        const std::string log = run(c.stages);
        PROT_CLASS surface = species;
        logged_text([&] { engine.surf_points(surface); });
        const double outer = c.outer_from_atoms ? atoms_reach : c.outer_from_spheres ? 4.5e-10 : surface.r_outer;
        const double inner = c.inner_from_spheres ? (c.stages.spheres ? 2e-10 : 0.0) : surface.r_inner;
        EXPECT_DOUBLE_EQ(species.r_outer, outer);
        EXPECT_DOUBLE_EQ(species.r_inner, inner);
        char expected[100];
        std::snprintf(expected, sizeof expected, "message: R=%e\nmessage: r=%e\n", species.r_outer, species.r_inner);
        EXPECT_EQ(log.substr(log.size() - std::string(expected).size()), expected);
        EXPECT_EQ(log.find("spheres") != std::string::npos, c.stages.spheres);
    }
}

// A grid whose faces come closer than six cells to the protein is refused
// before anything is generated or written: the shape steps look that far
// around it.
TEST_F(Spheres, GridTooSmallForTheShapesIsRefused) {
    struct Case {
        const char* name;
        int n;
        double shift;  // of every atom along x, metres
        bool refused;
    };
    const std::vector<Case> cases = {
        {"ample", 40, 0.0, false},
        {"small", 20, 0.0, true},
        {"protein off centre", 40, 12e-10, true},
        {"an atom outside the grid", 40, 30e-10, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<ATOM> atoms = blob_atoms(3, 20, 5e-10);
        for (ATOM& a : atoms) a.x += c.shift;
        species = shape_species(atoms, c.n, h);
        species.name = "blob";
        species.section = root.GetSection("Species.blob", -1);
        std::filesystem::remove(spheres_file());
        const char* thrown = nullptr;
        const std::string log = logged_text([&] {
            try {
                build_shapes(engine, species, {true, false, false});
            } catch (const char* text) {
                thrown = text;
            }
        });
        if (!c.refused) {
            EXPECT_EQ(thrown, nullptr);
            continue;
        }
        EXPECT_STREQ(thrown, "grid too small");
        EXPECT_EQ(log.rfind("error: grid of " + std::to_string(c.n) +
                                " cells too small for blob: its protein comes "
                                "within ",
                            0),
                  0u)
            << log;
        EXPECT_NE(log.find(" cells of the faces, 6 are needed (raise Physics.A or pot_n)"), std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(spheres_file()));
    }
}

// The viewer's hooks: the display surface first, the surface cells once the
// points are known.
TEST_F(Spheres, DisplayHooksAreCalledWhenSet) {
    std::vector<std::string> calls;
    engine.velmesh_surface = [&](PROT_CLASS& s, PDcalc& e) {
        EXPECT_EQ(&s, &species);
        EXPECT_EQ(&e, &engine);
        EXPECT_EQ(s.spheres_n, 0);
        calls.push_back("surface");
    };
    engine.surf_cells_save = [&](PROT_CLASS& s, PDcalc&, int count, const std::vector<int>& x,
                                 const std::vector<int>& y, const std::vector<int>& z) {
        EXPECT_GT(s.spheres_n, 0);
        EXPECT_EQ(x.size(), static_cast<std::size_t>(s.surf_points_n));
        EXPECT_EQ(y.size(), x.size());
        EXPECT_EQ(z.size(), x.size());
        EXPECT_GT(count, 0);
        calls.push_back("cells");
    };
    run();
    EXPECT_EQ(calls, (std::vector<std::string>{"surface", "cells"}));
}

}  // namespace
