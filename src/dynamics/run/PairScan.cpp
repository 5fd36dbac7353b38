#include "dynamics/run/PairScan.h"

#include <limits>

#include "utils/geometry/PeriodicDistance.h"

void PairScan::reserve(std::size_t instances, std::size_t species_n) {
    if (x.size() < instances) {
        x.resize(instances);
        y.resize(instances);
        z.resize(instances);
        species.resize(instances);
        d2.resize(instances);
    }
    if (reach2.size() < species_n) reach2.resize(species_n);
}

void PairScan::load(const PROT* prots, std::int32_t n) {
    for (std::int32_t j = 0; j < n; ++j) {
        update(j, prots[j]);
        species[static_cast<std::size_t>(j)] = prots[j].species;
    }
}

namespace {

// Whether the box has a period the fold can use along every axis.
bool usable_period(const COMPARTMENT& c) {
    const auto usable = [](double half, double size) { return half > 0 && size > 0 && size < 1e300 && half < 1e300; };
    return usable(c.halfsize.x, c.size.x) && usable(c.halfsize.y, c.size.y) && usable(c.halfsize.z, c.size.z);
}

}  // namespace

void PairScan::distances(const POINT3D& p, std::int32_t n, const COMPARTMENT* c) {
    const auto count = static_cast<std::size_t>(n);
    const double* xs = x.data();
    const double* ys = y.data();
    const double* zs = z.data();
    double* out = d2.data();
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

double PairScan::exact(const POINT3D& p, std::int32_t j, const COMPARTMENT* c) const {
    const auto k = static_cast<std::size_t>(j);
    return getDistance2(p, POINT3D{x[k], y[k], z[k]}, c);
}
