#pragma once
// The analytical solvent-excluded surface (SES) of one reduced-surface
// component: reentrant faces (on probe spheres), toric faces (swept by the
// probe between two spheres) and contact faces (on the spheres), bounded by
// circular arcs.
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

struct SES_vertex {
    SES_vertex* next = nullptr;
    SES_vertex* previous = nullptr;
    SES_vertex* merged_into = nullptr;  // the vertex that replaces this one
    std::array<float, 6> normals{};     // one normal; two for a singular vertex
    Vec3f position;
    int word = 0;
    int id = 0;
    int sphere = -1;        // the sphere the vertex lies on, -1 for none
    std::uint8_t kind = 0;  // 0 ordinary, 1 singular, 3 where three probe spheres meet
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
    RS_edge* rs_edge = nullptr;
    std::vector<ArcPoint> points;
    std::array<double, 6> centre_data{};  // an axis or plane normal; a second point for types 4, 8 and 32
    Vec3f circle_centre;
    float radius = 0;
    float angle = 0;
    float cap_area = 0;
    float torus_angle = 0;
    std::uint16_t type = 0;  // bits: 1 contact, 2 reentrant, 4 singular, 8 intersection, 16 in a contact face, 32, 64
    std::uint8_t cycle = 0;  // boundary cycle of its face, 0 the outer one
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
    std::uint8_t bad = 0;  // edges not closed into cycles, or triangulation failed
    std::uint8_t cycle_count = 1;
    std::uint8_t narrow = 0;
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
    int contact_cycle_adjustment = 0;       // net boundary cycles added to contact faces
    int shells = 1;
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
