#pragma once
// The reduced surface (RS): the sphere triples (faces) and pairs (edges) that
// a probe touches while rolling over the spheres, in connected components.
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
    std::uint8_t flags = 0;  // edge-done bits of the SES face walk
    std::array<std::uint8_t, 3> edge_orientations{};  // 1: the edge runs i to j in face order
};

struct RS_component {
    RS_component* next = nullptr;
    RS_component* previous = nullptr;
    SES_component* ses_component = nullptr;
    OwningList<RS_face> faces;       // the last face is the newest
    OwningList<RS_edge> edges;       // edges with faces, and the edge of a free vertex
    OwningList<RS_edge> free_edges;  // tori with no face
    int singular_face_count = 0;
    int face_pair_count = 0;
    int sphere_count = 0;  // 1 for a free vertex
    int number = 0;        // place in the list, from 0
    std::uint8_t to_visit = 0;
};

}  // namespace velmesh
