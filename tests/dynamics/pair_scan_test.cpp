// The step's pair pass: the squared distances from one instance to all
// others, bit for bit those of getDistance2, for every kind of box.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "dynamics/run/PairScan.h"
#include "utils/geometry/PeriodicDistance.h"

namespace {

COMPARTMENT box(std::int32_t type, POINT3D half) {
    COMPARTMENT c{};
    c.type = type;
    c.halfsize = half;
    c.size = half * 2.0;
    c.lower = POINT3D{0, 0, 0} - half;
    c.upper = half;
    return c;
}

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(PairScan, DistancesAreThoseOfThePeriodicFold) {
    const POINT3D half{5e-9, 3e-9, 4e-9};
    const COMPARTMENT periodic = box(0, half);
    const COMPARTMENT walled = box(1, half);
    const COMPARTMENT flat = box(0, {5e-9, 0.0, 4e-9});  // no period along y
    // Centres inside the box, on its faces, half a box and a box and more
    // outside it (before their first wrap).
    std::vector<PROT> scene;
    std::mt19937 random(3);
    std::uniform_real_distribution<double> spread(-1.6, 1.6);
    for (int k = 0; k < 200; ++k) {
        PROT p{};
        p.x = spread(random) * half.x;
        p.y = spread(random) * half.y;
        p.z = spread(random) * half.z;
        scene.push_back(p);
    }
    for (const POINT3D& edge : {half, POINT3D{0, 0, 0} - half, POINT3D{half.x, -half.y, 0.0},
                                POINT3D{3 * half.x, 0.0, -5 * half.z}}) {
        PROT p{};
        p.x = edge.x;
        p.y = edge.y;
        p.z = edge.z;
        scene.push_back(p);
    }
    const auto n = static_cast<std::int32_t>(scene.size());
    PairScan scan;
    scan.reserve(scene.size(), 1);
    scan.load(scene.data(), n);
    for (const COMPARTMENT* c : {&periodic, &walled, &flat, static_cast<const COMPARTMENT*>(nullptr)}) {
        for (const PROT& p : scene) {
            scan.distances(p, n, c);
            for (std::int32_t j = 0; j < n; ++j) {
                const double expected = getDistance2(p, scene[static_cast<std::size_t>(j)], c);
                const double d2 = scan.d2[static_cast<std::size_t>(j)];
                // A NaN marks a centre that the full fold must take.
                const double got = std::isnan(d2) ? scan.exact(p, j, c) : d2;
                ASSERT_TRUE(same_bits(got, expected)) << got << " " << expected;
            }
        }
    }
}

// The pick of near instances: every index whose distance is at most the
// limit, or unknown (NaN), in ascending order, whatever the count's
// remainder by the block the pass tests at once.
TEST(PairScan, SelectNearPicksEveryIndexWithinTheLimit) {
    const double nan = std::nan("");
    struct Case {
        std::string name;
        std::vector<double> d2;
        double limit2;
        std::vector<std::int32_t> picked;
    };
    std::vector<double> many(37, 9.0);
    many[0] = 1.0;
    many[8] = nan;
    many[15] = 4.0;  // equal to the limit
    many[16] = 4.000000001;
    many[36] = 0.0;
    const std::vector<Case> cases = {
        {"none", {}, 4.0, {}},
        {"fewer than a block", {5.0, 3.0, nan}, 4.0, {1, 2}},
        {"across blocks and the remainder", many, 4.0, {0, 8, 15, 36}},
        {"nothing within a zero limit", {1e-30, 2.0}, 0.0, {}},
        {"every index", std::vector<double>(19, 1.0), 1.0,
         {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PairScan scan;
        scan.reserve(c.d2.size(), 1);
        std::copy(c.d2.begin(), c.d2.end(), scan.d2.begin());
        const std::size_t m = scan.select_near(static_cast<std::int32_t>(c.d2.size()), c.limit2);
        EXPECT_EQ(std::vector<std::int32_t>(scan.near.begin(), scan.near.begin() + static_cast<std::ptrdiff_t>(m)),
                  c.picked);
    }
}

}  // namespace
