#pragma once
// Free edges: tori of two spheres that the probe can roll all the way round
// without meeting a third sphere, so that no face bounds them; and the pass
// that looks for them around every sphere of a component.
#include "surface/reduced/RSContext.h"

namespace velmesh {

// Looks around sphere a for free tori with spheres it has no edge with yet,
// and for faces the component's flood could not reach (another fan of faces
// on a, or faces beyond a free torus), which it creates in the current
// component and floods. Every free torus is found (one missed leaves the
// probe's way into its other sphere open on a's contact face); other fans
// are looked for only at spheres with at most 30 neighbours within reach (or
// no others than all spheres). `current` is the component
// being built, or null for a sphere on its own; it follows merges and, for a
// sphere on its own, becomes the component the sphere joins. Marks a as
// treated. Returns the number of free edges made.
// With `tori` false (a sphere no probe can touch) only the warnings about
// spheres inside it are given.
int find_free_edges(RSContext& context, int a, RS_component*& current, bool tori = true);

// Whether a probe at the position lies outside the surface already built at
// sphere a: seen from the face on a's edges whose centroid is nearest to the
// probe, on the side of its normal (of any of them, when several faces on
// the same spheres are nearest). With two edges or fewer at a, it does.
bool probe_outside_at(const RSContext& context, int a, const Vec3& probe);

// Runs find_free_edges over the spheres of the component's edges and over
// the second spheres of its free edges, as long as new faces may have opened
// new work. `component` follows merges.
void free_edge_pass(RSContext& context, RS_component*& component);

}  // namespace velmesh
