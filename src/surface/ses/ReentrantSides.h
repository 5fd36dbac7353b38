#pragma once
// The reentrant faces of the reduced-surface faces, and the arcs that bound
// them along each reduced-surface edge: one great-circle arc along a regular
// edge; along a singular edge, arcs through the points where the probe
// sphere reaches the edge's axis, and between them the arc where the
// neighbouring probe sphere cuts it.
#include <array>

#include "surface/ses/SESContext.h"

namespace velmesh {

// The point where a probe at `probe` touches the sphere, as a new ordinary
// vertex with the outward normal there.
SES_vertex& contact_vertex(SESContext& context, const Vec3& probe, int sphere);

// The reentrant face of the reduced-surface face with its three corners, or
// null when all three spheres are collision-only (such a triple gets no
// face). Either way the face counts as visited by the walk afterwards.
SES_face* open_reentrant_face(SESContext& context, RS_face& face);

// Whether the walk has opened the face.
bool walk_visited(const RS_face& face);

// The singular vertices and arc of one reduced-surface edge, made by the
// first of its two sides and reused by the second.
struct EdgeSingularities {
    SES_vertex* near_i = nullptr;
    SES_vertex* near_j = nullptr;
    SES_edge* arc = nullptr;
};

// The arcs of one side of a reduced-surface edge, in the side's traversal
// order from its first sphere a to its second sphere b.
struct SideArcs {
    std::array<SES_edge*, 3> arcs{};
    int count = 0;
    int a = -1, b = -1;
    SES_vertex* corner_a = nullptr;
    SES_vertex* corner_b = nullptr;

    SES_edge* first() const { return arcs[0]; }
    SES_edge* last() const { return arcs[count - 1]; }
};

// Builds the arcs along the edge in slot `slot` of `side`, whose other face is
// `other`, and appends them to side's reentrant face. A side without one (a
// collision-only triple) gets its own corner vertices and arcs that belong to
// no reentrant face.
SideArcs build_side(SESContext& context, RS_face& side, int slot, const RS_face& other, EdgeSingularities& shared);

}  // namespace velmesh
