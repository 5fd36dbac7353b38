#include "surface/reduced/FreeEdges.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "surface/Console.h"
#include "surface/reduced/Components.h"
#include "surface/reduced/EdgeGeometry.h"
#include "surface/reduced/FaceCreation.h"
#include "surface/reduced/FirstFace.h"
#include "surface/reduced/Flood.h"
#include "surface/reduced/RSTopology.h"
#include "surface/tree/Geometry.h"

namespace velmesh {

namespace {

// Spheres with more neighbours than this are not searched for fans of faces
// the flood could not reach: buried spheres have many, and the search would
// find the faces of cavities behind them.
constexpr int kMostNeighboursForOtherFans = 30;

bool joined(const Atom& atom, int a, int b) {
    return std::any_of(atom.edges.begin(), atom.edges.end(), [&](const RS_edge* e) {
        return (e->i == a && e->j == b) || (e->i == b && e->j == a);
    });
}

// Every sphere that can reach the probe on a's torus is a neighbour of a.
bool torus_is_free(RSContext& context, int a, int b, const Torus& torus) {
    for (const int s : context.near(a)) {
        if (s == a || s == b) continue;
        if (probe_circle_clash(torus.centre, torus.radius, torus.axis, context.p, context.centre(s), context.radius(s)))
            return false;
    }
    return true;
}

void make_free_edge(RSContext& context, RS_component& component, int a, int b, const Torus& torus) {
    RS_edge& edge = new_rs_edge(context.run, component, a, b, true);
    set_edge_torus(context, edge, torus);
    edge.angle = 2 * std::numbers::pi;
    edge.probe_radius = static_cast<float>(context.p);
    edge.start_probe = torus.centre + torus.radius * perpendicular(torus.axis);
}

// Builds the face in the component and floods from it.
void grow_from(RSContext& context, RS_component& component, const FaceCandidate& face) {
    create_first_face(context, component, face);
    flood(context, component);
}

}  // namespace

bool probe_outside_at(const RSContext& context, int a, const Vec3& probe) {
    const Atom& atom = context.run.atoms[a];
    if (atom.edges.size() <= 2) return true;
    // Faces on the same three spheres share their centroid: a pair of them
    // back to back (the probe rolling round both sides of a thin sheet) has
    // the outside on either side, so any of them may say so.
    double best = 0;
    bool found = false, outside = false;
    for (const RS_edge* edge : atom.edges)
        for (const RS_face* face : {edge->face1, edge->face2}) {
            if (face == nullptr) continue;
            const Vec3 centroid =
                (context.centre(face->i) + context.centre(face->j) + context.centre(face->k)) / 3.0;
            const double d2 = squared_distance(centroid, probe);
            const bool out = dot(probe - centroid, face->normal) >= 0;
            if (!found || d2 < best) {
                found = true;
                best = d2;
                outside = out;
            } else if (d2 == best) {
                outside = outside || out;
            }
        }
    return !found || outside;
}

int find_free_edges(RSContext& context, int a, RS_component*& current, bool tori) {
    RunState& run = context.run;
    const double p = context.p;
    const Vec3& ca = context.centre(a);
    const double ra = context.radius(a);
    // A list of its own: the searches and floods below use the others.
    std::vector<int>& near = context.near_free_edges;
    near.assign(context.near(a).begin(), context.near(a).end());
    const int total = context.sphere_count();
    const bool look_for_fans =
        static_cast<int>(near.size()) <= kMostNeighboursForOtherFans || static_cast<int>(near.size()) >= total;
    std::erase_if(near, [&](int b) { return b == a || joined(run.atoms[a], a, b); });

    int made = 0;
    Torus torus;
    for (const int b : near) {
        const Vec3& cb = context.centre(b);
        const double rb = context.radius(b);
        const double d2 = squared_distance(ca, cb);
        if (!(d2 < (ra + 2 * p + rb) * (ra + 2 * p + rb))) continue;
        if (d2 == 0) {
            print_err("ERROR: find_free_edges: atoms %d and %d have identical centers \n", a, b);
            exit_run(1);
        }
        const double d = std::sqrt(d2);
        const double along = ((ra + p) * (ra + p) + d2 - (rb + p) * (rb + p)) / (2 * d);
        if ((ra + p) * (ra + p) - along * along < 0) {
            print_out("WARNING: atoms %d is completely inside atom %d\n", ra < rb ? a : b, ra < rb ? b : a);
            continue;
        }
        if (!tori) continue;
        const bool b_alone = run.atoms[b].component_number == kNoComponent;
        if (look_for_fans && current != nullptr && b_alone && total > 2) {
            const int pair[2] = {a, b};
            const auto face = find_first_rs_face_cavity(context, pair);
            if (face && probe_outside_at(context, a, face->probe)) {
                if (!face->first_position) {
                    print_out("create face %d %d %d\n", face->i, face->k, face->j);
                    continue;
                }
                grow_from(context, *current, *face);
                continue;
            }
        }
        if (torus_of_two_spheres(ca, ra, cb, rb, p, torus) != 0 || !torus_is_free(context, a, b, torus)) continue;
        if (current != nullptr) {
            if (b_alone && total > 2) {
                if (const auto face = find_first_rs_face(context, b)) {
                    grow_from(context, *current, *face);
                    continue;
                }
            } else if (!b_alone && run.atoms[b].component != current) {
                current = &merge_rs_components(run, *current, *run.atoms[b].component);
            }
        } else {
            current = b_alone ? &new_rs_component(run) : run.atoms[b].component;
        }
        make_free_edge(context, *current, a, b, torus);
        ++made;
    }
    run.atoms[a].free_edge_mark = 1;
    return made;
}

namespace {

bool belongs_untreated(const RunState& run, int sphere, const RS_component& component) {
    const Atom& atom = run.atoms[sphere];
    return atom.component_number == component.number && atom.free_edge_mark == 0;
}

// One sweep over the component's spheres; `restart` is set when the
// component was merged into another and the sweep must start again on the
// absorber.
void sweep(RSContext& context, RS_component*& component, bool& restart) {
    RunState& run = context.run;
    RS_component* const before = component;
    const auto visit = [&](int sphere) {
        if (!belongs_untreated(run, sphere, *component)) return;
        find_free_edges(context, sphere, component);
        restart = component != before;
    };
    for (RS_edge* edge = component->edges.first(); edge != nullptr && !restart; edge = edge->next) {
        visit(edge->i);
        if (!restart) visit(edge->j);
    }
    for (RS_edge* edge = component->free_edges.first(); edge != nullptr && !restart; edge = edge->next)
        visit(edge->j);
}

}  // namespace

void free_edge_pass(RSContext& context, RS_component*& component) {
    while (component->to_visit != 0) {
        component->to_visit = 0;
        bool restart = false;
        sweep(context, component, restart);
        if (restart) component->to_visit = 1;
    }
}

}  // namespace velmesh
