#pragma once
// One dock point of a reaction: a point on each reactant and the distance
// within which the two must come.
#include <type_traits>

#include "utils/geometry/POINT3D.h"

struct DOCKPOINT {
    POINT3D a;         // body frame of reactant 0, metres
    POINT3D b;         // body frame of reactant 1, metres
    double range;      // required distance, metres
    double range2;     // range²
    double min_dist2;  // smallest squared a-b distance seen at a contact; a restart block
};

static_assert(std::is_trivially_copyable_v<DOCKPOINT> && sizeof(DOCKPOINT) == 72,
              "DOCKPOINT has a fixed layout");
