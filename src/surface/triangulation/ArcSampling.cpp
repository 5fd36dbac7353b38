#include "surface/triangulation/ArcSampling.h"

#include <cmath>
#include <numbers>

#include "surface/ses/ArcGeometry.h"
#include "surface/tree/Geometry.h"
#include "surface/triangulation/Spacing.h"

namespace velmesh {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

// The probe centre of the reentrant face the arc bounds, when it has one.
const Vec3* probe_of(const SES_edge& edge) {
    for (const SES_face* face : {edge.first_face, edge.second_face})
        if (face != nullptr && face->type == kReentrantFace && face->rs_face != nullptr) return &face->rs_face->probe;
    return nullptr;
}

int face_number_of(const SES_edge& edge) {
    const SES_face* face = edge.first_face != nullptr ? edge.first_face : edge.second_face;
    return face != nullptr ? -(face->id + 1) : 0;
}

void sample_arc(RunState& run, SES_edge& edge) {
    TriangulationTables& tables = run.triangulation;
    const Spacing spacing = spacing_of(run, wants_high_density(run, {edge.start->sphere, edge.end->sphere}));
    const double turn = arc_turn(edge);
    const int segments = std::max(2, static_cast<int>(turn * spacing.circle_points * edge.radius / kTwoPi));
    const Vec3* probe = probe_of(edge);
    const Vec3 centre = to_double(edge.circle_centre);
    const int face_number = face_number_of(edge);
    edge.points.clear();
    edge.points.reserve(segments + 1);
    edge.points.push_back(vertex_point(*edge.start));
    for (int j = 1; j < segments; ++j) {
        const Vec3 x = point_along(edge, j * turn / segments);
        Vec3 normal = probe != nullptr ? *probe - x : centre - x;
        normalise(normal);
        ArcPoint point;
        point.point = to_float(x);
        point.normal = to_float(normal);
        point.sphere = j < (segments + 1) / 2 ? edge.start->sphere : edge.end->sphere;
        point.vertex = tables.next_vertex++;
        tables.add_vertex({point.point.x, point.point.y, point.point.z},
                          {point.normal.x, point.normal.y, point.normal.z}, point.sphere, face_number);
        edge.points.push_back(point);
    }
    edge.points.push_back(vertex_point(*edge.end));
}

}  // namespace

double arc_turn(const SES_edge& edge) {
    return edge.full_circle() ? kTwoPi : arc_sweep(edge);
}

Vec3 point_along(const SES_edge& edge, double angle) {
    const Vec3 centre = to_double(edge.circle_centre);
    const Vec3 u = to_double(edge.start->position) - centre;
    return centre + rotate(u, -edge.normal(), angle);
}

ArcPoint vertex_point(const SES_vertex& vertex) {
    ArcPoint point;
    point.point = vertex.position;
    point.normal = {vertex.normals[0], vertex.normals[1], vertex.normals[2]};
    point.sphere = vertex.sphere;
    point.vertex = vertex.id;
    return point;
}

void sample_remaining_arcs(RunState& run, SES_component& component) {
    for (SES_edge& edge : component.edges) {
        if ((edge.type & kIntersectionArc) != 0) edge.type = static_cast<std::uint16_t>((edge.type & ~kIntersectionArc) | kSingularArc);
        if (edge.points.empty()) sample_arc(run, edge);
    }
}

void traversal_points(const SES_edge& edge, std::uint8_t orientation, std::vector<const ArcPoint*>& out) {
    const int count = static_cast<int>(edge.points.size());
    for (int k = 0; k + 1 < count; ++k) out.push_back(&edge.points[orientation != 0 ? k : count - 1 - k]);
}

}  // namespace velmesh
