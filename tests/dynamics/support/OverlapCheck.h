#pragma once
// An overlap check of two placed species written from scratch: every atom
// (or covering sphere) of one against every one of the other, in the world
// frame, with the periodic box's nearest image of each pair. Tests compare
// the engine's staged collision tests with it.
#include <cmath>
#include <vector>

#include "dynamics/PDcalc.h"

namespace dynamics_testing {

// A body in the world: centre (metres) and rot (row-major, world = rotᵀ ·
// body + centre).
struct Placed {
    double centre[3];
    double rot[3][3];
};

inline Placed placed(const PROT& p) {
    Placed out{{p.x, p.y, p.z}, {}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) out.rot[i][j] = p.rot[i][j];
    return out;
}

inline void to_world(const Placed& body, double bx, double by, double bz, double out[3]) {
    for (int axis = 0; axis < 3; ++axis)
        out[axis] = body.rot[0][axis] * bx + body.rot[1][axis] * by + body.rot[2][axis] * bz + body.centre[axis];
}

// Squared distance of two world points, each axis difference taken to its
// nearest periodic image in a periodic box.
inline double image_distance2(const double a[3], const double b[3], const COMPARTMENT* c) {
    const double sizes[3] = {c ? c->size.x : 0, c ? c->size.y : 0, c ? c->size.z : 0};
    double sum = 0;
    for (int axis = 0; axis < 3; ++axis) {
        double d = a[axis] - b[axis];
        if (c != nullptr && c->type == 0) d -= sizes[axis] * std::round(d / sizes[axis]);
        sum += d * d;
    }
    return sum;
}

// Whether two spheres, given by body centres and radii, of two placed bodies
// come closer than the sum of their radii by more than a relative `slack`
// (a positive slack forgives rounding at exact contact).
template <class Element>
bool elements_overlap(const std::vector<Element>& a, const Placed& pa, const std::vector<Element>& b,
                      const Placed& pb, const COMPARTMENT* c, double slack = 0.0) {
    std::vector<double> world_b(3 * b.size());
    for (std::size_t j = 0; j < b.size(); ++j) to_world(pb, b[j].x, b[j].y, b[j].z, &world_b[3 * j]);
    for (const Element& ea : a) {
        double wa[3];
        to_world(pa, ea.x, ea.y, ea.z, wa);
        for (std::size_t j = 0; j < b.size(); ++j) {
            const double limit = (ea.r + b[j].r) * (1.0 - slack);
            if (image_distance2(wa, &world_b[3 * j], c) < limit * limit) return true;
        }
    }
    return false;
}

}  // namespace dynamics_testing
