// The relaxation of the potential grid: what it computes, and that how the
// work is shared out never changes a bit of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <vector>

#include "dynamics/species/GridIndex.h"
#include "dynamics/species/Relaxation.h"

namespace {

struct Grids {
    int n;
    std::vector<double> eps;
    std::vector<double> source;
};

// A grid with all three permittivities in irregular patches (so that uniform
// and mixed cells alternate along every row), and sources of both signs,
// two of them in one cell.
Grids patchy(int n) {
    Grids g{n, std::vector<double>(static_cast<std::size_t>(n) * n * n, 80.0),
            std::vector<double>(static_cast<std::size_t>(n) * n * n, 0.0)};
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            for (int k = 0; k < n; ++k) {
                const int r = (i * 7 + j * 13 + k * 5 + (i * j * k) % 11) % 17;
                double& e = g.eps[static_cast<std::size_t>(lin(n, i, j, k))];
                if (i > n / 4 && i < 3 * n / 4 && j > n / 4 && j < 3 * n / 4) e = r < 12 ? 2.0 : 40.0;
                else if (r == 3) e = 40.0;
            }
    const int c = n / 2;
    g.source[static_cast<std::size_t>(lin(n, c, c, c))] = 12.5;
    g.source[static_cast<std::size_t>(lin(n, c - 1, c + 1, c))] = -6.25;
    g.source[static_cast<std::size_t>(lin(n, 1, n - 2, 2 % n))] += 3.0;
    return g;
}

// Salt water with a slab of planes at permittivity 2 and a bar of 40 across a
// few rows: rows uniform from end to end, of two factors, in runs of several
// lengths between rows of mixed cells, and mixed rows whose uniform stretches
// start and end anywhere along the row. One source in the slab, one outside.
Grids slabs(int n) {
    Grids g{n, std::vector<double>(static_cast<std::size_t>(n) * n * n, 80.0),
            std::vector<double>(static_cast<std::size_t>(n) * n * n, 0.0)};
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            for (int k = 0; k < n; ++k) {
                double& e = g.eps[static_cast<std::size_t>(lin(n, i, j, k))];
                if (i >= n / 3 && i < n / 2) e = 2.0;
                else if (j >= n / 2 && j < n / 2 + 3 && k > n / 5 && k < n - 3) e = 40.0;
            }
    auto inside = [n](int c) { return std::clamp(c, 1, n - 2); };
    g.source[static_cast<std::size_t>(lin(n, inside(n / 3), inside(n / 4), inside(n / 2)))] = 9.5;
    g.source[static_cast<std::size_t>(lin(n, inside(2 * n / 3), inside(n / 3), inside(n / 4 + 1)))] = -4.0;
    return g;
}

struct GridMaker {
    const char* name;
    Grids (*make)(int n);
};
const GridMaker grid_makers[] = {{"patchy", patchy}, {"slabs", slabs}};

// The formula written out cell by cell, with two buffers.
std::vector<double> plain_sweeps(const Grids& g, int sweeps, double screening) {
    const int n = g.n;
    std::vector<double> a(g.eps.size(), 0.0), b(g.eps.size(), 0.0);
    auto at = [n](const std::vector<double>& v, int i, int j, int k) {
        return v[static_cast<std::size_t>(lin(n, i, j, k))];
    };
    for (int s = 0; s < sweeps; ++s) {
        const std::vector<double>& in = s % 2 == 0 ? b : a;
        std::vector<double>& out = s % 2 == 0 ? a : b;
        for (int i = 1; i < n - 1; ++i)
            for (int j = 1; j < n - 1; ++j)
                for (int k = 1; k < n - 1; ++k) {
                    const double e = at(g.eps, i, j, k);
                    const int nb[6][3] = {{i - 1, j, k}, {i + 1, j, k}, {i, j - 1, k},
                                          {i, j + 1, k}, {i, j, k - 1}, {i, j, k + 1}};
                    double num = 2.0 * at(g.source, i, j, k);
                    double den = 6.0 * e + (e == 2.0 ? 0.0 : screening);
                    for (const auto& q : nb) {
                        const double e_q = at(g.eps, q[0], q[1], q[2]);
                        num += (e + e_q) * at(in, q[0], q[1], q[2]);
                        den += e_q;
                    }
                    out[static_cast<std::size_t>(lin(n, i, j, k))] = num / den;
                }
    }
    return sweeps % 2 == 1 ? a : b;
}

TEST(Relaxation, ComputesTheSweepsOfTheFormula) {
    struct Case {
        int n;
        int sweeps;
        double screening;
    };
    const Case cases[] = {{3, 1, 6.9}, {5, 2, 6.9}, {9, 7, 6.9}, {12, 30, 0.0}, {17, 41, 1.7}, {27, 12, 6.9}};
    for (const GridMaker& maker : grid_makers) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << maker.name << ", n " << c.n << ", sweeps " << c.sweeps);
            const Grids g = maker.make(c.n);
            const std::vector<double> expected = plain_sweeps(g, c.sweeps, c.screening);
            const Relaxation::Result result = Relaxation(g.eps, g.source, c.n, c.screening).run(c.sweeps, 1);
            ASSERT_EQ(result.grid.size(), expected.size());
            double largest = 0;
            for (double v : expected) largest = std::max(largest, std::fabs(v));
            ASSERT_GT(largest, 0.0);
            for (std::size_t p = 0; p < expected.size(); ++p)
                ASSERT_NEAR(result.grid[p], expected[p], 1e-13 * largest) << p;
        }
    }
}

TEST(Relaxation, SameBitsWhateverTheThreadsAndPipeline) {
    struct Case {
        unsigned threads;
        Relaxation::Pipeline pipeline;  // levels, tile rows, band rows, step planes, eight lanes
    };
    const Case cases[] = {{1, {1, 1000, 1000, 1, true}}, {1, {4, 3, 1, 2, true}},    {2, {1, 2, 2, 3, false}},
                          {3, {3, 2, 1, 1, true}},       {3, {8, 5, 2, 2, false}},   {4, {16, 7, 3, 4, true}},
                          {8, {8, 16, 4, 2, true}},      {8, {2, 2, 1000, 1, false}}, {5, {64, 3, 2, 5, true}},
                          {16, {5, 4, 4, 2, true}},      {2, {9, 1000, 7, 3, true}},  {1, {16, 16, 4, 2, true}}};
    // One sweep at a time over whole planes, one lane at a time.
    const Relaxation::Pipeline plain{1, 1000, 1000, 1, false};
    // Rows of 2, 8, 11, 20 and 25 interior cells: shorter than, as long as
    // and longer than the eight lanes of the vector loop.
    for (const GridMaker& maker : grid_makers) {
        for (const int sweeps : {1, 2, 5, 17}) {
            for (const int n : {4, 10, 13, 22, 27}) {
                const Grids g = maker.make(n);
                const Relaxation relaxation(g.eps, g.source, n, 6.9);
                const std::vector<double> one = relaxation.run(sweeps, 1, plain).grid;
                for (const Case& c : cases) {
                    const Relaxation::Pipeline& p = c.pipeline;
                    SCOPED_TRACE(testing::Message()
                                 << maker.name << ", n " << n << ", sweeps " << sweeps << ", threads " << c.threads
                                 << ", levels " << p.levels << ", tile rows " << p.tile_rows << ", band rows "
                                 << p.band_rows << ", step planes " << p.step_planes << ", eight lanes "
                                 << p.eight_lanes);
                    const Relaxation::Result r = relaxation.run(sweeps, c.threads, p);
                    ASSERT_EQ(r.grid.size(), one.size());
                    EXPECT_EQ(std::memcmp(r.grid.data(), one.data(), one.size() * sizeof(double)), 0);
                }
            }
        }
    }
}

TEST(Relaxation, GridsWithoutInteriorOrSweepsStayZero) {
    struct Case {
        int n;
        int sweeps;
    };
    for (const Case c : {Case{2, 10}, Case{1, 10}, Case{0, 10}, Case{6, 0}, Case{6, -3}}) {
        SCOPED_TRACE(testing::Message() << "n " << c.n << ", sweeps " << c.sweeps);
        const std::size_t cells = c.n > 0 ? static_cast<std::size_t>(c.n) * c.n * c.n : 0;
        const std::vector<double> eps(cells, 80.0), source(cells, 1.0);
        const Relaxation::Result r = Relaxation(eps, source, c.n, 6.9).run(c.sweeps, 4);
        EXPECT_EQ(r.grid, std::vector<double>(cells, 0.0));
        EXPECT_EQ(r.relative_change, 0.0);
    }
}

TEST(Relaxation, OuterLayerStaysZero) {
    const Grids g = patchy(9);
    const std::vector<double> grid = Relaxation(g.eps, g.source, 9, 6.9).run(20, 3).grid;
    for (int i = 0; i < 9; ++i)
        for (int j = 0; j < 9; ++j)
            for (int k = 0; k < 9; ++k) {
                if (i == 0 || j == 0 || k == 0 || i == 8 || j == 8 || k == 8) {
                    EXPECT_EQ(grid[static_cast<std::size_t>(lin(9, i, j, k))], 0.0) << i << " " << j << " " << k;
                }
            }
}

// The change of the last sweep, relative to the largest value: all of it
// after one sweep from zero, shrinking as the sweeps converge, none without
// sources.
TEST(Relaxation, RelativeChangeOfTheLastSweep) {
    const Grids g = patchy(12);
    const Relaxation relaxation(g.eps, g.source, 12, 6.9);
    EXPECT_EQ(relaxation.run(1, 1).relative_change, 1.0);
    const double early = relaxation.run(5, 1).relative_change;
    const double late = relaxation.run(200, 1).relative_change;
    EXPECT_GT(early, 1e-3);
    EXPECT_LT(late, 1e-6);
    // The definition, checked from two runs one sweep apart.
    const std::vector<double> before = relaxation.run(4, 1).grid;
    const std::vector<double> after = relaxation.run(5, 1).grid;
    double largest = 0, change = 0;
    for (std::size_t p = 0; p < after.size(); ++p) {
        largest = std::max(largest, std::fabs(after[p]));
        change = std::max(change, std::fabs(after[p] - before[p]));
    }
    EXPECT_EQ(early, change / largest);

    const std::vector<double> none(g.source.size(), 0.0);
    EXPECT_EQ(Relaxation(g.eps, none, 12, 6.9).run(7, 2).relative_change, 0.0);
}

}  // namespace
