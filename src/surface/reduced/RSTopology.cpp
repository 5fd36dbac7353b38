#include "surface/reduced/RSTopology.h"

#include <algorithm>

#include "surface/tree/Geometry.h"

namespace velmesh {

void add_SRE2SRV(Atom& atom, RS_edge* edge) {
    atom.edges.push_back(edge);
}

RS_edge& new_rs_edge(RunState& run, RS_component& component, int i, int j, bool free) {
    RS_edge& edge = (free ? component.free_edges : component.edges).emplace_back();
    edge.i = i;
    edge.j = j;
    edge.component_number = component.number;
    double length = 0;
    unit_difference(run.atoms[i].centre(), run.atoms[j].centre(), edge.axis, length);
    for (const int s : {i, j}) {
        Atom& atom = run.atoms[s];
        atom.component = &component;
        atom.component_number = component.number;
        add_SRE2SRV(atom, &edge);
    }
    return edge;
}

void delete_rs_edge(RunState& run, RS_component& component, RS_edge& edge) {
    for (const int s : {edge.i, edge.j}) {
        auto& list = run.atoms[s].edges;
        list.erase(std::remove(list.begin(), list.end(), &edge), list.end());
    }
    component.edges.erase(edge);
}

int edge_slot(const RS_face& face, int a, int b) {
    for (int slot = 0; slot < 3; ++slot) {
        const RS_edge* edge = face.edges[slot];
        if (edge != nullptr && ((edge->i == a && edge->j == b) || (edge->i == b && edge->j == a))) return slot;
    }
    return -1;
}

namespace {

bool on_spheres_in_order(const RS_face& face, int a, int b, int c) {
    return (face.i == a && face.j == b && face.k == c) || (face.j == a && face.k == b && face.i == c) ||
           (face.k == a && face.i == b && face.j == c);
}

// Looks among the faces on the edges of whichever of a and b has fewer edges.
RS_face* find_in_order(const RunState& run, const RS_component& component, int a, int b, int c) {
    const Atom& first = run.atoms[a];
    const Atom& second = run.atoms[b];
    const Atom& scanned = second.edges.size() < first.edges.size() ? second : first;
    for (const RS_edge* edge : scanned.edges)
        for (RS_face* face : {edge->face1, edge->face2})
            if (face != nullptr && face->component_number == component.number && on_spheres_in_order(*face, a, b, c))
                return face;
    return nullptr;
}

}  // namespace

RS_face* find_rs_face(const RunState& run, const RS_component& component, int a, int b, int c) {
    if (RS_face* face = find_in_order(run, component, a, b, c)) return face;
    if (RS_face* face = find_in_order(run, component, b, c, a)) return face;
    return find_in_order(run, component, c, a, b);
}

}  // namespace velmesh
