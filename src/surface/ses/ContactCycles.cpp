#include "surface/ses/ContactCycles.h"

#include "surface/Console.h"
#include "surface/ses/FaceCycles.h"

namespace velmesh {

namespace {

// One crossing: the edge after `index` in `face`, then the face beyond it
// and that edge's place there. False when the edge has no face beyond or is
// missing from it.
bool cross(const SES_face*& face, int& index) {
    const SES_edge* edge = face->edges[next_in_cycle(*face, index)];
    const SES_face* beyond = other_face(*edge, face);
    if (beyond == nullptr) return false;
    const int there = find_edge(*beyond, edge);
    if (there < 0) return false;
    face = beyond;
    index = there;
    return true;
}

}  // namespace

bool walk_contact_cycle(const SES_component& ses, const SES_face& face, int index, std::vector<SES_edge*>& cycle) {
    cycle.clear();
    const SES_face* current = &face;
    int at = index;
    const SES_vertex* start = traversal_start(face, index);
    const int sphere = start->sphere;
    const int most = ses.edges.count();
    cycle.push_back(face.edges[index]);
    while (traversal_end(*current, at) != start) {
        if (static_cast<int>(cycle.size()) >= most) {
            print_err("find_SES_contact_faces: contact cycle from face #%d does not close\n", face.id);
            return false;
        }
        if (!cross(current, at)) {
            print_err("find_SES_contact_faces: pb1 while treating face #%d\n", face.id);
            return false;
        }
        if (!cross(current, at)) {
            print_err("find_SES_contact_faces: pb2 while treating face #%d\n", face.id);
            return false;
        }
        at = next_in_cycle(*current, at);
        SES_edge* arc = current->edges[at];
        if ((arc->type & kContactArc) == 0 || current->orientations[at] == 0 ||
            traversal_start(*current, at)->sphere != sphere) {
            print_err("find_SES_contact_faces: pb3 while treating face #%d\n", face.id);
            return false;
        }
        cycle.push_back(arc);
    }
    return true;
}

}  // namespace velmesh
