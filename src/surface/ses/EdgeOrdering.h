#pragma once
// Orders each reentrant face's edges into boundary cycles.
#include "surface/ses/SESRecords.h"

namespace velmesh {

// Chains every reentrant face's edges head to tail into cycles. A further
// closed cycle is a hole of the face when it lies inside the first one, and
// otherwise a reentrant face of its own (on the same reduced-surface face,
// ordered later in the same pass). A face whose edges do not close gets the
// bad flag. Returns the number of such faces.
int ordonne_aretes(SES_component& ses, double probe_radius);

}  // namespace velmesh
