#pragma once
// The analytical areas of the SES components, per face kind, per component
// and per sphere.
#include "surface/RunState.h"

namespace velmesh {

// Fills the reentrant, toric, contact, SES and SAS areas of every SES
// component and every sphere's share of them.
void compute_SES_area(RunState& run);

}  // namespace velmesh
