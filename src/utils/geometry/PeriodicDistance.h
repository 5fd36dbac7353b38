#pragma once
// Distances under the minimum-image rule of a periodic box. A null
// compartment, or one that is not periodic, leaves differences as they are.
#include <cmath>

#include "utils/geometry/AXIS.h"
#include "utils/geometry/COMPARTMENT.h"
#include "utils/geometry/POINT3D.h"

inline double getAxisDelta(double delta, AXIS axis, const COMPARTMENT* c) {
    if (c == nullptr || c->type != 0) return delta;
    switch (axis) {
        case AXIS::x: return geometry_detail::fold_delta(delta, c->halfsize.x, c->size.x);
        case AXIS::y: return geometry_detail::fold_delta(delta, c->halfsize.y, c->size.y);
        case AXIS::z: return geometry_detail::fold_delta(delta, c->halfsize.z, c->size.z);
    }
    return delta;
}

// Squared distance with each difference a − b folded.
inline double getDistance2(const POINT3D& a, const POINT3D& b, const COMPARTMENT* c) {
    double dx = a.x - b.x;
    double dy = a.y - b.y;
    double dz = a.z - b.z;
    if (c != nullptr && c->type == 0) {
        dx = geometry_detail::fold_delta(dx, c->halfsize.x, c->size.x);
        dy = geometry_detail::fold_delta(dy, c->halfsize.y, c->size.y);
        dz = geometry_detail::fold_delta(dz, c->halfsize.z, c->size.z);
    }
    return dx * dx + dy * dy + dz * dz;
}

inline double getDistance(const POINT3D& a, const POINT3D& b, const COMPARTMENT* c) {
    return std::sqrt(getDistance2(a, b, c));
}
