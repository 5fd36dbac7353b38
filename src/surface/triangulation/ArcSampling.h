#pragma once
// The points of an SES arc as the mesh uses them: each arc is sampled once,
// its point list running from its start vertex to its end vertex, and both
// faces along the arc take their boundary points from that list, so the mesh
// has no cracks.
#include <vector>

#include "surface/RunState.h"

namespace velmesh {

// The angle the arc turns from start to end about -n: 2 pi for a full circle.
double arc_turn(const SES_edge& edge);

// The point at `angle` along the arc from its start.
Vec3 point_along(const SES_edge& edge, double angle);

// The mesh vertex of an SES vertex (its own index in the table).
ArcPoint vertex_point(const SES_vertex& vertex);

// Gives every arc that has no point list yet one of at least 2 segments
// (one per 2 pi / circle_points of arc per unit radius) and adds its interior
// points to the tables, with face number -(first face id + 1).
void sample_remaining_arcs(RunState& run, SES_component& component);

// The arc's points in the order a face traverses it with the orientation.
void traversal_points(const SES_edge& edge, std::uint8_t orientation, std::vector<const ArcPoint*>& out);

}  // namespace velmesh
