// The cells that file the scene's instances: a search finds every instance
// within range of a point (the minimum image in a periodic box), each once,
// also after instances have moved between cells, out of the box and back;
// the cells are laid only where they narrow a search.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "dynamics/run/NeighbourCells.h"
#include "utils/geometry/PeriodicDistance.h"

namespace {

COMPARTMENT box(std::int32_t type, POINT3D lower, POINT3D upper) {
    COMPARTMENT c{};
    c.type = type;
    c.lower = lower;
    c.upper = upper;
    c.size = upper - lower;
    c.halfsize = c.size * 0.5;
    return c;
}

struct Centres {
    std::vector<double> x, y, z;
    POINT3D at(std::size_t j) const { return {x[j], y[j], z[j]}; }
};

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// What a search finds: how often each instance was visited; the centre
// handed over must be the filed one.
std::vector<int> visits(const NeighbourCells& cells, const POINT3D& p, const Centres& centres, bool& searched) {
    std::vector<int> seen(centres.x.size(), 0);
    searched = cells.search(p, [&](std::int32_t j, const POINT3D& q) {
        const auto k = static_cast<std::size_t>(j);
        ++seen[k];
        EXPECT_TRUE(same_bits(q.x, centres.x[k]) && same_bits(q.y, centres.y[k]) && same_bits(q.z, centres.z[k]));
    });
    return seen;
}

TEST(NeighbourCells, SearchFindsEveryInstanceWithinRange) {
    struct Case {
        std::string name;
        COMPARTMENT c;
        double reach;  // m
    };
    const double nm = 1e-9;
    const std::vector<Case> cases = {
        {"periodic cube", box(0, {-5 * nm, -5 * nm, -5 * nm}, {5 * nm, 5 * nm, 5 * nm}), 1 * nm},
        // One axis too short for more than the cells around a point.
        {"periodic slab", box(0, {-6 * nm, -6 * nm, -1 * nm}, {6 * nm, 6 * nm, 1 * nm}), 1.1 * nm},
        {"periodic box off the origin", box(0, {1 * nm, -2 * nm, 3 * nm}, {9 * nm, 7 * nm, 12 * nm}), 0.9 * nm},
        {"closed box", box(1, {-5 * nm, -4 * nm, -6 * nm}, {5 * nm, 4 * nm, 6 * nm}), 1 * nm},
        {"closed box off the origin, wider range", box(1, {0, 0, 0}, {8 * nm, 8 * nm, 8 * nm}), 1.5 * nm},
        // Too few instances for cells as narrow as the range: wider ones.
        {"periodic cube, cells wider than the range", box(0, {-5 * nm, -5 * nm, -5 * nm}, {5 * nm, 5 * nm, 5 * nm}),
         0.5 * nm},
        {"closed box, cells wider than the range", box(1, {-5 * nm, -5 * nm, -5 * nm}, {5 * nm, 5 * nm, 5 * nm}),
         0.5 * nm},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::mt19937_64 random(17);
        const POINT3D lo = c.c.lower;
        const POINT3D size = c.c.size;
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        // Centres inside the box, on its faces, and some outside it.
        Centres centres;
        const auto add = [&](POINT3D p) {
            centres.x.push_back(p.x);
            centres.y.push_back(p.y);
            centres.z.push_back(p.z);
        };
        for (int k = 0; k < 300; ++k) add({lo.x + unit(random) * size.x, lo.y + unit(random) * size.y,
                                           lo.z + unit(random) * size.z});
        add(c.c.lower);
        add(c.c.upper);
        add({c.c.upper.x, c.c.lower.y, c.c.upper.z});
        add({lo.x - 0.3 * size.x, lo.y + 0.5 * size.y, lo.z});
        add({lo.x + 2.5 * size.x, lo.y, lo.z});
        add({std::nan(""), 0.0, 0.0});
        const auto n = static_cast<std::int32_t>(centres.x.size());
        NeighbourCells cells;
        cells.reserve(centres.x.size());
        cells.build(&c.c, c.reach * c.reach, centres.x.data(), centres.y.data(), centres.z.data(), n);
        ASSERT_TRUE(cells.usable());

        // Search points anywhere in and around the box; then an instance
        // moves to a new place (some out of the box, some back in) and is
        // filed there.
        std::uniform_real_distribution<double> around(-0.4, 1.4);
        int found_near = 0;
        for (int trial = 0; trial < 400; ++trial) {
            const POINT3D p{lo.x + around(random) * size.x, lo.y + around(random) * size.y,
                            lo.z + around(random) * size.z};
            bool searched = false;
            const std::vector<int> seen = visits(cells, p, centres, searched);
            ASSERT_TRUE(searched);
            for (std::size_t j = 0; j < centres.x.size(); ++j) {
                ASSERT_LE(seen[j], 1) << "instance " << j;
                const double d2 = getDistance2(p, centres.at(j), &c.c);
                if (!(d2 > c.reach * c.reach)) {
                    ASSERT_EQ(seen[j], 1) << "instance " << j << " at " << std::sqrt(d2) << " m";
                    ++found_near;
                }
            }
            const auto moved = static_cast<std::size_t>(trial % n);
            const POINT3D to = trial % 7 == 0 ? POINT3D{lo.x + around(random) * size.x, lo.y + around(random) * size.y,
                                                        lo.z + around(random) * size.z}
                                              : centres.at(moved) + POINT3D{unit(random) - 0.5, unit(random) - 0.5,
                                                                            unit(random) - 0.5} * c.reach;
            centres.x[moved] = to.x;
            centres.y[moved] = to.y;
            centres.z[moved] = to.z;
            cells.move(static_cast<std::int32_t>(moved), to.x, to.y, to.z);
        }
        EXPECT_GT(found_near, 40);
    }
}

// A point whose cells are unknown is left to the caller's plain scan; the
// same search finds instances across the faces of a periodic box.
TEST(NeighbourCells, SearchRefusesPointsWithoutCells) {
    const double nm = 1e-9;
    const COMPARTMENT periodic = box(0, {-5 * nm, -5 * nm, -5 * nm}, {5 * nm, 5 * nm, 5 * nm});
    const COMPARTMENT walled = box(1, {-5 * nm, -5 * nm, -5 * nm}, {5 * nm, 5 * nm, 5 * nm});
    Centres centres;
    for (int k = 0; k < 200; ++k) {
        centres.x.push_back(-4.9 * nm + 0.049 * nm * k);
        centres.y.push_back(0.0);
        centres.z.push_back(4.95 * nm);
    }
    struct Case {
        const COMPARTMENT* c;
        POINT3D p;
        bool searched;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<Case> cases = {
        {&periodic, {0.0, std::nan(""), 0.0}, false},
        {&periodic, {inf, 0.0, 0.0}, false},
        {&periodic, {0.0, 0.0, 15.1 * nm}, false},  // more than a period out
        {&periodic, {0.0, 0.0, -5.05 * nm}, true},  // across the face from the row
        {&walled, {0.0, 0.0, -inf}, false},
        {&walled, {0.0, 0.0, 40 * nm}, true},  // nothing near, but a search
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "type " << c.c->type << " at " << c.p.x << " " << c.p.y << " " << c.p.z);
        NeighbourCells cells;
        cells.reserve(centres.x.size());
        cells.build(c.c, nm * nm, centres.x.data(), centres.y.data(), centres.z.data(), 200);
        ASSERT_TRUE(cells.usable());
        bool searched = false;
        const std::vector<int> seen = visits(cells, c.p, centres, searched);
        EXPECT_EQ(searched, c.searched);
        if (c.searched && c.c == &periodic) {
            int hits = 0;
            for (int s : seen) hits += s;
            EXPECT_GE(hits, 40);  // the row's instances within 1 nm of x = 0
        }
    }
}

// Cells are laid only where a search through them looks at few instances.
TEST(NeighbourCells, LaidOnlyWhereTheyNarrowTheSearch) {
    const double nm = 1e-9;
    struct Case {
        std::string name;
        COMPARTMENT c;
        double reach;
        std::int32_t n;
        bool usable;
    };
    const COMPARTMENT cube = box(0, {-5 * nm, -5 * nm, -5 * nm}, {5 * nm, 5 * nm, 5 * nm});
    COMPARTMENT open = cube;
    open.type = 2;
    COMPARTMENT flat = cube;
    flat.size.z = 0.0;
    COMPARTMENT unbounded = cube;
    unbounded.size.x = std::numeric_limits<double>::infinity();
    const std::vector<Case> cases = {
        {"dense enough", cube, 1 * nm, 1000, true},
        {"few instances", cube, 1 * nm, 20, false},
        {"a range near the box's size", cube, 3 * nm, 1000, false},
        {"an unbounded compartment", open, 1 * nm, 1000, false},
        {"a box without a period along z", flat, 1 * nm, 1000, false},
        {"an infinite period", unbounded, 1 * nm, 1000, false},
        {"an infinite range", cube, std::numeric_limits<double>::infinity(), 1000, false},
        {"no range at all: as many cells as the storage allows", cube, 0.0, 1000, true},
    };
    const std::vector<double> zeros(1000, 0.0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NeighbourCells cells;
        cells.reserve(static_cast<std::size_t>(c.n));
        cells.build(&c.c, c.reach * c.reach, zeros.data(), zeros.data(), zeros.data(), c.n);
        EXPECT_EQ(cells.usable(), c.usable);
    }
    NeighbourCells cells;
    cells.reserve(1000);
    cells.build(nullptr, nm * nm, zeros.data(), zeros.data(), zeros.data(), 1000);
    EXPECT_FALSE(cells.usable());
}

}  // namespace
