#pragma once
// Making reduced-surface faces: a first face with three new edges, and a face
// rolled onto from an open edge.
#include "surface/reduced/RSContext.h"

namespace velmesh {

// A face found by a search: its spheres in face order and its probe, which
// lies on the side of the face's normal.
struct FaceCandidate {
    int i = -1, j = -1, k = -1;
    Vec3 probe;
    double half_chord = 0;  // the probe's height over the plane of the three centres
    bool first_position = true;  // a search found the probe on the normal side of its (a, b, c)
};

// Whether a face's probe sphere crosses the plane of its centres within the
// triangle: p exceeds the probe's height s over the plane, and the probe's
// foot on the plane lies within the triangle's angle at a and at b.
bool is_singular_face(const RSContext& context, int a, int b, int c, const Vec3& probe, double half_chord);

// A face on the candidate's spheres with three new edges (i, j), (j, k),
// (k, i), all traversed forwards, as the component's newest face.
RS_face& create_first_face(RSContext& context, RS_component& component, const FaceCandidate& candidate);

// The face (j, i, k) beyond the open edge of face `from` in slot `slot`
// (which `from` traverses from i to j): the shared edge in slot 0, traversed
// the other way, and new edges (i, k) and (k, j).
RS_face& create_rolled_face(RSContext& context, RS_component& component, RS_face& from, int slot,
                            const FaceCandidate& candidate);

}  // namespace velmesh
