#pragma once
// Whether a probe circle has room for a free probe anywhere. The probe
// positions of the faces on two spheres are points of their torus circle, so
// a circle that the other spheres cover all round holds no free face, and
// the searches over the third spheres (a free test over all of them for
// each) can pass it by: with -all_components that is nearly every circle of
// a buried sphere.
#include <span>

#include "surface/reduced/RSContext.h"
#include "surface/tree/Geometry.h"

namespace velmesh {

// Whether some point of the torus circle of a and b lies outside every other
// sphere of `near` grown by p less the free test's slack (so that it never
// says no where the free test could pass a position). Each sphere covers an
// interval of the circle's angle; the circle is free somewhere when they
// leave a gap.
bool circle_has_free_point(RSContext& context, int a, int b, const Torus& torus, std::span<const int> near);

}  // namespace velmesh
