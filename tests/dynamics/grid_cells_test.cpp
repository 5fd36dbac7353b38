// Cells of the species' grids that hold body positions.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "dynamics/species/FarCells.h"
#include "dynamics/species/GridCell.h"

namespace {

TEST(GridCells, CellOfAPosition) {
    const double h = 2e-10;
    struct Case {
        int n;
        POINT3D p;  // in cells
        std::optional<GridCell> cell;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<Case> cases = {
        {10, {0, 0, 0}, GridCell{5, 5, 5}},
        {10, {0.5, -0.5, 4.99}, GridCell{5, 4, 9}},
        {10, {-5, -4.5, 0}, GridCell{0, 0, 5}},
        // Just below the lower face is outside, although truncation towards
        // zero alone would put it in cell 0.
        {10, {-5.5, 0, 0}, std::nullopt},
        {10, {-6.01, 0, 0}, std::nullopt},
        {10, {5, 0, 0}, std::nullopt},
        {10, {0, 0, 1e30}, std::nullopt},
        {10, {0, nan, 0}, std::nullopt},
        // An odd grid: c = n / 2 = 4 cells below the origin, 5 above.
        {9, {-4, 4.9, 0}, GridCell{0, 8, 4}},
        {9, {0, 5, 0}, std::nullopt},
        {0, {0, 0, 0}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.n << ": " << c.p.x << " " << c.p.y << " " << c.p.z);
        EXPECT_EQ(grid_cell(c.p * h, c.n, h), c.cell);
    }
}

// The cells away from the atoms: a cell is near when its centre lies within
// the distance of an atom centre (the brute-force test over every cell and
// atom), whether the atom sits on a cell centre, between cells, at the
// grid's edge or off the grid.
TEST(GridCells, CellsFarFromAtoms) {
    const double h = 2e-10;
    struct Case {
        int n;
        std::vector<POINT3D> atoms;  // in cells from the body origin
        double distance;             // in cells
    };
    const std::vector<Case> cases = {
        {9, {}, 2.5},
        {9, {{0.5, 0.5, 0.5}}, 2.0},
        {10, {{0.3, -1.2, 2.0}}, 2.5},
        {10, {{0.0, 0.0, 0.0}, {1.0, 0.0, 0.0}}, 1.0},
        {8, {{-3.9, 3.9, 0.0}}, 3.0},
        {8, {{12.0, 0.0, 0.0}, {-4.2, 0.0, 0.0}}, 1.5},
        {6, {{0.0, 0.0, 0.0}}, 100.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "n " << c.n << ", " << c.atoms.size() << " atoms, distance " << c.distance);
        std::vector<ATOM> atoms(c.atoms.size(), ATOM{});
        for (std::size_t a = 0; a < atoms.size(); ++a) {
            atoms[a].x = c.atoms[a].x * h;
            atoms[a].y = c.atoms[a].y * h;
            atoms[a].z = c.atoms[a].z * h;
        }
        const double reach = c.distance * h;
        const std::vector<std::uint8_t> far = cells_far_from_atoms(atoms, c.n, h, reach);
        ASSERT_EQ(far.size(), static_cast<std::size_t>(c.n * c.n * c.n));
        for (int i = 0; i < c.n; ++i)
            for (int j = 0; j < c.n; ++j)
                for (int k = 0; k < c.n; ++k) {
                    bool near = false;
                    for (const ATOM& a : atoms) {
                        const double dx = cell_centre(i, c.n, h) - a.x, dy = cell_centre(j, c.n, h) - a.y,
                                     dz = cell_centre(k, c.n, h) - a.z;
                        near = near || dx * dx + dy * dy + dz * dz <= reach * reach;
                    }
                    EXPECT_EQ(far[static_cast<std::size_t>(lin(c.n, i, j, k))], near ? 0 : 1) << i << " " << j << " " << k;
                }
    }
}

}  // namespace
