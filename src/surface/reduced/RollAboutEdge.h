#pragma once
// The rotation search: rolls a face's probe about one of its edges until it
// meets the next sphere.
#include "surface/reduced/FaceCreation.h"
#include "surface/tree/Geometry.h"

namespace velmesh {

struct Roll {
    FaceCandidate face;  // (j, i, k): the face the probe comes to rest on
    double angle = 0;    // the rotation from the old probe to the new one
    Torus torus;         // of i and j, axis from i to j
};

// Rolls the probe of `from` about its edge in `slot`, traversed from i to j in
// face order, in the positive sense about the axis from i to j. Among the
// spheres the probe would meet, the one met first wins; when two are met
// within 0.000001 rad of each other the tie goes to the one whose face (or
// the other face of the quadrilateral it would make) exists already, else to
// the one found first. False when no sphere is met.
bool roll_about_edge(RSContext& context, const RS_component& component, const RS_face& from, int slot, Roll& roll);

}  // namespace velmesh
