#include "surface/reduced/Flood.h"

#include <vector>

#include "surface/Console.h"
#include "surface/reduced/EdgeGeometry.h"
#include "surface/reduced/FaceCreation.h"
#include "surface/reduced/RSTopology.h"
#include "surface/reduced/RollAboutEdge.h"

namespace velmesh {

namespace {

bool is_open(const RS_face& face, int slot) {
    const RS_edge& edge = *face.edges[slot];
    return edge.face2 == nullptr && edge.given_up == 0;
}

}  // namespace

void treat_open_edge(RSContext& context, RS_component& component, RS_face& from, int slot) {
    RS_edge& edge = *from.edges[slot];
    Roll roll;
    if (!roll_about_edge(context, component, from, slot, roll)) {
        print_err("third atom not found\n");
        print_problem("reduced surface", "no sphere stops the probe rolling about edge %d-%d of face %d %d %d", edge.i,
                      edge.j, from.i, from.j, from.k);
        edge.given_up = 1;
        context.inconsistent({edge.i, edge.j});
        return;
    }
    edge.angle = roll.angle;
    set_edge_torus(context, edge, roll.torus);

    const FaceCandidate& beyond = roll.face;
    RS_face* existing = find_rs_face(context.run, component, beyond.i, beyond.j, beyond.k);
    if (existing == nullptr) {
        create_rolled_face(context, component, from, slot, beyond);
        return;
    }
    const int other_slot = edge_slot(*existing, beyond.i, beyond.j);
    RS_edge* duplicate = existing->edges[other_slot];
    if (duplicate->face2 != nullptr) {
        print_problem("reduced surface",
                      "the probe rolls about edge %d-%d of face %d %d %d onto face %d %d %d, whose edge there has two "
                      "faces already",
                      edge.i, edge.j, from.i, from.j, from.k, existing->i, existing->j, existing->k);
        // The face rolled from overlaps faces built already: the flood goes
        // no further from it, or it would build a second fan of faces beside
        // theirs.
        for (RS_edge* open : from.edges)
            if (open->face2 == nullptr) open->given_up = 1;
        context.inconsistent({beyond.k, beyond.j, beyond.i});
        return;
    }
    existing->edges[other_slot] = &edge;
    existing->edge_orientations[other_slot] = from.edge_orientations[slot] != 0 ? 0 : 1;
    edge.face2 = existing;
    delete_rs_edge(context.run, component, *duplicate);
}

void flood(RSContext& context, RS_component& component) {
    // One frame per pending call of the depth-first walk: the face it works
    // on and the next of its edges to look at.
    struct Frame {
        RS_face* face = nullptr;
        int next_slot = 0;
    };
    std::vector<Frame> stack(1);
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next_slot == 0) {
            frame.face = component.faces.last();
            component.to_visit = 1;
        }
        RS_face& face = *frame.face;
        if (frame.next_slot < 2) {
            const int slot = frame.next_slot++;
            if (is_open(face, slot)) {
                treat_open_edge(context, component, face, slot);
                stack.emplace_back();
            }
            continue;
        }
        // The last edge continues this walk from the then newest face
        // rather than opening a deeper one.
        if (!is_open(face, 2)) {
            stack.pop_back();
            continue;
        }
        treat_open_edge(context, component, face, 2);
        frame.next_slot = 0;
    }
}

}  // namespace velmesh
