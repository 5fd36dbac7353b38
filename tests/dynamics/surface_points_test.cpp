// Surface points and cells of a species, its first radii, and the cap on its
// potential gradient outside the protein.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "dynamics/PDcalc.h"
#include "dynamics/ProcessGlobals.h"
#include "dynamics/scene/Rotation.h"
#include "dynamics/species/BodyFrame.h"
#include "dynamics/species/GridIndex.h"
#include "support/LoggedText.h"
#include "support/TempDir.h"
#include "utils/config/RootSection.h"

namespace {

using testing_support::logged_text;

constexpr double h = 2e-10;
constexpr int n = 20, c = n / 2;

std::size_t at(int i, int j, int k) { return static_cast<std::size_t>(lin(n, i, j, k)); }

// A species whose grid is solvent except where the test puts protein.
PROT_CLASS solvent_species() {
    PROT_CLASS s;
    s.name = "cube";
    s.pot_n = n;
    s.eps.assign(static_cast<std::size_t>(n) * n * n, 80.0);
    s.field.assign(s.eps.size(), POINT3D{0, 0, 0});
    s.max_grad = std::numeric_limits<double>::infinity();
    s.limit_grad = std::numeric_limits<double>::infinity();
    for (int i = 0; i < 3; ++i) s.rot[i][i] = s.rot_inv[i][i] = 1.0;
    return s;
}

// Protein 2 in the centre cell, a boundary layer of 40 in the 26 around it.
PROT_CLASS cube_species() {
    PROT_CLASS s = solvent_species();
    for (int i = c - 1; i <= c + 1; ++i)
        for (int j = c - 1; j <= c + 1; ++j)
            for (int k = c - 1; k <= c + 1; ++k) s.eps[at(i, j, k)] = 40.0;
    s.eps[at(c, c, c)] = 2.0;
    return s;
}

class SurfacePoints : public ::testing::Test {
protected:
    void SetUp() override {
        engine.h = h;
        engine.runtime_folder = dir.path().string() + "/";
        engine.no_overwrite = false;
    }
    std::string run(PROT_CLASS& s) {
        return logged_text([&] { engine.surf_points(s); });
    }

    testing_support::TempDir dir;
    PDcalc engine;
};

TEST_F(SurfacePoints, WithoutProteinTheBoxSurroundsTheCentreCell) {
    PROT_CLASS s = solvent_species();
    EXPECT_EQ(run(s),
              "message: calculating protein surface\n"
              "message: total protein volume: 0 cells\n"
              "message: protein surface: 0 cells\n"
              "message: max electrostatic gradient outside protein 0.000000e+00 V/m\n");
    EXPECT_EQ(s.cells_nx, 11);
    EXPECT_EQ(s.cells_ny, 11);
    EXPECT_EQ(s.cells_nz, 11);
    EXPECT_EQ(s.cells_ox, -5);
    EXPECT_EQ(s.cells_oz, -5);
    EXPECT_EQ(s.cells, std::vector<std::int32_t>(11 * 11 * 11, 0));
    EXPECT_EQ(s.surf_points_n, 0);
    EXPECT_DOUBLE_EQ(s.r_outer, 0.8660254037844386 * h);
    EXPECT_EQ(s.r_inner, 0.0);
}

// The box reaches five cells beyond the protein; every non-solvent cell is
// inside; the radii reach the farthest protein cell's far corner and the
// nearest solvent cell's near corner.
TEST_F(SurfacePoints, BoxFlagsAndRadiiOfACube) {
    PROT_CLASS s = cube_species();
    s.eps[at(c + 2, c, c)] = 79.0;  // not solvent: the box grows along +x
    run(s);
    EXPECT_EQ(s.cells_nx, 14);
    EXPECT_EQ(s.cells_ny, 13);
    EXPECT_EQ(s.cells_ox, -6);
    EXPECT_EQ(s.cells_oy, -6);
    int inside = 0;
    for (const std::int32_t flag : s.cells) inside += flag;
    EXPECT_EQ(inside, 28);
    EXPECT_EQ(s.cells[cells_index(s, 1 + 5, 1 + 5, 1 + 5)], 1);      // the centre cell
    EXPECT_EQ(s.cells[cells_index(s, 2 + 5 + 1, 1 + 5, 1 + 5)], 1);  // the 79 cell
    EXPECT_EQ(s.cells[cells_index(s, 0, 0, 0)], 0);
    EXPECT_DOUBLE_EQ(s.r_outer, (2.0 + 0.8660254037844386) * h);
    EXPECT_DOUBLE_EQ(s.r_inner, (2.0 - 0.8660254037844386) * h);  // (−2, 0, 0) is the nearest solvent
}

// With surface_outer the points are the first solvent-side layer (the
// 5³ − 3³ cells around the cube), else the last protein-side layer (the 26
// boundary cells); in visiting order, at cell centres.
TEST_F(SurfacePoints, PointsLieOnTheChosenSideOfTheSurface) {
    struct Case {
        bool outer;
        int count;
        POINT3D first;
    };
    for (const Case& k :
         {Case{true, 98, {-1.5 * h, -1.5 * h, -1.5 * h}}, Case{false, 26, {-0.5 * h, -0.5 * h, -0.5 * h}}}) {
        SCOPED_TRACE(k.outer);
        engine.surface_outer = k.outer;
        PROT_CLASS s = cube_species();
        const std::string log = run(s);
        EXPECT_EQ(s.surf_points_n, k.count);
        ASSERT_EQ(s.surf_points.size(), static_cast<std::size_t>(k.count));
        EXPECT_DOUBLE_EQ(s.surf_points[0].x, k.first.x);
        EXPECT_DOUBLE_EQ(s.surf_points[0].y, k.first.y);
        EXPECT_DOUBLE_EQ(s.surf_points[0].z, k.first.z);
        EXPECT_NE(log.find("message: total protein volume: 27 cells\nmessage: protein surface: " +
                           std::to_string(k.count) + " cells\n"),
                  std::string::npos);
    }
}

// Solvent cells of the box: a gradient above max_grad makes the cell inside
// (and is left alone); one above limit_grad is cut to limit_grad keeping its
// direction; cells outside the box are not touched.
TEST_F(SurfacePoints, GradientOutsideTheProteinIsCapped) {
    PROT_CLASS s = solvent_species();
    for (int k = c; k < c + 4; ++k) s.eps[at(c, c, k)] = 2.0;  // volume 4
    const POINT3D strong{0.0, 6e8, 8e8}, middle{3e8, 0.0, 0.0}, weak{0.0, 0.0, 5e7};
    for (int i : {c - 3, c - 2, c - 1}) s.field[at(i, c, c)] = strong;
    for (int j : {c + 1, c + 2}) s.field[at(c, j, c)] = middle;
    s.field[at(c + 1, c + 1, c + 1)] = weak;
    s.field[at(0, 0, 0)] = middle;  // outside the box
    s.max_grad = 5e8;
    s.limit_grad = 1e8;
    const std::string log = run(s);
    EXPECT_NE(log.find("message: total protein volume: 7 cells\n"
                       "message: protein surface: "),
              std::string::npos);
    EXPECT_NE(log.find("message: max electrostatic gradient outside protein 1.000000e+09 V/m\n"
                       "message: added to volume 3 cells (42%, max 5.000000e+08 V/m)\n"
                       "message: gradient limited to 1.000000e+08 V/m in 2 cells\n"),
              std::string::npos)
        << log;
    const auto flag = [&](int i, int j, int k) {
        return s.cells[cells_index(s, i - c - s.cells_ox, j - c - s.cells_oy, k - c - s.cells_oz)];
    };
    EXPECT_EQ(flag(c - 1, c, c), 1);
    EXPECT_EQ(flag(c, c + 1, c), 0);
    EXPECT_EQ(s.field[at(c - 1, c, c)].z, 8e8);
    EXPECT_DOUBLE_EQ(s.field[at(c, c + 1, c)].x, 1e8);
    EXPECT_EQ(s.field[at(c, c + 1, c)].y, 0.0);
    EXPECT_EQ(s.field[at(c + 1, c + 1, c + 1)].z, 5e7);
    EXPECT_EQ(s.field[at(0, 0, 0)].x, 3e8);
}

// The points file: one line per point, ångström, in the structure file's
// frame; written by the first process only.
TEST_F(SurfacePoints, PointsFileIsInTheStructureFrame) {
    RootSection root{"t", false};
    PROT_CLASS s = cube_species();
    s.section = root.CreateSection("Species.cube");
    s.section->SetString("*", "surf_points");
    const double identity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    turn_3a(s.rot, identity, 0.3, 0.2, -0.9);
    inv_mat(s.rot, s.rot_inv);
    s.mass_center = {1.0, 2.0, 3.0};
    const std::string file = engine.runtime_folder + "cube.surf_points";
    const std::string log = run(s);
    EXPECT_NE(log.find("message: writing " + file + " ...\n"), std::string::npos);
    std::string expected;
    for (const POINT3D& p : s.surf_points) {
        const POINT3D q = structure_position(s, p);
        char line[100];
        std::snprintf(line, sizeof line, "%f\t%f\t%f\n", q.x, q.y, q.z);
        expected += line;
    }
    EXPECT_EQ(testing_support::read_file(file), expected);
    // The first point, the corner (−1.5, −1.5, −1.5) cells of the body frame.
    const POINT3D first = structure_position(s, POINT3D{-3e-10, -3e-10, -3e-10});
    char line[100];
    std::snprintf(line, sizeof line, "%f\t%f\t%f\n", first.x, first.y, first.z);
    EXPECT_EQ(expected.rfind(line, 0), 0u);

    std::remove(file.c_str());
    const std::int32_t saved = processorID;
    processorID = 2;
    run(s);
    processorID = saved;
    EXPECT_FALSE(std::ifstream(file).good());
}

TEST_F(SurfacePoints, GridWithoutRoomAroundTheProteinIsRefused) {
    PROT_CLASS s = solvent_species();
    s.eps[at(c, c, n - 6)] = 2.0;  // five cells from the face
    const char* thrown = nullptr;
    const std::string log = logged_text([&] {
        try {
            engine.surf_points(s);
        } catch (const char* text) {
            thrown = text;
        }
    });
    EXPECT_STREQ(thrown, "grid too small");
    EXPECT_EQ(log,
              "message: calculating protein surface\n"
              "error: grid of 20 cells too small for cube: its protein comes within 5 cells of the faces, 6 are "
              "needed (raise Physics.A or pot_n)\n");
    s.eps[at(c, c, n - 6)] = 80.0;
    s.eps[at(c, c, n - 7)] = 2.0;
    EXPECT_NO_THROW(run(s));
}

}  // namespace
