// The relaxation of the potential grid: what it computes, and that how the
// work is shared out never changes a bit of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <stdexcept>
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
                          {16, {5, 4, 4, 2, true}},      {2, {9, 1000, 7, 3, true}},  {1, {16, 16, 4, 2, true}},
                          {3, {}},                       {7, {}}};
    // One sweep at a time over whole planes, one lane at a time.
    const Relaxation::Pipeline plain{1, 1000, 1000, 1, false};
    // Rows of 2, 8, 11, 20 and 25 interior cells: shorter than, as long as
    // and longer than the eight lanes of the vector loop.
    for (const GridMaker& maker : grid_makers) {
        // 40 and 120 sweeps one or two at a time: the rows are shared out
        // anew among the threads' tiles many times, while the tiles of
        // several groups are under way.
        for (const int sweeps : {1, 2, 5, 17, 40, 120}) {
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
        const std::vector<std::uint8_t> every(cells, 1);
        const Relaxation::Result r = Relaxation(eps, source, c.n, 6.9).run(c.sweeps, 4, {}, every);
        EXPECT_EQ(r.grid, std::vector<double>(cells, 0.0));
        EXPECT_EQ(r.convergence.change, 0.0);
        EXPECT_EQ(r.convergence.error, 0.0);
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

// A solver keeps its working grids from one run to the next: whatever ran
// before (more sweeps, an odd or even count, other threads, the estimate),
// a run gives the bits of a fresh solver's; into a grid of the caller's,
// times a scale, it gives the same values scaled.
TEST(Relaxation, RunsOfOneSolverAreAlike) {
    const Grids g = slabs(13);
    const std::vector<std::uint8_t> every(g.eps.size(), 1);
    const Relaxation used(g.eps, g.source, 13, 6.9);
    used.run(40, 3, {}, every);
    used.run(6, 1);
    for (const int sweeps : {7, 4, 1}) {
        SCOPED_TRACE(sweeps);
        const std::vector<double> fresh = Relaxation(g.eps, g.source, 13, 6.9).run(sweeps, 2).grid;
        const std::vector<double> again = used.run(sweeps, 4, {}, every).grid;
        EXPECT_EQ(std::memcmp(again.data(), fresh.data(), fresh.size() * sizeof(double)), 0);
        std::vector<double> volts(fresh.size(), -1.0);
        used.run_into(volts, sweeps, 2, {}, {}, 14.39);
        for (std::size_t p = 0; p < fresh.size(); ++p) ASSERT_EQ(volts[p], 14.39 * fresh[p]) << p;
    }
    std::vector<double> short_grid(g.eps.size() - 1);
    EXPECT_THROW(used.run_into(short_grid, 3, 1), std::invalid_argument);
}

// Every other cell along k, so that a cell's watched neighbours are not
// watched: the estimate must take exactly the marked cells.
std::vector<std::uint8_t> every_other_cell(int n) {
    std::vector<std::uint8_t> watched(static_cast<std::size_t>(n) * n * n, 0);
    for (std::size_t p = 0; p < watched.size(); p += 2) watched[p] = 1;
    return watched;
}

// The convergence from its definition: the changes across the two sweeps
// around the last one and around the one after, from runs of m − 1 to m + 2
// sweeps, summed over the watched cells.
TEST(Relaxation, ConvergenceOfTheLastSweeps) {
    const Grids g = patchy(12);
    const Relaxation relaxation(g.eps, g.source, 12, 6.9);
    const std::vector<std::uint8_t> watched = every_other_cell(12);
    for (const int m : {1, 2, 7, 40}) {
        SCOPED_TRACE(m);
        std::vector<std::vector<double>> grid;  // after m − 1, m, m + 1 and m + 2 sweeps
        for (int s = m - 1; s <= m + 2; ++s) grid.push_back(relaxation.run(s, 1).grid);
        double scale = 0, before = 0, after = 0;
        for (std::size_t p = 0; p < watched.size(); ++p) {
            if (watched[p] == 0) continue;
            scale += grid[1][p] * grid[1][p];
            before += (grid[2][p] - grid[0][p]) * (grid[2][p] - grid[0][p]);
            after += (grid[3][p] - grid[1][p]) * (grid[3][p] - grid[1][p]);
        }
        for (const unsigned threads : {1u, 3u}) {
            const Relaxation::Result r = relaxation.run(m, threads, {}, watched);
            EXPECT_EQ(std::memcmp(r.grid.data(), grid[1].data(), grid[1].size() * sizeof(double)), 0);
            const Relaxation::Convergence& c = r.convergence;
            EXPECT_DOUBLE_EQ(c.change, std::sqrt(before / scale));
            EXPECT_DOUBLE_EQ(c.contraction, std::sqrt(after / before));
            if (c.contraction < 1.0)
                EXPECT_DOUBLE_EQ(c.error, c.contraction * c.change / (1.0 - c.contraction * c.contraction));
            else
                EXPECT_EQ(c.error, std::numeric_limits<double>::infinity());
        }
    }
}

// The estimate is the error the sweeps leave, as a much longer run shows it:
// close once the slowest parts of the error dominate, and never far off
// before.
TEST(Relaxation, EstimatedErrorIsTheErrorLeft) {
    const int n = 22;
    const Grids g = slabs(n);
    const Relaxation relaxation(g.eps, g.source, n, 0.3);
    const std::vector<double> settled = relaxation.run(20000, 4).grid;
    const std::vector<std::uint8_t> every(settled.size(), 1);
    for (const int m : {20, 60, 150, 400}) {
        SCOPED_TRACE(m);
        const Relaxation::Result r = relaxation.run(m, 4, {}, every);
        double error = 0, scale = 0;
        for (std::size_t p = 0; p < settled.size(); ++p) {
            error += (r.grid[p] - settled[p]) * (r.grid[p] - settled[p]);
            scale += r.grid[p] * r.grid[p];
        }
        const double actual = std::sqrt(error / scale);
        EXPECT_GT(actual, 1e-9);
        EXPECT_GT(r.convergence.error, actual / 2);
        EXPECT_LT(r.convergence.error, actual * 2);
        if (m >= 150) {
            EXPECT_NEAR(r.convergence.error, actual, 0.1 * actual);
        }
    }
}

// Without sources nothing changes; watched cells that the potential has not
// yet reached, or reaches only in the sweeps after the last, leave the error
// unbounded.
TEST(Relaxation, ConvergenceWithoutChangeOrWithoutPotential) {
    const Grids g = patchy(12);
    const std::vector<std::uint8_t> every(g.eps.size(), 1);
    const std::vector<double> none(g.source.size(), 0.0);
    const Relaxation::Convergence quiet = Relaxation(g.eps, none, 12, 6.9).run(7, 2, {}, every).convergence;
    EXPECT_EQ(quiet.change, 0.0);
    EXPECT_EQ(quiet.contraction, 0.0);
    EXPECT_EQ(quiet.error, 0.0);

    // One source in a corner, and the watched cell across the grid: one sweep
    // reaches one cell farther.
    const int n = 12;
    std::vector<double> corner(g.source.size(), 0.0);
    corner[static_cast<std::size_t>(lin(n, 1, 1, 1))] = 5.0;
    std::vector<std::uint8_t> far(g.eps.size(), 0);
    far[static_cast<std::size_t>(lin(n, 10, 10, 10))] = 1;
    const Relaxation relaxation(g.eps, corner, n, 6.9);
    const Relaxation::Convergence unreached = relaxation.run(3, 1, {}, far).convergence;
    EXPECT_EQ(unreached.change, 0.0);
    EXPECT_EQ(unreached.error, std::numeric_limits<double>::infinity());
    // Sweep 28 reaches it, 27 cells from the source: the change is there, the
    // potential not yet.
    const Relaxation::Convergence arriving = relaxation.run(26, 1, {}, far).convergence;
    EXPECT_EQ(arriving.change, std::numeric_limits<double>::infinity());
    EXPECT_EQ(arriving.error, std::numeric_limits<double>::infinity());
}

}  // namespace
