#pragma once
// A rigid body frame: a sphere (centre and radius) with its rotation. `rot`
// is row-major and maps body to world as world = rotᵀ · body + centre;
// `rot_inv` is its inverse, kept current by whoever changes `rot`, and is
// what the world-to-body transforms use.
#include <type_traits>

#include "utils/geometry/PeriodicDistance.h"
#include "utils/geometry/SPHERE.h"

struct OBJECT3D : SPHERE {
    double rot[3][3];
    double rot_inv[3][3];
};

static_assert(std::is_trivially_copyable_v<OBJECT3D> && sizeof(OBJECT3D) == 176, "OBJECT3D is a restart record");

namespace geometry_detail {

// mᵀ · p for a row-major 3x3 matrix.
inline POINT3D transposed_product(const double m[3][3], double px, double py, double pz) {
    return {m[0][0] * px + m[1][0] * py + m[2][0] * pz, m[0][1] * px + m[1][1] * py + m[2][1] * pz,
            m[0][2] * px + m[1][2] * py + m[2][2] * pz};
}

}  // namespace geometry_detail

inline POINT3D POINT3D::fromInternalRotateOnly(const OBJECT3D& o) const {
    return geometry_detail::transposed_product(o.rot, x, y, z);
}

inline POINT3D POINT3D::fromInternal(const OBJECT3D& o) const {
    POINT3D world = fromInternalRotateOnly(o);
    world.x += o.x;
    world.y += o.y;
    world.z += o.z;
    return world;
}

inline POINT3D POINT3D::toInternalRotateOnly(const OBJECT3D& o) const {
    return geometry_detail::transposed_product(o.rot_inv, x, y, z);
}

inline POINT3D POINT3D::toInternal(const OBJECT3D& o, const COMPARTMENT* c) const {
    return geometry_detail::transposed_product(o.rot_inv, getAxisDelta(x - o.x, AXIS::x, c),
                                               getAxisDelta(y - o.y, AXIS::y, c), getAxisDelta(z - o.z, AXIS::z, c));
}
