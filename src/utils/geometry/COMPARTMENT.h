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
// ±halfsize stays. Written as selects rather than branches: whether a pair
// of proteins needs the fold is a coin toss the processor cannot predict.
inline double fold_delta(double delta, double halfsize, double size) {
    double folded = delta - (delta > halfsize ? size : 0.0);
    folded += -folded > halfsize ? size : 0.0;
    if (folded > halfsize || -folded > halfsize) [[unlikely]]
        return fold_far(delta, halfsize, size);
    return folded;
}

// coordinate wrapped into [lower, upper]: one period is subtracted while it
// lies above upper, then added while it lies below lower; a bound stays.
inline double wrap_coordinate(double coordinate, double lower, double upper, double size) {
    double wrapped = coordinate - (coordinate > upper ? size : 0.0);
    wrapped += lower > wrapped ? size : 0.0;
    if (wrapped > upper || lower > wrapped) [[unlikely]]
        return wrap_far(coordinate, lower, upper, size);
    return wrapped;
}

}  // namespace geometry_detail

inline void POINT3D::translate2bounds(const COMPARTMENT& c) {
    if (c.type != 0) return;
    x = geometry_detail::wrap_coordinate(x, c.lower.x, c.upper.x, c.size.x);
    y = geometry_detail::wrap_coordinate(y, c.lower.y, c.upper.y, c.size.y);
    z = geometry_detail::wrap_coordinate(z, c.lower.z, c.upper.z, c.size.z);
}
