// The power-cell test of buried spheres against brute force: a sphere it
// calls buried has no free probe position, and the corners of a sphere's
// free positions are the probes of its free faces, no more and no fewer.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "surface/reduced/BuriedSpheres.h"
#include "surface/reduced/ConvexCell.h"
#include "surface/reduced/RSContext.h"
#include "surface/support/RSChecker.h"
#include "surface/support/SphereSets.h"

namespace {

using velmesh::Vec3;

TEST(ConvexCell, APlaneCutsACornerOffTheCube) {
    velmesh::ConvexCell cell;
    cell.reset_cube(1);
    EXPECT_DOUBLE_EQ(cell.farthest_squared(), 3);
    // x + y + z <= 2 cuts off the corner (1, 1, 1): the farthest corners
    // left are those with two coordinates 1 and one -1, and the cut's.
    const double s = 1 / std::sqrt(3.0);
    ASSERT_TRUE(cell.cut({s, s, s}, 2 * s));
    EXPECT_NEAR(cell.farthest_squared(), 3, 1e-12);  // (1, 1, -1)
    int edges = 0, in_plane = 0;
    cell.for_each_edge([&](const Vec3& p, const Vec3& q) {
        ++edges;
        if (std::fabs(p.x + p.y + p.z - 2) < 1e-12 && std::fabs(q.x + q.y + q.z - 2) < 1e-12) ++in_plane;
    });
    EXPECT_EQ(edges, 12 + 3);  // the cube's, three of them cut short, and the triangle's
    EXPECT_EQ(in_plane, 3);
    // Cut down to the slab |x| <= 0.1 and then away entirely.
    ASSERT_TRUE(cell.cut({1, 0, 0}, 0.1));
    ASSERT_TRUE(cell.cut({-1, 0, 0}, 0.1));
    EXPECT_NEAR(cell.farthest_squared(), 0.01 + 2, 1e-12);
    ASSERT_TRUE(cell.cut({1, 0, 0}, -0.2));
    EXPECT_TRUE(cell.empty());
}

double distance(const Vec3& a, const std::array<double, 3>& b) {
    return std::sqrt((a.x - b[0]) * (a.x - b[0]) + (a.y - b[1]) * (a.y - b[1]) + (a.z - b[2]) * (a.z - b[2]));
}

TEST(BuriedSpheres, AgreeWithEveryFreeProbeFoundByBruteForce) {
    for (const double probe : {1.0, 1.5, 3.0})
        for (const unsigned seed : {3u, 4u}) {
            SCOPED_TRACE("probe " + std::to_string(probe) + " seed " + std::to_string(seed));
            velmesh::RunState run = surface_testing::run_of(surface_testing::random_cluster(150, seed), probe);
            velmesh::RSContext context(run);
            velmesh::BuriedSpheres cells(context);
            const auto free = surface_testing::all_free_probes(run);
            int buried = 0;
            std::vector<Vec3> corners;
            for (int s = 0; s < run.atom_count(); ++s) {
                std::vector<std::array<double, 3>> touching;
                for (const auto& f : free)
                    if (f.spheres[0] == s || f.spheres[1] == s || f.spheres[2] == s) touching.push_back(f.probe);
                if (cells.buried(s)) {
                    ++buried;
                    EXPECT_TRUE(touching.empty()) << "sphere " << s;
                }
                ASSERT_TRUE(cells.free_corners(s, corners));
                for (const auto& probe_at : touching) {
                    bool found = false;
                    for (const Vec3& c : corners) found = found || distance(c, probe_at) < 0.01;
                    EXPECT_TRUE(found) << "sphere " << s;
                }
                for (const Vec3& c : corners) {
                    bool found = false;
                    for (const auto& probe_at : touching) found = found || distance(c, probe_at) < 0.01;
                    EXPECT_TRUE(found) << "sphere " << s;
                }
            }
            EXPECT_GT(buried, 0);
        }
}

}  // namespace
