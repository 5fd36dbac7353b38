#include <algorithm>
#include <cmath>

#include "utils/geometry/COMPARTMENT.h"

namespace geometry_detail {

namespace {

bool usable_period(double size) { return size > 0.0 && std::isfinite(size); }

}  // namespace

double fold_far(double delta, double halfsize, double size) {
    if (!usable_period(size) || !std::isfinite(delta)) return delta;
    // remainder is exact and lies in [-size/2, size/2]; the stepwise fold
    // ends in (-halfsize, halfsize] from above and in [-halfsize, halfsize)
    // from below.
    double folded = std::remainder(delta, size);
    if (delta > 0.0 && folded == -halfsize) folded = halfsize;
    if (delta < 0.0 && folded == halfsize) folded = -halfsize;
    return folded;
}

double wrap_far(double coordinate, double lower, double upper, double size) {
    if (!usable_period(size) || !std::isfinite(coordinate) || !std::isfinite(lower) || !std::isfinite(upper))
        return coordinate;
    double offset = std::fmod(coordinate - lower, size);
    if (offset < 0.0) offset += size;
    // A coordinate a whole number of periods from lower ends on upper when
    // wrapped from above and on lower when wrapped from below.
    if (offset == 0.0) return coordinate > upper ? upper : lower;
    return std::clamp(lower + offset, lower, upper);
}

}  // namespace geometry_detail
