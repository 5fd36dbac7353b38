#include "surface/triangulation/ToricGrid.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <vector>

#include "surface/ses/ArcGeometry.h"
#include "surface/tree/Geometry.h"
#include "surface/triangulation/ArcSampling.h"
#include "surface/triangulation/Spacing.h"

namespace velmesh {

namespace {

constexpr double kPi = std::numbers::pi;

bool is_contact(const SES_edge& edge) {
    return (edge.type & kContactArc) != 0;
}

bool touches(const SES_edge& edge, const SES_vertex* vertex) {
    return edge.start == vertex || edge.end == vertex;
}

const SES_vertex* other_end(const SES_edge& edge, const SES_vertex* vertex) {
    return edge.start == vertex ? edge.end : edge.start;
}

// The face's arcs sorted out: the probe arc of row 0 and of the last row (the
// same seam for a full torus), the contact arc of column 0 and, unless the
// last column is a singular vertex, that of the last column.
struct ToricLayout {
    SES_edge* first_row = nullptr;
    SES_edge* last_row = nullptr;
    SES_edge* first_column = nullptr;
    SES_edge* last_column = nullptr;
    const SES_vertex* corner = nullptr;  // row 0, column 0
    bool apex = false;                   // the last column is one vertex
};

ToricLayout layout_of(const SES_face& face) {
    std::vector<SES_edge*> probe_arcs;
    std::vector<SES_edge*> contact_arcs;
    for (SES_edge* edge : face.edges) (is_contact(*edge) ? contact_arcs : probe_arcs).push_back(edge);
    if (probe_arcs.empty() || contact_arcs.empty())
        throw std::logic_error("triangulate_toric_face: face " + std::to_string(face.id) + " has no probe or contact arc");
    ToricLayout layout;
    layout.first_row = probe_arcs[0];
    layout.last_row = probe_arcs.size() > 1 ? probe_arcs[1] : probe_arcs[0];
    const auto on_contact = [&](const SES_vertex* v) {
        return std::any_of(contact_arcs.begin(), contact_arcs.end(), [&](const SES_edge* c) { return touches(*c, v); });
    };
    layout.corner = on_contact(layout.first_row->start) ? layout.first_row->start : layout.first_row->end;
    for (SES_edge* c : contact_arcs) {
        if (layout.first_column == nullptr && touches(*c, layout.corner))
            layout.first_column = c;
        else
            layout.last_column = c;
    }
    layout.apex = layout.last_column == nullptr;
    return layout;
}

class ToricGrid {
public:
    ToricGrid(RunState& run, SES_face& face) : run_(run), face_(face), layout_(layout_of(face)) {}

    void build(bool emit_triangles) {
        const RS_edge& rs = *face_.rs_edge;
        const double p = run_.probe_radius;
        const Spacing spacing = spacing_of(run_, wants_high_density(run_, {rs.i, rs.j}));
        const bool full_turn = face_.type != kToricFace;

        // Row 0: the probe arc from column 0 to the last column.
        probe_ = to_double(layout_.first_row->circle_centre);
        const SES_vertex* far_end = other_end(*layout_.first_row, layout_.corner);
        const Vec3 from = normalised(to_double(layout_.corner->position) - probe_);
        const Vec3 to = normalised(to_double(far_end->position) - probe_);
        const double probe_angle = angle_of_cosine(dot(from, to));
        const double angular_step = 2 * kPi / (spacing.circle_points * p);
        columns_ = step_count(probe_angle, angular_step);
        if (face_.narrow && columns_ == 1) columns_ = 2;

        const double rotation = full_turn ? 2 * kPi : rs.angle;
        int m = static_cast<int>(spacing.sqrt_density * kPi * characteristic_radius());
        m = std::max(m, full_turn ? 3 : 1);
        if (face_.narrow && m == 1) m = 2;
        rows_ = step_count(rotation, kPi / m);
        // The contact arc of a narrow face and another arc close a cycle
        // between the same two vertices: with no point between its ends on
        // either, both would be one chord, used by four triangles.
        if (face_.narrow && rows_ == 1) rows_ = 2;

        axis_ = rotation_axis(full_turn);
        const Vec3 torus_centre = rs.torus_centre;
        // The probe arc turns about -n from its start to its end.
        const Vec3 turn_axis = layout_.corner == layout_.first_row->start ? -layout_.first_row->normal()
                                                                          : layout_.first_row->normal();
        std::vector<Vec3> row0(columns_ + 1);
        for (int c = 0; c <= columns_; ++c)
            row0[c] = probe_ + p * rotate(from, turn_axis, probe_angle * c / columns_);

        points_.assign(static_cast<std::size_t>(rows_ + 1) * (columns_ + 1), ArcPoint{});
        for (int r = 0; r <= rows_; ++r) {
            const double angle = rotation * r / rows_;
            const Vec3 probe = torus_centre + rotate(probe_ - torus_centre, axis_, angle);
            for (int c = 0; c <= columns_; ++c) {
                const Vec3 x = torus_centre + rotate(row0[c] - torus_centre, axis_, angle);
                ArcPoint& point = at(r, c);
                point.point = to_float(x);
                point.normal = to_float((probe - x) / p);
            }
        }
        assign_vertices(full_turn);
        if (full_turn && layout_.apex) point_apex_to_probe();
        fill_point_lists(full_turn);
        if (emit_triangles) add_triangles();
    }

private:
    ArcPoint& at(int r, int c) { return points_[static_cast<std::size_t>(r) * (columns_ + 1) + c]; }

    double characteristic_radius() const {
        const double p = run_.probe_radius;
        if (layout_.apex) return 0.5 * layout_.first_column->radius;
        return (std::fabs(face_.rs_edge->torus_radius - p) + layout_.first_column->radius +
                layout_.last_column->radius) * 0.3333333;
    }

    // Turning row 0's probe about this axis by the rotation angle brings it to
    // the last row's probe: the edge's angle runs from its first face's probe
    // to its second's about its axis.
    Vec3 rotation_axis(bool full_turn) const {
        const RS_edge& rs = *face_.rs_edge;
        if (full_turn || rs.face1 == nullptr || rs.face2 == nullptr) return rs.axis;
        const bool from_first = squared_distance(probe_, rs.face1->probe) <= squared_distance(probe_, rs.face2->probe);
        return from_first ? rs.axis : -rs.axis;
    }

    // Corner points are the face's SES vertices, the last column of an apex
    // face its singular vertex, the last row of a full turn row 0 again;
    // every other point is a new vertex.
    void assign_vertices(bool full_turn) {
        const SES_vertex* far_corner = other_end(*layout_.first_row, layout_.corner);
        const SES_vertex* last_row_start = other_end(*layout_.first_column, layout_.corner);
        const SES_vertex* last_row_end =
            layout_.apex ? far_corner : other_end(*layout_.last_row, last_row_start);
        const int sphere_a = layout_.corner->sphere;
        const int sphere_b = far_corner->sphere;
        TriangulationTables& tables = run_.triangulation;
        for (int r = 0; r <= rows_; ++r) {
            for (int c = 0; c <= columns_; ++c) {
                ArcPoint& point = at(r, c);
                point.sphere = c < (columns_ + 1) / 2 ? sphere_a : sphere_b;
                const SES_vertex* vertex = nullptr;
                if (c == columns_ && layout_.apex) vertex = far_corner;
                else if (r == 0 && c == 0) vertex = layout_.corner;
                else if (r == 0 && c == columns_) vertex = far_corner;
                else if (r == rows_ && c == 0) vertex = last_row_start;
                else if (r == rows_ && c == columns_) vertex = last_row_end;
                if (vertex != nullptr) {
                    point = vertex_point(*vertex);
                    continue;
                }
                if (full_turn && r == rows_) {
                    point = at(0, c);
                    continue;
                }
                point.vertex = tables.next_vertex++;
                tables.add_vertex({point.point.x, point.point.y, point.point.z},
                                  {point.normal.x, point.normal.y, point.normal.z}, point.sphere, face_.id + 1);
            }
        }
    }

    // Where a free torus meets its axis the surface has no normal; the
    // vertex gets the direction to row 0's probe, like the points beside it.
    void point_apex_to_probe() {
        const int apex = at(0, columns_).vertex;
        MeshVertex& vertex = run_.triangulation.vertices[apex];
        const Vec3 x{vertex.point[0], vertex.point[1], vertex.point[2]};
        const Vec3 normal = normalised(probe_ - x);
        vertex.normal = {static_cast<float>(normal.x), static_cast<float>(normal.y), static_cast<float>(normal.z)};
        at(0, columns_).normal = to_float(normal);
    }

    // Whether the arc's own direction runs with growing rows along column c.
    bool runs_with_rows(const SES_edge& edge, int c) {
        if (!edge.full_circle()) return edge.start->id == at(0, c).vertex;
        const Vec3 x0 = to_double(at(0, c).point);
        const Vec3 x1 = to_double(at(1, c).point);
        return dot(arc_tangent(edge, 1, x0), x1 - x0) > 0;
    }

    void column_list(SES_edge& edge, int c) {
        const bool forward = runs_with_rows(edge, c);
        edge.points.resize(rows_ + 1);
        for (int r = 0; r <= rows_; ++r) edge.points[forward ? r : rows_ - r] = at(r, c);
    }

    void row_list(SES_edge& edge, int r) {
        const bool forward = edge.start->id == at(r, 0).vertex;
        edge.points.resize(columns_ + 1);
        for (int c = 0; c <= columns_; ++c) edge.points[forward ? c : columns_ - c] = at(r, c);
    }

    void fill_point_lists(bool full_turn) {
        row_list(*layout_.first_row, 0);
        if (!full_turn) row_list(*layout_.last_row, rows_);
        increasing_ = runs_with_rows(*layout_.first_column, 0);
        column_list(*layout_.first_column, 0);
        if (layout_.last_column != nullptr) column_list(*layout_.last_column, columns_);
        // The face walks column 0 with growing rows when it traverses that
        // arc along the arc's own direction and the arc runs with the rows,
        // or against both.
        const int k = find_index(*layout_.first_column);
        increasing_ = increasing_ == (face_.orientations[k] != 0);
    }

    int find_index(const SES_edge& edge) const {
        for (std::size_t k = 0; k < face_.edges.size(); ++k)
            if (face_.edges[k] == &edge) return static_cast<int>(k);
        return 0;
    }

    void triangle(int a, int b, int c) {
        if (increasing_)
            run_.triangulation.add_face(a, b, c, face_.id, FaceKind::toric);
        else
            run_.triangulation.add_face(a, c, b, face_.id, FaceKind::toric);
    }

    void add_triangles() {
        for (int r = 0; r < rows_; ++r) {
            for (int c = 0; c < columns_; ++c) {
                const int a = at(r, c).vertex, b = at(r + 1, c).vertex;
                const int d = at(r, c + 1).vertex, e = at(r + 1, c + 1).vertex;
                triangle(a, b, d);
                if (!(layout_.apex && c + 1 == columns_)) triangle(d, b, e);
            }
        }
    }

    RunState& run_;
    SES_face& face_;
    ToricLayout layout_;
    Vec3 probe_;
    Vec3 axis_;
    int rows_ = 1;
    int columns_ = 1;
    bool increasing_ = true;
    std::vector<ArcPoint> points_;
};

}  // namespace

void triangulate_toric_face(RunState& run, SES_face& face, bool emit_triangles) {
    ToricGrid(run, face).build(emit_triangles);
}

}  // namespace velmesh
