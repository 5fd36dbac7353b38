// Cells of the species' grids that hold body positions.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

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

}  // namespace
