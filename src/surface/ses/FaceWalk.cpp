#include "surface/ses/FaceWalk.h"

#include <vector>

#include "surface/ses/ReentrantSides.h"
#include "surface/ses/ToricFaces.h"

namespace velmesh {

namespace {

std::uint8_t done_bit(int slot) {
    return static_cast<std::uint8_t>(1 << slot);
}

struct Frame {
    RS_face* face;
    int next_slot;
};

// Crosses the edge in `slot` of `from` into its other face: builds the arcs
// of both sides and the toric faces between them. Returns the other face
// when the walk reaches it for the first time, else null.
RS_face* cross_edge(SESContext& context, RS_face& from, int slot) {
    RS_edge& edge = *from.edges[slot];
    RS_face* const to = edge.face1 == &from ? edge.face2 : edge.face1;
    if (to == nullptr) return nullptr;  // an open edge: the reentrant face stays open
    const int to_slot = to->edges[0] == &edge ? 0 : (to->edges[1] == &edge ? 1 : 2);
    const bool fresh = !walk_visited(*to);
    if (fresh) open_reentrant_face(context, *to);
    to->flags |= done_bit(to_slot);

    // The side with a reentrant face is built first; a collision-only side
    // gets arcs of its own.
    RS_face* x = &from;
    RS_face* y = to;
    int x_slot = slot, y_slot = to_slot;
    if (from.reentrant_face == nullptr) {
        std::swap(x, y);
        std::swap(x_slot, y_slot);
    }
    if (x->reentrant_face != nullptr) {
        EdgeSingularities shared;
        const SideArcs x_arcs = build_side(context, *x, x_slot, *y, shared);
        const SideArcs y_arcs = build_side(context, *y, y_slot, *x, shared);
        build_toric_faces(context, edge, x_arcs, y_arcs);
    }
    return fresh ? to : nullptr;
}

}  // namespace

void walk_reduced_faces(SESContext& context, RS_component& component) {
    for (RS_face& face : component.faces) {
        face.flags = 0;
        face.reentrant_face = nullptr;
    }
    std::vector<Frame> stack;
    for (RS_face& start : component.faces) {
        if (walk_visited(start)) continue;
        open_reentrant_face(context, start);
        stack.push_back({&start, 0});
        while (!stack.empty()) {
            Frame& top = stack.back();
            if (top.next_slot == 3) {
                stack.pop_back();
                continue;
            }
            RS_face& face = *top.face;
            const int slot = top.next_slot++;
            if ((face.flags & done_bit(slot)) != 0) continue;
            face.flags |= done_bit(slot);
            if (RS_face* reached = cross_edge(context, face, slot)) stack.push_back({reached, 0});
        }
    }
}

}  // namespace velmesh
