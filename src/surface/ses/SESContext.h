#pragma once
// What the construction of one SES component works with: the run (spheres
// and options), the component being built and the probe radius.
#include "surface/RunState.h"

namespace velmesh {

struct SESContext {
    RunState& run;
    SES_component& ses;
    double p;  // probe radius

    Vec3 centre(int sphere) const { return run.atoms[sphere].centre(); }
    double radius(int sphere) const { return run.atoms[sphere].r; }
};

}  // namespace velmesh
