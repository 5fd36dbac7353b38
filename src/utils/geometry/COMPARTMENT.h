#pragma once
// A box-shaped compartment: periodic (type 0), closed by walls (type 1) or,
// for any other type, no boundary at all.
#include <cstdint>
#include <type_traits>

#include "utils/geometry/POINT3D.h"

struct COMPARTMENT {
    std::int32_t type;
    std::int32_t dimension;
    POINT3D center;
    POINT3D lower;
    POINT3D upper;
    POINT3D size;
    POINT3D halfsize;
    double volume;
};

static_assert(std::is_trivially_copyable_v<COMPARTMENT> && sizeof(COMPARTMENT) == 136,
              "COMPARTMENT has a fixed layout");

namespace geometry_detail {

// The periodic folds for values more than one period away and for boxes
// without a usable period (zero, negative or not finite), which are left
// unfolded. Out of line: the step loop never needs them.
double fold_far(double delta, double halfsize, double size);
double wrap_far(double coordinate, double lower, double upper, double size);

// delta folded into [-halfsize, halfsize]: one period is subtracted while
// it exceeds halfsize, then added while it is below -halfsize; exactly
// ±halfsize stays.
inline double fold_delta(double delta, double halfsize, double size) {
    const double original = delta;
    if (delta > halfsize) {
        delta -= size;
        if (delta > halfsize) return fold_far(original, halfsize, size);
    }
    if (-delta > halfsize) {
        delta += size;
        if (-delta > halfsize) return fold_far(original, halfsize, size);
    }
    return delta;
}

// coordinate wrapped into [lower, upper]: one period is subtracted while it
// lies above upper, then added while it lies below lower; a bound stays.
inline double wrap_coordinate(double coordinate, double lower, double upper, double size) {
    const double original = coordinate;
    if (coordinate > upper) {
        coordinate -= size;
        if (coordinate > upper) return wrap_far(original, lower, upper, size);
    }
    if (lower > coordinate) {
        coordinate += size;
        if (lower > coordinate) return wrap_far(original, lower, upper, size);
    }
    return coordinate;
}

}  // namespace geometry_detail

inline void POINT3D::translate2bounds(const COMPARTMENT& c) {
    if (c.type != 0) return;
    x = geometry_detail::wrap_coordinate(x, c.lower.x, c.upper.x, c.size.x);
    y = geometry_detail::wrap_coordinate(y, c.lower.y, c.upper.y, c.size.y);
    z = geometry_detail::wrap_coordinate(z, c.lower.z, c.upper.z, c.size.z);
}
