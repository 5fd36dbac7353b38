#pragma once
// The faces of the free tori: where no sphere stops the probe rolling about
// two spheres, it sweeps a whole torus, cut open along one probe position.
#include "surface/ses/SESContext.h"

namespace velmesh {

// For every free edge of the component: a full torus (type 4) bounded by
// the full contact circles on its two spheres and a seam along the probe's
// start position; a singular torus splits at the axis into a face of type 4
// on the first sphere's side and one of type 5 on the second's. A singular
// torus whose sphere carries no other edge closes off a shell of its own.
void build_full_tori(SESContext& context, RS_component& component);

}  // namespace velmesh
