#pragma once
// Radius classes: spheres of one exact radius share their two templates.
// Class 0 is the probe radius; each further distinct radius opens a class,
// up to 2000 classes.
#include "surface/RunState.h"

namespace velmesh {

inline constexpr int kMaxRadiusClasses = 2000;

// Drops every class and opens class 0 with the probe radius.
void reset_radius_classes(RunState& run);

// The class of the radius (the first with exactly that radius), opened when
// there is none; -1 when the 2000 classes are taken.
int radius_class_of(RunState& run, float radius);

// Builds both templates of every class (density first), then the sizes that
// depend on them: max_template_vertices, circle_points, hcircle_points and
// the dots scratch array.
void build_templates(RunState& run);

}  // namespace velmesh
