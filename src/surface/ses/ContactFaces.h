#pragma once
// The contact faces of a component: the regions of each sphere that the
// probe touches, bounded by the cycles of contact arcs its toric faces
// leave. Cycles of one sphere that bound one region become one face; a
// sphere that several components touch is grouped for each apart.
#include "surface/ses/SESContext.h"

namespace velmesh {

// Builds every contact face of the component from the contact arcs of its
// toric faces and full tori (spheres that are collision-only get none).
// A cycle that cannot be followed, or that cannot be placed among the faces
// its sphere already has (the point-in-face test decides nothing), marks its
// toric face bad. Returns the number of such cycles.
int find_SES_contact_faces(SESContext& context);

}  // namespace velmesh
