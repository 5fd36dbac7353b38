#pragma once
// The links between the reduced-surface records: edges in their component and
// in their spheres' edge lists, and the lookup of a face by its spheres.
#include "surface/RunState.h"

namespace velmesh {

// Appends the edge to the sphere's edge list.
void add_SRE2SRV(Atom& atom, RS_edge* edge);

// A new edge on spheres i and j at the end of the component's edge list (or
// of its free-edge list): both spheres join the component and list the edge;
// its axis runs from i to j.
RS_edge& new_rs_edge(RunState& run, RS_component& component, int i, int j, bool free);

// Takes an edge out of its spheres' lists and the component's edge list, and
// frees it.
void delete_rs_edge(RunState& run, RS_component& component, RS_edge& edge);

// The slot (0, 1 or 2) of the face's edge on spheres a and b, in either
// order; -1 when the face has none.
int edge_slot(const RS_face& face, int a, int b);

// The face of the component on spheres (a, b, c) in this cyclic order (any
// rotation of it, never the reversed order); null when there is none.
RS_face* find_rs_face(const RunState& run, const RS_component& component, int a, int b, int c);

}  // namespace velmesh
