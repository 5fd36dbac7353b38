#pragma once
// A sphere: its centre (the POINT3D it extends) and its radius.
#include <type_traits>

#include "utils/geometry/COMPARTMENT.h"
#include "utils/geometry/POINT3D.h"

struct SPHERE : POINT3D {
    double r;

    // Whether the sphere, with `radius` (negative: its own r), crosses a wall
    // of a closed box (type 1). Touching a wall is no collision; other boxes
    // and a null compartment have no walls.
    bool collision3D_compartment(const COMPARTMENT* c, double radius) const {
        if (c == nullptr || c->type != 1) return false;
        if (radius < 0.0) radius = r;
        return x - radius < c->lower.x || x + radius > c->upper.x || y - radius < c->lower.y ||
               y + radius > c->upper.y || z - radius < c->lower.z || z + radius > c->upper.z;
    }
};

static_assert(std::is_trivially_copyable_v<SPHERE> && sizeof(SPHERE) == 32, "SPHERE is a restart record");
