#include "surface/reduced/TwinFaces.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "surface/reduced/RSTopology.h"
#include "surface/tree/Geometry.h"

namespace velmesh {

namespace {

// A pair whose removal would let the probe of the joined rotation into the
// third sphere by more than this fraction of its radius is no sliver: the
// probe really stops at both faces, and they stay as twins.
constexpr double kSliverDepth = 0.001;

bool may_have_twin(const RS_face& face) {
    int singular = 0;
    int merged_points = 0;
    for (const RS_edge* edge : face.edges) {
        if (edge->singular_kind == 0) continue;
        ++singular;
        if (edge->singular_kind == 1) ++merged_points;
    }
    return singular >= 2 && !(singular == 2 && merged_points == 2);
}

bool holds(const RS_face& face, const RS_edge* edge) {
    return std::find(face.edges.begin(), face.edges.end(), edge) != face.edges.end();
}

RS_face* beyond(const RS_edge& edge, const RS_face& face) {
    return edge.face1 == &face ? edge.face2 : edge.face1;
}

Vec3 direction(const RS_edge& edge, const Vec3& probe) {
    Vec3 unit;
    double length = 0;
    unit_difference(edge.torus_centre, probe, unit, length);
    return unit;
}

// The edge e of `face` now bounds `other` (which held `replaced`, the twin's
// edge on the same spheres) in the face's place.
void hand_over(RSContext& context, RS_component& component, RS_edge& e, const RS_face& face, int slot,
               RS_edge& replaced, RS_face& other) {
    (e.face1 == &face ? e.face1 : e.face2) = &other;
    const auto at = std::find(other.edges.begin(), other.edges.end(), &replaced);
    const auto other_slot = at - other.edges.begin();
    other.edges[other_slot] = &e;
    other.edge_orientations[other_slot] = face.edge_orientations[slot];
    if (e.face1 != nullptr && e.face2 != nullptr)
        e.angle = oriented_angle(direction(e, e.face1->probe), direction(e, e.face2->probe), e.axis);
    delete_rs_edge(context.run, component, replaced);
}

void remove_pair(RSContext& context, RS_component& component, RS_face& face, RS_face& reversed) {
    RS_edge* shared[3] = {};
    int shared_count = 0;
    for (int slot = 0; slot < 3; ++slot) {
        RS_edge& e = *face.edges[slot];
        if (holds(reversed, &e)) {
            shared[shared_count++] = &e;
            continue;
        }
        RS_edge* replaced = reversed.edges[edge_slot(reversed, e.i, e.j)];
        RS_face* other = beyond(*replaced, reversed);
        if (beyond(e, face) != nullptr && other != nullptr)
            hand_over(context, component, e, face, slot, *replaced, *other);
    }
    for (int s = 0; s < shared_count; ++s) delete_rs_edge(context.run, component, *shared[s]);
    component.singular_face_count -= face.singular + reversed.singular;
    component.faces.erase(face);
    component.faces.erase(reversed);
}

// How deep the probe would pass into the face's third sphere if the pair
// went and the faces beyond the unshared edge were joined through it: the
// joined rotation runs over both probes of the pair, where the probe meets
// the third sphere, and between them through it.
double depth_of_joined_rotation(const RSContext& context, const RS_face& face, const RS_face& reversed) {
    for (int slot = 0; slot < 3; ++slot) {
        const RS_edge& e = *face.edges[slot];
        if (holds(reversed, &e)) continue;
        const int k = face.i != e.i && face.i != e.j ? face.i : (face.j != e.i && face.j != e.j ? face.j : face.k);
        const Vec3 v = context.centre(k) - e.torus_centre;
        const Vec3 across = v - dot(v, e.axis) * e.axis;
        const double off = norm(across);
        const Vec3 nearest = off > kTiny ? e.torus_centre + (e.torus_radius / off) * across : e.torus_centre;
        const double gap = off > kTiny ? norm(context.centre(k) - nearest)
                                       : std::sqrt(dot(v, v) + e.torus_radius * e.torus_radius);
        return context.radius(k) + context.p - gap;
    }
    return 0;
}

// Along an edge the two share, the probe rolls from one face to the other
// the short way (through the third sphere, as little as the sliver's
// depth), or the long way round: then the probe really stops at the pair,
// which is no sliver: removing it would take that torus away.
bool rolls_short_way(const RS_face& a, const RS_face& b) {
    for (const RS_edge* e : a.edges)
        if (holds(b, e) && e->angle > std::numbers::pi) return false;
    return true;
}

int shared_edges(const RS_face& a, const RS_face& b) {
    const auto in_b = [&](const RS_edge* e) { return holds(b, e); };
    return static_cast<int>(std::count_if(a.edges.begin(), a.edges.end(), in_b));
}

}  // namespace

void clean_twin_faces(RSContext& context, RS_component& component) {
    for (RS_face* face = component.faces.first(); face != nullptr;) {
        RS_face* next = face->next;
        RS_face* reversed = nullptr;
        if (face->twin == nullptr && may_have_twin(*face))
            reversed = find_rs_face(context.run, component, face->i, face->k, face->j);
        if (reversed != nullptr && reversed != face) {
            const int shared = shared_edges(*face, *reversed);
            if (shared == 2 && rolls_short_way(*face, *reversed) &&
                depth_of_joined_rotation(context, *face, *reversed) < kSliverDepth * context.p) {
                if (next == reversed) next = reversed->next;
                remove_pair(context, component, *face, *reversed);
            } else {
                face->twin = reversed;
                reversed->twin = face;
                ++component.face_pair_count;
            }
        }
        face = next;
    }
}

}  // namespace velmesh
