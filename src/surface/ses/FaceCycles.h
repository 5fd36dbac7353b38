#pragma once
// Walking a face's boundary: the vertices an edge is traversed between, and
// the cycles of its edge list (each a run of edges in traversal order whose
// last end is its first start).
#include "surface/ses/SESRecords.h"

namespace velmesh {

inline SES_vertex* traversal_start(const SES_face& face, int index) {
    return face.orientations[index] != 0 ? face.edges[index]->start : face.edges[index]->end;
}
inline SES_vertex* traversal_end(const SES_face& face, int index) {
    return face.orientations[index] != 0 ? face.edges[index]->end : face.edges[index]->start;
}

// One past the last edge of the cycle that starts at `begin`: the first edge
// whose end returns to the cycle's start, or the end of the list when none
// does.
int cycle_end(const SES_face& face, int begin);

// The edge that follows `index` in its cycle, wrapping to the cycle's first.
int next_in_cycle(const SES_face& face, int index);

// The edge's place in the face's list, -1 when absent.
int find_edge(const SES_face& face, const SES_edge* edge);

// The face on the other side of the edge, seen from `face`.
inline SES_face* other_face(const SES_edge& edge, const SES_face* face) {
    return edge.first_face == face ? edge.second_face : edge.first_face;
}

}  // namespace velmesh
