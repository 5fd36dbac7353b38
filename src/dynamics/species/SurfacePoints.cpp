// The surface points and surface cells of a species, its first outer and
// inner radii, and the cap on its potential gradient outside the protein.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include "dynamics/PDcalc.h"
#include "dynamics/ProcessGlobals.h"
#include "dynamics/species/BodyFrame.h"
#include "dynamics/species/GridCell.h"
#include "dynamics/species/GridIndex.h"
#include "dynamics/species/GridMargin.h"
#include "utils/Format.h"
#include "utils/Log.h"
#include "utils/fopen_s.h"

namespace {

constexpr double solvent_level = 79.0;                // eps above: solvent
constexpr double surface_level = 60.0;                // the level the surface lies at
constexpr double half_diagonal = 0.8660254037844386;  // of a cell, in cells

// The non-solvent cells' bounding box (always holding the centre cell) and
// the radii of the broad collision test.
struct Extent {
    int lo[3], hi[3];
    double r_outer, r_inner;
};

Extent extent_of(const PROT_CLASS& s, double h) {
    const int n = s.pot_n, c = n / 2;
    Extent e{{c, c, c}, {c, c, c}, 0.0, 0.0};
    double farthest = 0.0, nearest_solvent = 2147483647.0;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            for (int k = 0; k < n; ++k) {
                const double di = i - c, dj = j - c, dk = k - c;
                const double d = std::sqrt(di * di + dj * dj + dk * dk);
                if (s.eps[static_cast<std::size_t>(lin(n, i, j, k))] > solvent_level) {
                    nearest_solvent = std::min(nearest_solvent, d);
                    continue;
                }
                const int index[3] = {i, j, k};
                for (int a = 0; a < 3; ++a) {
                    e.lo[a] = std::min(e.lo[a], index[a]);
                    e.hi[a] = std::max(e.hi[a], index[a]);
                }
                farthest = std::max(farthest, d);
            }
    e.r_outer = (farthest + half_diagonal) * h;
    e.r_inner = std::max(0.0, (nearest_solvent - half_diagonal) * h);
    return e;
}

// Whether cell (i, j, k) lies on the surface: on its solvent side when
// `outer`, else on its protein side.
bool on_surface(const std::vector<double>& eps, int n, int i, int j, int k, bool outer) {
    const double own = eps[static_cast<std::size_t>(lin(n, i, j, k))];
    if (outer ? !(own > surface_level) : !(own < surface_level)) return false;
    for (int a = -1; a <= 1; ++a)
        for (int b = -1; b <= 1; ++b)
            for (int c = -1; c <= 1; ++c) {
                if (a == 0 && b == 0 && c == 0) continue;
                const double other = eps[static_cast<std::size_t>(lin(n, i + a, j + b, k + c))];
                if (outer ? other < surface_level : other > surface_level) return true;
            }
    return false;
}

// Twice the number of face neighbours of permittivity above 3.
int open_faces(const std::vector<double>& eps, int n, int i, int j, int k) {
    const int neighbours[6][3] = {{i - 1, j, k}, {i + 1, j, k}, {i, j - 1, k},
                                  {i, j + 1, k}, {i, j, k - 1}, {i, j, k + 1}};
    int count = 0;
    for (const auto& q : neighbours)
        if (eps[static_cast<std::size_t>(lin(n, q[0], q[1], q[2]))] > 3.0) count += 2;
    return count;
}

}  // namespace

void PDcalc::surf_points(PROT_CLASS& s) {
    LOG_MESSAGE("calculating protein surface");
    grid_margin::check(s, h);
    const int n = s.pot_n, c = n / 2;
    if (s.field.size() != static_cast<std::size_t>(n) * n * n)
        throw std::logic_error("the surface step needs the species' potential gradient");

    FilePtr file;
    if (processorID == 0) {
        if (const auto name = make_prot_filename(s, "surf_points", "%s.surf_points", std::nullopt)) {
            file = fopen_share(*name, "w+", no_overwrite, true);
            if (file) LOG_MESSAGE("writing %s ...", name->c_str());
        }
    }

    const Extent e = extent_of(s, h);
    s.r_outer = e.r_outer;
    s.r_inner = e.r_inner;
    const int first[3] = {e.lo[0] - 5, e.lo[1] - 5, e.lo[2] - 5};
    s.cells_nx = e.hi[0] - e.lo[0] + 11;
    s.cells_ny = e.hi[1] - e.lo[1] + 11;
    s.cells_nz = e.hi[2] - e.lo[2] + 11;
    s.cells_ox = first[0] - c;
    s.cells_oy = first[1] - c;
    s.cells_oz = first[2] - c;
    s.cells.assign(static_cast<std::size_t>(s.cells_nx) * s.cells_ny * s.cells_nz, 0);

    int volume = 0, added = 0, limited = 0;
    double max_gradient = 0.0;
    std::vector<int> xs, ys, zs;
    for (int x = 0; x < s.cells_nx; ++x)
        for (int y = 0; y < s.cells_ny; ++y)
            for (int z = 0; z < s.cells_nz; ++z) {
                const int i = first[0] + x, j = first[1] + y, k = first[2] + z;
                const auto cell = static_cast<std::size_t>(lin(n, i, j, k));
                std::int32_t& flag = s.cells[cells_index(s, x, y, z)];
                if (s.eps[cell] > solvent_level) {
                    POINT3D& f = s.field[cell];
                    const double g = std::sqrt(f.x * f.x + f.y * f.y + f.z * f.z);
                    max_gradient = std::max(max_gradient, g);
                    if (g > s.max_grad) {
                        flag = 1;
                        ++added;
                        ++volume;
                    } else {
                        flag = 0;
                        if (g > s.limit_grad) {
                            f *= s.limit_grad / g;
                            ++limited;
                        }
                    }
                } else {
                    flag = 1;
                    ++volume;
                }
                if (on_surface(s.eps, n, i, j, k, surface_outer)) {
                    xs.push_back(i);
                    ys.push_back(j);
                    zs.push_back(k);
                }
            }

    s.surf_points.clear();
    for (std::size_t p = 0; p < xs.size(); ++p)
        s.surf_points.push_back(POINT3D{cell_centre(xs[p], n, h), cell_centre(ys[p], n, h), cell_centre(zs[p], n, h)});
    s.surf_points_n = static_cast<std::int32_t>(s.surf_points.size());
    if (file) {
        for (const POINT3D& p : s.surf_points) {
            const POINT3D q = structure_position(s, p);
            std::fputs(format("%f\t%f\t%f\n", q.x, q.y, q.z).c_str(), file.get());
        }
    }
    if (surf_cells_save) {
        int count = 0;
        for (std::size_t p = 0; p < xs.size(); ++p) count += open_faces(s.eps, n, xs[p], ys[p], zs[p]);
        surf_cells_save(s, *this, count, xs, ys, zs);
    }

    LOG_MESSAGE("total protein volume: %d cells", volume);
    LOG_MESSAGE("protein surface: %d cells", s.surf_points_n);
    LOG_MESSAGE("max electrostatic gradient outside protein %e V/m", max_gradient);
    if (added > 0)
        LOG_MESSAGE("added to volume %d cells (%d%%, max %e V/m)", added,
                    static_cast<int>(static_cast<long long>(added) * 100 / volume), s.max_grad);
    if (limited > 0) LOG_MESSAGE("gradient limited to %e V/m in %d cells", s.limit_grad, limited);
}
