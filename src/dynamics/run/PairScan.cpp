#include "dynamics/run/PairScan.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "utils/geometry/PeriodicDistance.h"

void PairScan::reserve(std::size_t instances, std::size_t species_n, std::size_t compartments_n) {
    if (x.size() < instances) {
        x.resize(instances);
        y.resize(instances);
        z.resize(instances);
        species.resize(instances);
        d2.resize(instances);
        near.resize(instances);
        drifting.resize(instances);
        found_x.resize(instances);
        found_y.resize(instances);
        found_z.resize(instances);
        found_d2.resize(instances);
        found_index.resize(instances);
    }
    if (reach2.size() < species_n) reach2.resize(species_n);
    if (cells.size() < compartments_n) {
        cells.resize(compartments_n);
        cells_over.resize(compartments_n, nullptr);
    }
    for (NeighbourCells& grid : cells) grid.reserve(instances);
}

void PairScan::load(const PROT* prots, std::int32_t n) {
    near_owner = -1;
    std::fill(cells_over.begin(), cells_over.end(), nullptr);
    for (std::int32_t j = 0; j < n; ++j) {
        update(j, prots[j]);
        species[static_cast<std::size_t>(j)] = prots[j].species;
    }
}

void PairScan::lay_cells(std::size_t k, const COMPARTMENT* c, double range2, std::int32_t n) {
    cells_over[k] = nullptr;
    if (!use_cells) return;
    cells[k].build(c, range2, x.data(), y.data(), z.data(), n);
    cells_over[k] = cells[k].usable() ? c : nullptr;
}

namespace {

// Whether the box has a period the fold can use along every axis.
bool usable_period(const COMPARTMENT& c) {
    const auto usable = [](double half, double size) { return half > 0 && size > 0 && size < 1e300 && half < 1e300; };
    return usable(c.halfsize.x, c.size.x) && usable(c.halfsize.y, c.size.y) && usable(c.halfsize.z, c.size.z);
}

// out[j] = getDistance2(p, centre j, c) for `count` centres, or NaN where a
// centre lies more than a period away (the full fold then gives it).
// Compiled for several instruction sets: the pass is the step's only work
// on every pair of instances (or on those of the cells around one). Each
// lane computes what the scalar code does, without contraction into fused
// multiply-adds, so every version gives the same bits.
#if defined(__x86_64__) && !defined(__clang__)
__attribute__((target_clones("avx512f", "avx2", "default")))
#endif
void fold_pass(const POINT3D& p, const double* xs, const double* ys, const double* zs, std::size_t count,
               const COMPARTMENT* c, double* out) {
    if (c == nullptr || c->type != 0) {
        const POINT3D centre = p;
        for (std::size_t j = 0; j < count; ++j) {
            const double dx = centre.x - xs[j];
            const double dy = centre.y - ys[j];
            const double dz = centre.z - zs[j];
            out[j] = dx * dx + dy * dy + dz * dz;
        }
        return;
    }
    if (!usable_period(*c)) {
        for (std::size_t j = 0; j < count; ++j) out[j] = getDistance2(p, POINT3D{xs[j], ys[j], zs[j]}, c);
        return;
    }
    // The near fold of geometry_detail::fold_delta, as selects: a period is
    // subtracted when the difference exceeds half of it, then added when it
    // lies below minus half. A difference still outside after that (a centre
    // more than a period away) is marked with a NaN for the full fold.
    // Locals, so that the stores to d2 cannot be taken to change them.
    const POINT3D centre = p;
    const POINT3D half = c->halfsize;
    const POINT3D size = c->size;
    const double unknown = std::numeric_limits<double>::quiet_NaN();
    for (std::size_t j = 0; j < count; ++j) {
        double dx = centre.x - xs[j];
        dx = dx - (dx > half.x ? size.x : 0.0);
        dx = dx + (-dx > half.x ? size.x : 0.0);
        double dy = centre.y - ys[j];
        dy = dy - (dy > half.y ? size.y : 0.0);
        dy = dy + (-dy > half.y ? size.y : 0.0);
        double dz = centre.z - zs[j];
        dz = dz - (dz > half.z ? size.z : 0.0);
        dz = dz + (-dz > half.z ? size.z : 0.0);
        const bool far = (dx > half.x) | (-dx > half.x) | (dy > half.y) | (-dy > half.y) | (dz > half.z) |
                         (-dz > half.z);
        const double sum = dx * dx + dy * dy + dz * dz;
        out[j] = far ? unknown : sum;
    }
}

}  // namespace

void PairScan::distances(const POINT3D& p, std::int32_t n, const COMPARTMENT* c) {
    fold_pass(p, x.data(), y.data(), z.data(), static_cast<std::size_t>(n), c, d2.data());
}

std::size_t PairScan::pick_near(const POINT3D& p, std::int32_t n, double limit2, const COMPARTMENT* c) {
    for (std::size_t g = 0; use_cells && c != nullptr && g < cells_over.size(); ++g) {
        if (cells_over[g] != c || !(limit2 <= cells[g].reach2())) continue;
        // The centres of the cells around p, gathered, then the pass over
        // them alone.
        std::size_t found = 0;
        const bool searched = cells[g].search(p, [&](std::int32_t j, const POINT3D& q) {
            found_x[found] = q.x;
            found_y[found] = q.y;
            found_z[found] = q.z;
            found_index[found] = j;
            ++found;
        });
        if (!searched) break;
        fold_pass(p, found_x.data(), found_y.data(), found_z.data(), found, c, found_d2.data());
        std::int32_t* picked = near.data();
        std::size_t m = 0;
        for (std::size_t f = 0; f < found; ++f) {
            double d = found_d2[f];
            if (d > limit2) continue;
            if (std::isnan(d)) {
                d = getDistance2(p, POINT3D{found_x[f], found_y[f], found_z[f]}, c);
                if (d > limit2) continue;
            }
            const std::int32_t j = found_index[f];
            picked[m++] = j;
            d2[static_cast<std::size_t>(j)] = d;
        }
        std::sort(picked, picked + m);
        return m;
    }
    distances(p, n, c);
    return select_near(n, limit2);
}

double PairScan::exact(const POINT3D& p, std::int32_t j, const COMPARTMENT* c) const {
    const auto k = static_cast<std::size_t>(j);
    return getDistance2(p, POINT3D{x[k], y[k], z[k]}, c);
}

#if defined(__x86_64__) && !defined(__clang__)
__attribute__((target_clones("avx512f", "avx2", "default")))
#endif
std::size_t PairScan::select_near(std::int32_t n, double limit2) {
    const auto count = static_cast<std::size_t>(n);
    const double* d = d2.data();
    std::int32_t* picked = near.data();
    std::size_t m = 0;
    // Nearly every block of instances holds none in range: one test of the
    // whole block, vectorised, and a look at each only where it finds one.
    constexpr std::size_t block = 8;
    std::size_t j = 0;
    for (; j + block <= count; j += block) {
        bool any = false;
        for (std::size_t k = 0; k < block; ++k) any |= !(d[j + k] > limit2);
        if (!any) continue;
        for (std::size_t k = j; k < j + block; ++k)
            if (!(d[k] > limit2)) picked[m++] = static_cast<std::int32_t>(k);
    }
    for (; j < count; ++j)
        if (!(d[j] > limit2)) picked[m++] = static_cast<std::int32_t>(j);
    return m;
}

void PairScan::own_near(std::int32_t i, const POINT3D& centre, double limit2, std::size_t n) {
    near_owner = i;
    near_centre = centre;
    near_limit2 = limit2;
    near_n = n;
}

bool PairScan::near_covers(std::int32_t i, const POINT3D& now, double limit2) const {
    if (i != near_owner) return false;
    const POINT3D moved = now - near_centre;
    const double reach = std::sqrt(limit2) + std::sqrt(moved.x * moved.x + moved.y * moved.y + moved.z * moved.z);
    // A margin far above the roundings of the squared distances.
    return reach * (1.0 + 1e-6) <= std::sqrt(near_limit2);
}

void PairScan::resolve_near(const POINT3D& p, std::size_t n, const COMPARTMENT* c) {
    for (std::size_t m = 0; m < n; ++m) {
        const auto k = static_cast<std::size_t>(near[m]);
        if (std::isnan(d2[k])) d2[k] = exact(p, near[m], c);
    }
}
