#include "surface/ses/EdgeOrdering.h"

#include <utility>

#include "surface/Console.h"
#include "surface/reduced/RSRecords.h"
#include "surface/ses/FaceCycles.h"
#include "surface/ses/SESRecordMakers.h"
#include "surface/tree/Geometry.h"

namespace velmesh {

namespace {

// Cross products of a cycle's edge ends shorter than this (squared) say
// nothing about the side of a point.
constexpr double kUsableCross = 0.004;

void swap_edges(SES_face& face, int a, int b) {
    std::swap(face.edges[a], face.edges[b]);
    std::swap(face.orientations[a], face.orientations[b]);
}

// Chains the edges from `begin` head to tail, moving each successor into
// place. Returns one past the cycle's last edge, or -(number chained) when
// the chain does not return to its start.
int chain_cycle(SES_face& face, int begin) {
    const int count = static_cast<int>(face.edges.size());
    const SES_vertex* first = traversal_start(face, begin);
    for (int k = begin;; ++k) {
        const SES_vertex* end = traversal_end(face, k);
        if (end == first) return k + 1;
        int next = k + 1;
        while (next < count && traversal_start(face, next) != end) ++next;
        if (next == count) return -(k - begin + 1);
        swap_edges(face, k + 1, next);
    }
}

// Whether the point t lies inside the cycle [0, end) of the reentrant face.
bool inside_first_cycle(const SES_face& face, int end, const Vec3& t, double p) {
    const Vec3 probe = face.rs_face->probe;
    int usable = 0;
    for (int k = 0; k < end; ++k) {
        const Vec3 from = to_double(traversal_start(face, k)->position) - probe;
        const Vec3 to = to_double(traversal_end(face, k)->position) - probe;
        if (dot(cross(to, from), cross(to, from)) > kUsableCross) ++usable;
    }
    if (end != 2 && usable < 3) return true;
    for (int k = 0; k < end; ++k) {
        const SES_edge& edge = *face.edges[k];
        const double side = (face.orientations[k] != 0 ? 1.0 : -1.0) / p;
        if (side * dot(t - to_double(edge.circle_centre), edge.normal()) < 0) return false;
        const Vec3 from = to_double(traversal_start(face, k)->position) - probe;
        const Vec3 to = to_double(traversal_end(face, k)->position) - probe;
        const Vec3 c = cross(to, from);
        if (dot(c, c) > kUsableCross && dot((t - probe) / p, c) < kUsableCross) return false;
    }
    return true;
}

// Moves the edges from `begin` on to a new reentrant face on the same
// reduced-surface face.
void split_off(SES_component& ses, SES_face& face, int begin) {
    SES_face& rest = new_ses_face(ses, kReentrantFace);
    rest.rs_face = face.rs_face;
    rest.corners = face.corners;
    for (int k = begin; k < static_cast<int>(face.edges.size()); ++k) {
        SES_edge& edge = *face.edges[k];
        if (edge.first_face == &face && face.orientations[k] != 0) edge.first_face = &rest;
        if (edge.second_face == &face && face.orientations[k] == 0) edge.second_face = &rest;
        rest.edges.push_back(&edge);
        rest.orientations.push_back(face.orientations[k]);
    }
    face.edges.resize(begin);
    face.orientations.resize(begin);
}

// Orders one face; false when its edges do not close.
bool order_face(SES_component& ses, SES_face& face, double p) {
    int begin = 0;
    int first_end = 0;
    std::uint8_t cycle = 0;
    while (begin < static_cast<int>(face.edges.size())) {
        const int end = chain_cycle(face, begin);
        if (end < 0) {
            print_out("ordonne_aretes: No cycle in face %d (nba=%d)\n", face.id, end);
            if (face.rs_face != nullptr)
                print_problem("surface", "the arcs of reentrant face %d (spheres %d %d %d) do not close into cycles",
                              face.id, face.rs_face->i, face.rs_face->j, face.rs_face->k);
            face.bad = 1;
            return false;
        }
        for (int k = begin; k < end; ++k) face.edges[k]->cycle = cycle;
        if (cycle == 0) first_end = end;
        if (end == static_cast<int>(face.edges.size())) break;
        const Vec3 t = to_double(traversal_start(face, end)->position);
        if (!inside_first_cycle(face, first_end, t, p)) {
            split_off(ses, face, end);
            break;
        }
        ++ses.holes;
        ++face.cycle_count;
        ++cycle;
        print_out("ordonne_arete: warning hole in a reentrant face %d\n", face.id);
        begin = end;
    }
    return true;
}

}  // namespace

int ordonne_aretes(SES_component& ses, double probe_radius) {
    int failed = 0;
    for (SES_face* face = ses.faces.first(); face != nullptr; face = face->next)
        if (face->type == kReentrantFace && !face->edges.empty() && !order_face(ses, *face, probe_radius)) ++failed;
    return failed;
}

}  // namespace velmesh
