#include "surface/reduced/MissedFaces.h"

#include "surface/reduced/Components.h"
#include "surface/reduced/FaceCreation.h"
#include "surface/reduced/FirstFace.h"
#include "surface/reduced/Flood.h"
#include "surface/reduced/FreeEdges.h"

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

bool build_missed_faces(RSContext& context) {
    RunState& run = context.run;
    bool ok = true;
    for (int a = 0; a < context.sphere_count() && ok; ++a) {
        if (run.atoms[a].edges.empty()) continue;
        find_free_faces_above(context, a, [&](const FaceCandidate& face) {
            if (!ok || find_rs_face_anywhere(run, face.i, face.j, face.k) != nullptr) return;
            RS_component* owner = run.atoms[a].component;
            if (owner == nullptr || !probe_outside_at(context, a, face.probe)) owner = &new_rs_component(run);
            create_first_face(context, *owner, face);
            flood(context, *owner);
            ok = context.status() == 0 && free_edge_pass(context, owner) == 0 && context.status() == 0;
        });
    }
    return ok;
}

}  // namespace velmesh
