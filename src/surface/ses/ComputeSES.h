#pragma once
// The solvent-excluded surface of one reduced-surface component.
#include "surface/RunState.h"

namespace velmesh {

inline constexpr double kFourPi = 12.5663706;

// Builds the SES of the component with the probe radius and appends it to
// the run's SES components. Returns the number of problems met (0 on
// success).
int compute_SES(RunState& run, RS_component& component, float probe_radius);

// Whether the component is a lone sphere: one edge from a sphere to itself.
bool is_free_vertex(const RS_component& component);

}  // namespace velmesh
