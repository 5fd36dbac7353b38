#include "surface/reduced/MissedFaces.h"

#include <vector>

#include "surface/reduced/BuriedSpheres.h"
#include "surface/reduced/Components.h"
#include "surface/reduced/FaceCreation.h"
#include "surface/reduced/FirstFace.h"
#include "surface/reduced/Flood.h"
#include "surface/reduced/FreeEdges.h"
#include "surface/tree/Geometry.h"

namespace velmesh {

RS_face* find_rs_face_anywhere(const RunState& run, int a, int b, int c) {
    for (const RS_edge* edge : run.atoms[a].edges)
        for (RS_face* face : {edge->face1, edge->face2}) {
            if (face == nullptr) continue;
            if ((face->i == a && face->j == b && face->k == c) || (face->j == a && face->k == b && face->i == c) ||
                (face->k == a && face->i == b && face->j == c))
                return face;
        }
    return nullptr;
}

namespace {

// Probes closer than this are one position: four or more spheres touch it.
constexpr double kSameProbe = 0.01;

// Whether a face on sphere a has its probe at the position already: where
// four spheres touch one probe position (within the free test's slack), the
// faces there are one way of splitting it into triangles, and a face of
// another way would overlap them.
bool probe_taken(const RunState& run, int a, const Vec3& probe) {
    for (const RS_edge* edge : run.atoms[a].edges)
        for (const RS_face* face : {edge->face1, edge->face2})
            if (face != nullptr && squared_distance(face->probe, probe) < kSameProbe * kSameProbe) return true;
    return false;
}

// Whether the component has an edge on spheres x and y with both its faces:
// a face on them would be a third.
bool closed_edge_in(const RunState& run, const RS_component& component, int x, int y) {
    for (const RS_edge* edge : run.atoms[x].edges)
        if (edge->component_number == component.number && (edge->i == y || edge->j == y) && edge->face1 != nullptr &&
            edge->face2 != nullptr)
            return true;
    return false;
}

// The component the face joins: its first sphere's, when the probe lies
// outside the surface built there and none of the face's sides closes an
// edge of that component already (the probe then rolls over a second
// stretch of the same torus, in a region of its own); else a new one.
RS_component& owner_of(RSContext& context, const FaceCandidate& face) {
    RunState& run = context.run;
    RS_component* owner = run.atoms[face.i].component;
    if (owner != nullptr && probe_outside_at(context, face.i, face.probe) &&
        !closed_edge_in(run, *owner, face.i, face.j) && !closed_edge_in(run, *owner, face.j, face.k) &&
        !closed_edge_in(run, *owner, face.k, face.i))
        return *owner;
    return new_rs_component(run);
}

// Whether every free face of sphere a has a face of some component already:
// each corner of its free probe positions lies at the probe of a face on it.
// Only then can the search for faces no component holds pass it by.
bool faces_all_built(const RunState& run, BuriedSpheres& cells, int a, std::vector<Vec3>& corners) {
    if (!cells.free_corners(a, corners)) return false;
    for (const Vec3& corner : corners)
        if (!probe_taken(run, a, corner)) return false;
    return true;
}

}  // namespace

void build_missed_faces(RSContext& context) {
    RunState& run = context.run;
    BuriedSpheres cells(context);
    std::vector<Vec3> corners;
    for (int a = 0; a < context.sphere_count(); ++a) {
        if (run.atoms[a].edges.empty() || faces_all_built(run, cells, a, corners)) continue;
        find_free_faces_above(context, a, [&](const FaceCandidate& face) {
            if (find_rs_face_anywhere(run, face.i, face.j, face.k) != nullptr || probe_taken(run, a, face.probe)) return;
            RS_component* owner = &owner_of(context, face);
            create_first_face(context, *owner, face);
            flood(context, *owner);
            free_edge_pass(context, owner);
        });
    }
}

}  // namespace velmesh
