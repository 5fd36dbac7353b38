#pragma once
// One sphere of the input (an atom). Its index is its place in the run's
// sphere array.
#include <cstdint>
#include <string>
#include <vector>

#include "surface/Vec3.h"
#include "surface/input/SphereAreas.h"

namespace velmesh {

struct RS_edge;
struct RS_component;
struct SES_face;

inline constexpr int kNoComponent = -1;

struct Atom {
    std::vector<RS_edge*> edges;          // the reduced-surface edges that touch the sphere
    RS_component* component = nullptr;    // component of the last edge added
    std::vector<SES_face*> contact_faces;  // the sphere's contact faces
    SphereAreas areas;                     // per SES component: its share of the SES area, its SAS area
    float x = 0, y = 0, z = 0;
    float r = 0;  // grows by 0.1 steps in restarts
    short radius_class = 0;
    std::uint8_t mark = 0;            // a failed stage asks for a larger radius
    std::uint8_t free_edge_mark = 0;  // treated by the free-edge search
    std::uint8_t no_rs_edge = 0;      // the reduced surface found no face or free torus on it
    int flags = 1;                    // as read; 0: collision only
    int component_number = kNoComponent;
    int sixth_column = 0;  // 1 selects the high-density templates
    std::string name;

    Vec3 centre() const { return {x, y, z}; }
    bool collision_only() const { return flags == 0; }
};

}  // namespace velmesh
