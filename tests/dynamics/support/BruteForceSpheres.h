#pragma once
// The covering-sphere generator written the plain way, cell against cell and
// sphere against sphere, as the reference the engine's faster stages must
// match bit for bit.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <vector>

#include "dynamics/species/ATOM.h"
#include "dynamics/species/GridIndex.h"
#include "dynamics/species/Miniball.h"
#include "utils/geometry/SPHERE.h"

namespace brute_force {

inline std::size_t at(int n, int i, int j, int k) { return static_cast<std::size_t>(lin(n, i, j, k)); }

// Every solvent cell for every protein cell; then the atom cells.
inline std::vector<double> candidates(const std::vector<double>& eps, int n, double r_plus,
                                      const std::vector<ATOM>& atoms, double h, int& protein_cells) {
    std::vector<double> a(eps.size(), 0.0);
    protein_cells = 0;
    for (int pi = 0; pi < n; ++pi)
        for (int pj = 0; pj < n; ++pj)
            for (int pk = 0; pk < n; ++pk) {
                if (!(eps[at(n, pi, pj, pk)] < 30.0)) continue;
                ++protein_cells;
                double value = -n;
                for (int si = 0; si < n; ++si)
                    for (int sj = 0; sj < n; ++sj)
                        for (int sk = 0; sk < n; ++sk) {
                            if (!(eps[at(n, si, sj, sk)] > 70.0)) continue;
                            const auto t = [](int p, int s) { return p == s ? 0.0 : 2.0 * std::abs(p - s) - 1.0; };
                            const double tx = t(pi, si), ty = t(pj, sj), tz = t(pk, sk);
                            const double d = std::sqrt(tx * tx + ty * ty + tz * tz) + r_plus;
                            value = std::min(std::max(value, -d * d), -3.0);
                        }
                a[at(n, pi, pj, pk)] = value;
            }
    for (const ATOM& atom : atoms) {
        const int i = static_cast<int>(atom.x / h + n / 2), j = static_cast<int>(atom.y / h + n / 2),
                  k = static_cast<int>(atom.z / h + n / 2);
        if (i < 0 || i >= n || j < 0 || j >= n || k < 0 || k >= n) continue;
        a[at(n, i, j, k)] = std::fabs(a[at(n, i, j, k)]);
    }
    return a;
}

inline int r2_of(double a) { return static_cast<int>(std::fabs(a)); }
inline int window_of(int r2) { return static_cast<int>(std::ceil(std::sqrt((r2 + 0.01) * 0.5))); }
inline int far2(int d) { return (2 * std::abs(d) + 1) * (2 * std::abs(d) + 1); }
inline int near2(int d) { return d == 0 ? 0 : (2 * std::abs(d) - 1) * (2 * std::abs(d) - 1); }

inline std::vector<double> weights(const std::vector<double>& a, int n) {
    std::vector<double> w(a.size(), 0.0);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            for (int k = 0; k < n; ++k) {
                if (a[at(n, i, j, k)] == 0.0) continue;
                const int r2 = r2_of(a[at(n, i, j, k)]), l = window_of(r2);
                for (int x = std::max(0, i - l + 1); x < std::min(n, i + l); ++x)
                    for (int y = std::max(0, j - l + 1); y < std::min(n, j + l); ++y)
                        for (int z = std::max(0, k - l + 1); z < std::min(n, k + l); ++z)
                            if (a[at(n, x, y, z)] > 0.0 && far2(x - i) + far2(y - j) + far2(z - k) <= r2)
                                w[at(n, x, y, z)] += 1.0;
            }
    for (double& v : w)
        if (v > 0.0) v = 1.0 / (v * v * v);
    return w;
}

// Every candidate's window scanned on every pass.
inline std::vector<SPHERE> select(const std::vector<double>& a, std::vector<double> w, const std::vector<double>& eps,
                                  int n, double h) {
    std::vector<SPHERE> spheres;
    for (;;) {
        double best_score = 0.0;
        int best_penalty = 0, bi = -1, bj = -1, bk = -1;
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j)
                for (int k = 0; k < n; ++k) {
                    if (a[at(n, i, j, k)] == 0.0) continue;
                    const int r2 = r2_of(a[at(n, i, j, k)]), l = window_of(r2);
                    double score = 0.0;
                    int penalty = 0;
                    for (int x = std::max(0, i - l + 1); x < std::min(n, i + l); ++x)
                        for (int y = std::max(0, j - l + 1); y < std::min(n, j + l); ++y)
                            for (int z = std::max(0, k - l + 1); z < std::min(n, k + l); ++z) {
                                if (near2(x - i) + near2(y - j) + near2(z - k) > r2) continue;
                                const double e = eps[at(n, x, y, z)];
                                if (e > 10.0)
                                    penalty -= e > 50.0 ? 2 : 1;
                                else if (far2(x - i) + far2(y - j) + far2(z - k) <= r2)
                                    score += w[at(n, x, y, z)];
                            }
                    if (score > best_score || (score == best_score && penalty > best_penalty)) {
                        best_score = score;
                        best_penalty = penalty;
                        bi = i, bj = j, bk = k;
                    }
                }
        if (bi < 0) break;
        const int r2 = r2_of(a[at(n, bi, bj, bk)]);
        spheres.push_back(SPHERE{{((bi - n / 2) + 0.5) * h, ((bj - n / 2) + 0.5) * h, ((bk - n / 2) + 0.5) * h},
                                 std::sqrt((r2 + 0.01) * 0.5) * h});
        for (int x = 0; x < n; ++x)
            for (int y = 0; y < n; ++y)
                for (int z = 0; z < n; ++z)
                    if (far2(x - bi) + far2(y - bj) + far2(z - bk) <= r2) w[at(n, x, y, z)] = 0.0;
    }
    return spheres;
}

// Redundant spheres removed and the rest fitted; returns the count removed.
inline int fit(std::vector<SPHERE>& spheres, const std::vector<ATOM>& atoms, double h) {
    const auto gap = [](const ATOM& a, const SPHERE& s) {
        return (std::sqrt((a.x - s.x) * (a.x - s.x) + (a.y - s.y) * (a.y - s.y) + (a.z - s.z) * (a.z - s.z)) - s.r) *
               1e10;
    };
    int removed = 0;
    for (std::size_t s = 0; s < spheres.size(); ++s) {
        std::vector<double> d(atoms.size(), std::numeric_limits<double>::infinity());
        for (std::size_t t = 0; t < spheres.size(); ++t) {
            if (t == s || spheres[t].r == 0.0) continue;
            for (std::size_t i = 0; i < atoms.size(); ++i)
                if (d[i] >= 0.1) d[i] = gap(atoms[i], spheres[t]);
        }
        if (std::all_of(d.begin(), d.end(), [](double v) { return v < 0.1; })) {
            spheres[s].r = 0.0;
            ++removed;
            continue;
        }
        Miniball<3> ball;
        for (const ATOM& atom : atoms)
            if (gap(atom, spheres[s]) < 0.1) ball.check_in(Point<3>(atom.x, atom.y, atom.z));
        if (ball.nr_points() == 0) throw "sphere generator: internal error";
        ball.build();
        spheres[s] =
            SPHERE{{ball.center()[0], ball.center()[1], ball.center()[2]}, std::sqrt(ball.squared_radius()) + h / 10.0};
    }
    return removed;
}

}  // namespace brute_force
