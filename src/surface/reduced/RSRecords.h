#pragma once
// The reduced surface (RS): the sphere triples (faces) and pairs (edges) that
// a probe of radius p touches while rolling over the spheres without entering
// any of them, in connected components.
//
// What the later stages may rely on once compute_reduced_surface has returned
// 1 (a negative result leaves whatever was built when the failure showed,
// possibly with open edges):
//
// Components
// - The run's list holds them numbered 0, 1, 2, ... in list order; every face
//   and edge of a component, and every sphere whose component pointer is the
//   component, carries that number.
// - A free-vertex component (a lone sphere) holds exactly one edge from the
//   sphere to itself (i == j, no faces, zero axis) and no faces or free edges;
//   its sphere count is 1.
// - Any other component holds faces, free edges or both. Its sphere count is
//   the number of distinct spheres its edges and free edges touch.
//
// Faces
// - A face on the spheres (i, j, k), in face order, holds in edges[0] the edge
//   on i and j, in edges[1] the edge on j and k, in edges[2] the edge on k and
//   i; edge_orientations[s] is 1 when that edge's own i is the first sphere of
//   the pair in face order, 0 otherwise.
// - normal is tri_norm of the three centres in face order, and the probe lies
//   on its side: (probe - centre of i) . normal >= 0. Seen from the probe the
//   face order runs counter-clockwise, so the normals of a component's faces
//   point out of the solid that the component bounds (into the cavity for
//   the faces of a cavity).
// - probe is free: it touches its three spheres (centre distance r + p) and
//   no sphere's centre comes nearer than r + p - 0.00001.
// - ids are distinct within the component (the face count at creation;
//   faces taken over from a merged component are renumbered after the
//   absorber's). After the twin clean-up the ids may have gaps.
// - singular is 1 when the probe sphere crosses the plane of the three
//   centres within the triangle (seen from i and from j); the component's
//   singular_face_count is the number of its singular faces.
// - twin, when set, is the face on the same spheres in reversed order, and
//   its twin is this face; face_pair_count counts such pairs.
//
// Edges (the component's `edges` list)
// - Two faces each: face1 traverses the edge from i to j (orientation 1),
//   face2 from j to i (orientation 0), so every edge is used once in each
//   direction and the faces of a component are consistently oriented.
// - axis is the unit vector from sphere i to sphere j; torus_centre and
//   torus_radius are the circle of probe centres touching both spheres.
// - angle in [0, 2 pi) turns face1's probe into face2's probe about the axis
//   (0 when four or more spheres touch one probe position). On the way the
//   probe enters no sphere, but for a removed sliver pair of twin faces,
//   whose third sphere it may enter by a thousandth of its radius.
// - contact_points[0] and [1] are where the probe touches sphere i and sphere
//   j on that circle, contact_radii their circles' radii.
// - singular_kind is 0 unless the probe reaches the axis between the two
//   spheres (p > torus radius, the torus centre between the centres): 1 when
//   the two crossing points coincide (both singular_points hold their
//   midpoint), 2 otherwise; singular_points[0] is the one nearer sphere i.
//
// Free edges (the `free_edges` list): tori that no sphere blocks, so no face
// bounds them: face1 and face2 are null, angle is 2 pi, probe_radius is the
// run's, start_probe is the torus centre plus the radius times the
// perpendicular of the axis; torus, contact and singular fields as above.
//
// Spheres: each sphere's edge list holds exactly the edges, free edges and
// self-edges that touch it; a sphere touched by no record has no component
// (component_number kNoComponent). A sphere that carries edges of several
// components points to the one of the last edge added.
#include <array>
#include <cstdint>

#include "surface/List.h"
#include "surface/Vec3.h"

namespace velmesh {

struct RS_face;
struct SES_component;
struct SES_face;

struct RS_edge {
    RS_edge* next = nullptr;
    RS_edge* previous = nullptr;
    RS_face* face1 = nullptr;
    RS_face* face2 = nullptr;  // null while the edge is open
    Vec3 axis;                 // unit vector from sphere i to sphere j (unnormalised when they coincide)
    Vec3 torus_centre;
    double torus_radius = 0;
    Vec3 start_probe;          // free edges: torus centre + radius times a perpendicular of the axis
    float probe_radius = 0;    // free edges
    double angle = 0;          // rotation between the two faces; 2 pi for a free edge
    std::array<Vec3, 2> contact_points;    // where the probe touches sphere i and sphere j
    std::array<double, 2> contact_radii{};  // radii of the contact circles on i and on j
    std::array<Vec3f, 2> singular_points;  // where the probe's path crosses the axis
    int i = -1;
    int j = -1;
    std::uint8_t singular_kind = 0;  // 0 none, 1 one merged point, 2 two points
    std::uint8_t given_up = 0;       // an open edge the flood could not close (the stage fails)
    int component_number = 0;
};

struct RS_face {
    RS_face* next = nullptr;
    RS_face* previous = nullptr;
    std::array<RS_edge*, 3> edges{};
    SES_face* reentrant_face = nullptr;
    RS_face* twin = nullptr;  // the kept face on the same three spheres
    Vec3 normal;
    Vec3 probe;
    int i = -1, j = -1, k = -1;
    int id = 0;
    int component_number = 0;
    std::uint8_t singular = 0;
    std::uint8_t flags = 0;  // the SES face walk's edge-done bits (1, 2, 4) and visited mark (8)
    std::array<std::uint8_t, 3> edge_orientations{};  // 1: the edge runs i to j in face order

    int sphere(int slot) const { return slot == 0 ? i : (slot == 1 ? j : k); }
};

struct RS_component {
    RS_component* next = nullptr;
    RS_component* previous = nullptr;
    SES_component* ses_component = nullptr;
    OwningList<RS_face> faces;       // the last face is the newest; faces.count() is the next face's id
    OwningList<RS_edge> edges;       // edges with faces, and the edge of a free vertex
    OwningList<RS_edge> free_edges;  // tori with no face
    int singular_face_count = 0;
    int face_pair_count = 0;
    int sphere_count = 0;  // 1 for a free vertex
    int number = 0;        // place in the list, from 0
    std::uint8_t to_visit = 0;
};

}  // namespace velmesh
