#pragma once
// Removes the self-intersections of one component's reentrant faces: where
// probe spheres overlap, each keeps only the part of its face that lies
// inside no other probe sphere. Faces that cannot be cut this way (another
// probe sphere reaches one of their great-circle arcs, so that it cuts into a
// toric face as well) get the bad flag.
#include "surface/ses/SESContext.h"

namespace velmesh {

struct RS_component;

// Returns the number of faces it marked bad.
int remove_self_intersections(SESContext& context, RS_component& component);

}  // namespace velmesh
