#include "dynamics/species/SphereCandidates.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <optional>

#include "dynamics/species/GridCell.h"
#include "dynamics/species/GridIndex.h"

namespace covering_spheres {
namespace {

struct Offset {
    double d2;  // squared distance to the nearest point of the cell, plus r_plus, squared
    int di, dj, dk;
};

// Every offset whose squared distance D² is below n, nearest first. Cells
// farther away cannot lower a candidate's reach below −n, so they need not
// be looked at. D is computed exactly as for a single pair of cells, so the
// values match a scan over every solvent cell bit for bit.
std::vector<Offset> near_offsets(int n, double r_plus) {
    const double limit = static_cast<double>(n);
    std::vector<Offset> offsets;
    for (int a = 0; a < n; ++a)
        for (int b = 0; b < n; ++b)
            for (int c = 0; c < n; ++c) {
                const auto t = [](int d) { return d == 0 ? 0.0 : 2.0 * d - 1.0; };
                const double tx = t(a), ty = t(b), tz = t(c);
                const double d = std::sqrt(tx * tx + ty * ty + tz * tz) + r_plus;
                const double d2 = d * d;
                if (!(d2 < limit)) continue;
                for (int sa : {1, -1}) {
                    if (a == 0 && sa < 0) continue;
                    for (int sb : {1, -1}) {
                        if (b == 0 && sb < 0) continue;
                        for (int sc : {1, -1}) {
                            if (c == 0 && sc < 0) continue;
                            offsets.push_back(Offset{d2, sa * a, sb * b, sc * c});
                        }
                    }
                }
            }
    std::stable_sort(offsets.begin(), offsets.end(), [](const Offset& x, const Offset& y) { return x.d2 < y.d2; });
    return offsets;
}

}  // namespace

int candidate_r2(double reach) { return static_cast<int>(std::fabs(reach)); }

int candidate_window(int r2) { return static_cast<int>(std::ceil(std::sqrt((r2 + 0.01) * 0.5))); }

CandidateGrid candidate_grid(const std::vector<double>& eps, int n, double r_plus, const std::vector<ATOM>& atoms,
                             double h) {
    CandidateGrid grid;
    const std::size_t cells = static_cast<std::size_t>(n) * n * n;
    grid.reach.assign(cells, 0.0);
    const bool any_solvent = std::any_of(eps.begin(), eps.begin() + static_cast<std::ptrdiff_t>(cells),
                                         [](double e) { return e > solvent_level; });
    const std::vector<Offset> offsets = any_solvent ? near_offsets(n, r_plus) : std::vector<Offset>{};
    const double nd = static_cast<double>(n);

    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            for (int k = 0; k < n; ++k) {
                const auto p = static_cast<std::size_t>(lin(n, i, j, k));
                if (!(eps[p] < protein_level)) continue;
                ++grid.protein_cells;
                if (!any_solvent) {
                    grid.reach[p] = -nd;
                    continue;
                }
                // The nearest solvent cell within reach; none nearer than n.
                double d2 = std::numeric_limits<double>::infinity();
                for (const Offset& o : offsets) {
                    const int si = i + o.di, sj = j + o.dj, sk = k + o.dk;
                    if (si < 0 || si >= n || sj < 0 || sj >= n || sk < 0 || sk >= n) continue;
                    if (eps[static_cast<std::size_t>(lin(n, si, sj, sk))] > solvent_level) {
                        d2 = o.d2;
                        break;
                    }
                }
                grid.reach[p] = std::min(std::max(-nd, -d2), -3.0);
            }

    for (const ATOM& atom : atoms) {
        const std::optional<GridCell> cell = grid_cell(POINT3D{atom.x, atom.y, atom.z}, n, h);
        if (!cell) continue;
        double& reach = grid.reach[cell->index(n)];
        reach = std::fabs(reach);
    }
    return grid;
}

const BallOffsets::Lists& BallOffsets::operator()(int r2) {
    const auto index = static_cast<std::size_t>(r2 < 0 ? 0 : r2);
    if (index >= by_r2_.size()) by_r2_.resize(index + 1);
    std::unique_ptr<Lists>& lists = by_r2_[index];
    if (!lists) {
        lists = std::make_unique<Lists>();
        const int l = candidate_window(r2);
        for (int dx = -l + 1; dx < l; ++dx)
            for (int dy = -l + 1; dy < l; ++dy)
                for (int dz = -l + 1; dz < l; ++dz) {
                    if (touches(dx, dy, dz, r2)) lists->touched.push_back({dx, dy, dz});
                    if (wholly_within(dx, dy, dz, r2)) lists->held.push_back({dx, dy, dz});
                }
    }
    return *lists;
}

std::vector<double> atom_cell_weights(const CandidateGrid& candidates, int n) {
    const std::vector<double>& reach = candidates.reach;
    std::vector<double> weight(reach.size(), 0.0);
    BallOffsets offsets;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            for (int k = 0; k < n; ++k) {
                const double r = reach[static_cast<std::size_t>(lin(n, i, j, k))];
                if (r == 0.0) continue;
                for (const BallOffsets::Offset& o : offsets(candidate_r2(r)).held) {
                    const int ai = i + o[0], aj = j + o[1], ak = k + o[2];
                    if (ai < 0 || ai >= n || aj < 0 || aj >= n || ak < 0 || ak >= n) continue;
                    const auto a = static_cast<std::size_t>(lin(n, ai, aj, ak));
                    if (reach[a] > 0.0) weight[a] += 1.0;
                }
            }
    for (double& w : weight)
        if (w > 0.0) w = 1.0 / (w * w * w);
    return weight;
}

}  // namespace covering_spheres
