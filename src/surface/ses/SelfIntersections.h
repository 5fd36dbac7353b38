#pragma once
// Removes the self-intersections of one component's reentrant faces: where
// probe spheres overlap, each keeps only the part of its face that lies
// inside no other probe sphere (SelfIntersections.cpp tells how). Where that
// cannot be done (another probe sphere reaches over one of a face's
// great-circle arcs, so that it cuts into a toric face as well; a cut that
// does not close) the faces concerned stay as they were and are marked bad,
// so that the run restarts with their spheres grown; a warning tells when no
// restart follows and the surface keeps them.
#include "surface/ses/SESContext.h"

namespace velmesh {

struct RS_component;

// Returns the number of faces it marked bad: faces left uncut, which a
// restart with other radii may mend.
int remove_self_intersections(SESContext& context, RS_component& component);

}  // namespace velmesh
