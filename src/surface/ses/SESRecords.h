#pragma once
// The analytical solvent-excluded surface (SES) of one reduced-surface
// component: reentrant faces (on probe spheres), toric faces (swept by the
// probe between two spheres) and contact faces (on the spheres), bounded by
// circular arcs.
//
// What the later stages may rely on once compute_SES has built a component
// (faces whose edges did not close, or whose contact cycle broke, carry
// `bad`; compute_SES counts them in its result):
//
// Orientation
// - Every face is bounded counter-clockwise seen from the solvent: from
//   outside its atom for a contact face, from inside its probe for a
//   reentrant face. An edge stands in its first face traversed from start to
//   end (orientation 1) and in its second face from end to start
//   (orientation 0), so the two faces along an edge traverse it in opposite
//   directions. Exceptions: the seam of a full torus has its face on both
//   sides and is listed once; an edge beside a collision-only triple (which
//   gets no reentrant face) has only its toric face, as its second face.
// - A face's edge list holds its boundary cycles one after another, cycle 0
//   first, each in traversal order: the end of every edge as traversed is the
//   start of the next edge of its cycle, and the last one's end is the first
//   one's start. A full torus is the exception: [circle on i, seam, circle on
//   j] (type 4 of a regular free edge) or [circle, seam] (the halves, types 4
//   and 5, of a singular one), an annulus or a disk cut open along the seam.
//
// Faces
// - Reentrant (type 2): one per reduced-surface face with a sphere that is
//   not collision-only; corners[s] is the contact point on the face's sphere
//   of slot s. Its arcs lie on the probe sphere: great circles (type 2) along
//   the reduced-surface edges, and on a singular edge the arc where the
//   neighbouring probe sphere cuts it (type 4).
// - Toric (type 3): one per regular reduced-surface edge, edges [reentrant
//   arc of one side (0), contact arc on that side's first sphere of the edge
//   (1), reentrant arc of the other side (0), contact arc on the second
//   sphere (1)], the side first whose face the walk came from (unless that
//   face is a collision-only triple); two per singular edge, one per sphere,
//   each of a contact arc and the two reentrant arcs that meet at the
//   singular vertex next to that sphere, in traversal order.
// - Contact (type 1): one per connected region of a sphere that the probe
//   touches; its arcs are contact arcs (bit 16 set), orientation 0; its
//   cycle_count cycles are numbered by the arcs' `cycle`. The sphere lists it
//   in its contact_faces.
//
// Arcs
// - circle_centre and radius give the arc's circle; centre_data[0..2] (n) is
//   the unit normal of its plane pointing into the face that lies on the
//   arc's own sphere: the first face (a reentrant face) for reentrant and
//   singular arcs, the second face (the contact face) for contact arcs. The
//   arc runs from start to end counter-clockwise about -n; arc_sweep is that
//   angle. For a contact arc n is the torus axis pointing away from the other
//   sphere of its edge, and the sweep is the edge's rotation angle.
// - angle is the latitude theta of the arc on its sphere (centre s, radius
//   R): sin theta = -n . (circle centre - s) / R, positive when the circle's
//   plane lies beyond the sphere's centre seen from the face. It is 0 for
//   great circles (reentrant arcs). For a contact arc theta is also the angle,
//   at the probe centre, from the direction of the torus axis to the contact
//   point, which the toric areas need; for a singular arc s is the first
//   face's probe (the two probe spheres are mirror images, so theta holds for
//   the second face as well).
// - A singular edge of kind 1 puts one singular vertex (kind 1) on its axis,
//   where each of its two faces' reentrant arcs pass; of kind 2, two singular
//   vertices and between them a singular arc (type 4) on the circle where
//   the two probe spheres meet, first face the reentrant face it was built
//   from, second face the other; its centre_data[3..5] is the unit direction
//   from the circle's centre to the arc's midpoint. Singular vertices carry
//   geometric_angle: the corner angle there comes from the arcs' tangents.
// - cap_area (full contact circles of free tori): the area of the sphere's
//   cap beyond the circle, away from the contact face.
//
// Overlapping probe spheres (SelfIntersections.cpp): a reentrant face keeps
// only what lies inside no other probe sphere.
// - Its new arcs are intersection arcs (type 8) on the circle where two probe
//   spheres meet: first face on one probe, second face on the other (none
//   when that probe's three spheres are all collision-only), no source
//   edge; latitude and centre_data as for a singular arc (the normal points
//   from the second probe to the first). The triangulation treats them as
//   singular arcs.
// - Singular arcs run between the faces at the two ends of each gap of a
//   singular circle (the probe circle of two spheres that reaches their
//   axis; SingularCircles.h), which are the two faces of the edge when it
//   is alone on its circle and cut by nothing else (the face walk's arc,
//   with its edge as source); any other is made anew without a source edge.
//   All the arcs of one circle end at one pair of singular vertices (one
//   vertex where the two points coincide).
// - Corners where three probe spheres meet are vertices of kind 3
//   (geometric_angle set, normal towards one of the probes, on the nearest
//   sphere of the probes' spheres), shared by every arc through them; a
//   circle that no third probe sphere crosses gets two kind-3 vertices of
//   its own so that no arc closes on itself.
// - A face cut in pieces becomes several reentrant faces on the same
//   reduced-surface face (same corners); the reduced-surface face points to
//   the first. A face with holes lists its outer cycle first. Face ids stay
//   dense (renumbered when a face goes) and so do vertex ids.
// - Where a cut could not be made (another probe sphere reaches over a
//   great-circle arc, so that it cuts into a toric face as well, or the
//   cuts do not close), the faces concerned stay as the face walk built
//   them, passing through one another there.
//
// Vertices: normals point into the solvent (from an atom's centre at a
// contact point, towards the probe centre on a probe sphere); a singular
// vertex holds one normal per probe sphere through it. corner_angle is the
// exterior angle of its reentrant face at the vertex, filled by the area
// computation.
#include <array>
#include <cstdint>
#include <vector>

#include "surface/List.h"
#include "surface/Vec3.h"

namespace velmesh {

struct RS_edge;
struct RS_face;

// Face types.
inline constexpr short kContactFace = 1;
inline constexpr short kReentrantFace = 2;
inline constexpr short kToricFace = 3;
inline constexpr short kFullTorusFace = 4;
inline constexpr short kSingularTorusHalfFace = 5;

// Arc type bits.
inline constexpr std::uint16_t kContactArc = 1;
inline constexpr std::uint16_t kReentrantArc = 2;
inline constexpr std::uint16_t kSingularArc = 4;
inline constexpr std::uint16_t kIntersectionArc = 8;
inline constexpr std::uint16_t kInContactFace = 16;
inline constexpr std::uint16_t kTracedArc = 32;

// Vertex kinds.
inline constexpr std::uint8_t kContactVertex = 0;
inline constexpr std::uint8_t kSingularVertex = 1;
inline constexpr std::uint8_t kIntersectionVertex = 3;

struct SES_vertex {
    SES_vertex* next = nullptr;
    SES_vertex* previous = nullptr;
    SES_vertex* merged_into = nullptr;  // the vertex that replaces this one
    std::array<float, 6> normals{};     // one normal; two for a singular vertex
    Vec3f position;
    float corner_angle = 0;  // exterior angle of its reentrant face here
    int id = 0;
    int sphere = -1;        // the sphere the vertex lies on, -1 for none
    std::uint8_t kind = 0;  // 0 ordinary, 1 singular, 3 where probe spheres meet (SelfIntersections.cpp)
    std::uint8_t geometric_angle = 0;  // the arcs' normals do not give the corner angle here
};

// One discretised point of an arc.
struct ArcPoint {
    Vec3f point;
    Vec3f normal;
    int sphere = -1;
    int vertex = -1;  // global vertex index
    int flag = 0;
};

struct SES_face;

struct SES_edge {
    SES_edge* next = nullptr;
    SES_edge* previous = nullptr;
    SES_vertex* start = nullptr;
    SES_vertex* end = nullptr;  // equal to start for a full circle
    SES_face* first_face = nullptr;   // the edge stands in it with orientation 1
    SES_face* second_face = nullptr;  // and in this one with orientation 0
    RS_edge* rs_edge = nullptr;  // null for arcs made where probe spheres overlap
    std::vector<ArcPoint> points;
    std::array<double, 6> centre_data{};  // plane normal n; a second point for types 4, 8 and 32
    Vec3f circle_centre;
    float radius = 0;
    float angle = 0;  // latitude theta
    float cap_area = 0;
    float torus_angle = 0;
    std::uint16_t type = 0;  // bits: 1 contact, 2 reentrant, 4 singular, 8 intersection, 16 in a contact face, 32, 64
    std::uint8_t cycle = 0;  // boundary cycle of its face, 0 the outer one

    Vec3 normal() const { return {centre_data[0], centre_data[1], centre_data[2]}; }
    bool full_circle() const { return start == end; }
};

struct SES_face {
    SES_face* next = nullptr;
    SES_face* previous = nullptr;
    std::array<SES_vertex*, 3> corners{};  // reentrant faces: contact points on the three spheres
    std::vector<SES_edge*> edges;
    std::vector<std::uint8_t> orientations;  // 1: the edge is traversed from its start to its end
    RS_face* rs_face = nullptr;  // source of a reentrant face
    RS_edge* rs_edge = nullptr;  // source of a toric face or full torus
    int sphere = -1;             // source of a contact face
    int id = 0;
    short type = 0;
    std::uint8_t bad = 0;  // edges not closed into cycles, a broken contact cycle, or triangulation failed
    std::uint8_t cycle_count = 1;
    std::uint8_t narrow = 0;  // toric face whose contact arc closes a contact cycle of 2 arcs
};

struct SES_component {
    SES_component* next = nullptr;
    SES_component* previous = nullptr;
    OwningList<SES_face> faces;
    OwningList<SES_edge> edges;
    OwningList<SES_vertex> vertices;
    int face_count = 0;  // also the id of the next face
    int singular_vertex_count = 0;

    int two_point_edge_count = 0;           // edges of types 4, 8 and 32
    std::array<int, 6> faces_of_type{};     // created faces by type 1 to 5, never decremented
    int number = 0;                         // component number, from 0
    int holes = 0;                          // holes found in reentrant faces
    int contact_cycle_adjustment = 0;       // boundary cycles added to contact faces beyond their first
    int shells = 1;                         // connected pieces of the surface
    float probe_radius = 0;
    // Analytical measures.
    double reentrant_area = 0, toric_area = 0, contact_area = 0, ses_area = 0, sas_area = 0;
    double ses_volume = 0, sas_volume = 0;
    // Measures of the triangulation.
    double numerical_ses_area = 0, numerical_sas_area = 0, numerical_ses_volume = 0, numerical_sas_volume = 0;
    float analytical_genus = 0;
    float triangulated_genus = 0;
};

}  // namespace velmesh
