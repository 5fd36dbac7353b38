// The smallest enclosing ball against a brute-force search over every basis
// of up to four points, on random and degenerate point sets.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "dynamics/species/Miniball.h"

namespace {

using P = std::array<double, 3>;

struct Ball {
    P center;
    double r2;  // squared radius; infinity when none
};

P sub(const P& a, const P& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
double dot(const P& a, const P& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// The ball with all of `basis` on its boundary and its centre in their affine
// hull; none when the points are affinely dependent.
bool circumball(const std::vector<P>& basis, Ball& out) {
    const P& p0 = basis[0];
    const std::size_t k = basis.size() - 1;
    std::vector<P> v;
    for (std::size_t i = 1; i <= k; ++i) v.push_back(sub(basis[i], p0));
    // Solve 2 G lambda = b with G the Gram matrix of v, by Gaussian elimination.
    double g[3][4] = {};
    for (std::size_t i = 0; i < k; ++i) {
        for (std::size_t j = 0; j < k; ++j) g[i][j] = 2 * dot(v[i], v[j]);
        g[i][k] = dot(v[i], v[i]);
    }
    double scale = 1;
    for (std::size_t i = 0; i < k; ++i) scale = std::max(scale, g[i][i]);
    for (std::size_t c = 0; c < k; ++c) {
        std::size_t piv = c;
        for (std::size_t r = c + 1; r < k; ++r)
            if (std::abs(g[r][c]) > std::abs(g[piv][c])) piv = r;
        if (std::abs(g[piv][c]) < 1e-12 * scale) return false;
        for (std::size_t j = 0; j <= k; ++j) std::swap(g[c][j], g[piv][j]);
        for (std::size_t r = 0; r < k; ++r) {
            if (r == c) continue;
            const double f = g[r][c] / g[c][c];
            for (std::size_t j = c; j <= k; ++j) g[r][j] -= f * g[c][j];
        }
    }
    P c = p0;
    for (std::size_t i = 0; i < k; ++i) {
        const double lambda = g[i][k] / g[i][i];
        for (int a = 0; a < 3; ++a) c[a] += lambda * v[i][a];
    }
    out = {c, dot(sub(c, p0), sub(c, p0))};
    return true;
}

Ball brute_force(const std::vector<P>& pts) {
    Ball best{{0, 0, 0}, std::numeric_limits<double>::infinity()};
    const std::size_t n = pts.size();
    std::vector<P> basis;
    auto consider = [&] {
        Ball b;
        if (!circumball(basis, b) || b.r2 >= best.r2) return;
        for (const P& p : pts) {
            const P d = sub(p, b.center);
            if (dot(d, d) > b.r2 * (1 + 1e-9) + 1e-18) return;
        }
        best = b;
    };
    for (std::size_t a = 0; a < n; ++a) {
        basis = {pts[a]};
        consider();
        for (std::size_t b = a + 1; b < n; ++b) {
            basis = {pts[a], pts[b]};
            consider();
            for (std::size_t c = b + 1; c < n; ++c) {
                basis = {pts[a], pts[b], pts[c]};
                consider();
                for (std::size_t e = c + 1; e < n; ++e) {
                    basis = {pts[a], pts[b], pts[c], pts[e]};
                    consider();
                }
            }
        }
    }
    return best;
}

Ball miniball(const std::vector<P>& pts) {
    Miniball<3> mb;
    for (const P& p : pts) mb.check_in(Point<3>(p[0], p[1], p[2]));
    mb.build();
    const Point<3> c = mb.center();
    return {{c[0], c[1], c[2]}, mb.squared_radius()};
}

void expect_same_ball(const std::vector<P>& pts, const std::string& what) {
    const Ball want = brute_force(pts);
    const Ball got = miniball(pts);
    const double r = std::sqrt(want.r2);
    const double tol = 1e-9 * std::max(1.0, r);
    EXPECT_NEAR(std::sqrt(got.r2), r, tol) << what;
    for (int a = 0; a < 3; ++a) EXPECT_NEAR(got.center[a], want.center[a], 1e-7 * std::max(1.0, r)) << what;
}

std::vector<P> random_points(std::mt19937_64& gen, int n, double scale) {
    std::uniform_real_distribution<double> u(-scale, scale);
    std::vector<P> pts(static_cast<std::size_t>(n));
    for (P& p : pts) p = {u(gen), u(gen), u(gen)};
    return pts;
}

TEST(Miniball, MatchesBruteForceOnRandomSets) {
    std::mt19937_64 gen(7);
    for (int trial = 0; trial < 300; ++trial) {
        const int n = 1 + trial % 14;
        // Lengths in metres as the engine uses them, and in ångström.
        const double scale = trial % 2 ? 1e-9 : 20.0;
        expect_same_ball(random_points(gen, n, scale), "trial " + std::to_string(trial));
    }
}

TEST(Miniball, MatchesBruteForceOnPointsOfOneSphere) {
    // Every point is a candidate support point: the hardest case for the
    // tolerance of the basis.
    std::mt19937_64 gen(11);
    std::normal_distribution<double> g;
    for (int trial = 0; trial < 50; ++trial) {
        std::vector<P> pts;
        for (int i = 0; i < 10; ++i) {
            P p{g(gen), g(gen), g(gen)};
            const double len = std::sqrt(dot(p, p));
            pts.push_back({3 + 5 * p[0] / len, -1 + 5 * p[1] / len, 2 + 5 * p[2] / len});
        }
        expect_same_ball(pts, "trial " + std::to_string(trial));
    }
}

TEST(Miniball, DegenerateSets) {
    struct Case {
        std::string name;
        std::vector<P> pts;
        P center;
        double r;
    };
    const double s3 = std::sqrt(3.0);
    std::vector<P> cube;
    for (int i = 0; i < 8; ++i) cube.push_back({double(i & 1), double((i >> 1) & 1), double((i >> 2) & 1)});
    std::vector<P> hexagon;
    for (int i = 0; i < 6; ++i) hexagon.push_back({2 * std::cos(i * M_PI / 3), 2 * std::sin(i * M_PI / 3), 4});
    const std::vector<Case> cases = {
        {"one point", {{1, 2, 3}}, {1, 2, 3}, 0},
        {"one point many times", {{1, 2, 3}, {1, 2, 3}, {1, 2, 3}, {1, 2, 3}, {1, 2, 3}}, {1, 2, 3}, 0},
        {"two points", {{0, 0, 0}, {2, 0, 0}}, {1, 0, 0}, 1},
        {"collinear", {{0, 0, 0}, {1, 1, 1}, {3, 3, 3}, {2, 2, 2}, {0.5, 0.5, 0.5}}, {1.5, 1.5, 1.5}, 1.5 * s3},
        {"duplicates on the boundary", {{0, 0, 0}, {2, 0, 0}, {2, 0, 0}, {0, 0, 0}, {1, 0.5, 0}}, {1, 0, 0}, 1},
        {"cube corners", cube, {0.5, 0.5, 0.5}, s3 / 2},
        {"regular hexagon", hexagon, {0, 0, 4}, 2},
        {"equilateral triangle", {{0, 0, 0}, {1, 0, 0}, {0.5, s3 / 2, 0}}, {0.5, s3 / 6, 0}, 1 / s3},
        {"obtuse triangle: the long side decides", {{0, 0, 0}, {4, 0, 0}, {2, 0.5, 0}}, {2, 0, 0}, 2},
    };
    for (const Case& c : cases) {
        const Ball got = miniball(c.pts);
        EXPECT_NEAR(std::sqrt(std::max(0.0, got.r2)), c.r, 1e-12) << c.name;
        for (int a = 0; a < 3; ++a) EXPECT_NEAR(got.center[a], c.center[a], 1e-12) << c.name;
        if (c.pts.size() <= 12) expect_same_ball(c.pts, c.name);
    }
}

TEST(Miniball, LargeSetIsEnclosedAndTouchedByItsSupport) {
    std::mt19937_64 gen(3);
    const std::vector<P> pts = random_points(gen, 5000, 1e-9);
    Miniball<3> mb;
    for (const P& p : pts) mb.check_in(Point<3>(p[0], p[1], p[2]));
    mb.build();
    const Point<3> c = mb.center();
    const double r2 = mb.squared_radius();
    double far2 = 0;
    for (const P& p : pts) far2 = std::max(far2, dot(sub(p, {c[0], c[1], c[2]}), sub(p, {c[0], c[1], c[2]})));
    EXPECT_NEAR(far2, r2, 1e-12 * r2);
    ASSERT_GE(mb.nr_support_points(), 2);
    ASSERT_LE(mb.nr_support_points(), 4);
    auto it = mb.points_begin();
    for (int i = 0; i < mb.nr_support_points(); ++i, ++it) {
        const P d{(*it)[0] - c[0], (*it)[1] - c[1], (*it)[2] - c[2]};
        EXPECT_NEAR(dot(d, d), r2, 1e-12 * r2);
    }
    EXPECT_EQ(mb.nr_points(), 5000);
}

TEST(Miniball, EmptySetHasNoBall) {
    Miniball<3> mb;
    mb.build();
    EXPECT_EQ(mb.nr_points(), 0);
    EXPECT_LT(mb.squared_radius(), 0);
}

}  // namespace
