#include "surface/ses/SelfIntersections.h"

// Method. The reentrant surface is the part of the probe spheres that lies
// inside no other probe sphere. Each reentrant face, as the face walk built
// it, is the part of its probe sphere inside the spherical triangle of its
// reduced-surface face, already cut back along singular edges by the sphere
// of the probe beyond (the singular arc). What remains to remove are the
// parts inside the spheres of other overlapping probes: every pair of probes
// closer than 2p, except the pairs across a singular edge.
//
// All the new boundary lies on circles where two probe spheres meet, and all
// the new corners are points where three probe spheres meet (triple points,
// computed once per triple of probes so that every face sees the same
// vertex). So the pass works one circle at a time:
//
// 1. A great-circle arc (type 2) reached by another probe sphere means that
//    sphere cuts into the toric face along it as well, which no circle can
//    bound: the face is marked bad (its spheres grow on a restart).
// 2. Each pair of overlapping probes (a, b): the circle where their spheres
//    meet is split at its triple points with every probe overlapping both.
//    A piece is kept when its midpoint lies inside a's reentrant face, inside
//    b's reentrant face (a probe of a collision-only triple has none and
//    counts as its whole sphere), and inside no third probe sphere. Kept
//    pieces become intersection arcs (type 8), first face on a, second on b.
//    These tests read the faces as built, so the new arcs join the faces
//    only after all circles are done.
// 3. Each singular arc (on the circle of the two probes of its singular
//    edge) is split at its triple points with the probes overlapping both;
//    the pieces that lie inside a third probe sphere are dropped.
// 4. Every changed face is reassembled: its edges are chained into closed
//    cycles; a cycle that leaves less than half of the probe sphere to its
//    left is an outer boundary, any other a hole. Each outer cycle is a
//    reentrant face of its own (the first keeps the original record), and
//    each hole joins the outer cycle that winds about it.
// 5. Vertices that no edge uses any more are removed and the ids renumbered.

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <numbers>
#include <set>
#include <vector>

#include "surface/ses/ArcGeometry.h"
#include "surface/ses/FaceCycles.h"
#include "surface/ses/ProbeSpheres.h"
#include "surface/ses/ReentrantRegion.h"
#include "surface/ses/SESRecordMakers.h"
#include "surface/tree/Geometry.h"

namespace velmesh {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
// A cut within this length of an arc's end is at that end.
constexpr double kEndTolerance = 1e-4;
// A point counts as inside another probe sphere when it lies deeper than this.
constexpr double kInsideMargin = 1e-4;
// Points where probe spheres meet closer than this are one vertex.
constexpr double kSamePoint = 1e-4;

// A circle with angles measured counter-clockwise about -normal from e1, the
// direction in which arcs run from start to end.
struct CircleFrame {
    Vec3 centre;
    double radius = 0;
    Vec3 normal;
    Vec3 e1, e2;

    CircleFrame(const Vec3& c, double r, const Vec3& n, const Vec3& first)
        : centre(c), radius(r), normal(n), e1(first), e2(cross(-n, first)) {}

    double angle_of(const Vec3& x) const {
        const Vec3 d = x - centre;
        const double angle = std::atan2(dot(d, e2), dot(d, e1));
        return angle < 0 ? angle + kTwoPi : angle;
    }
    Vec3 at(double angle) const { return centre + radius * (std::cos(angle) * e1 + std::sin(angle) * e2); }
};

struct Cut {
    double angle;
    SES_vertex* vertex;
};

// One piece of a circle between two cuts.
struct Piece {
    SES_vertex* start;
    SES_vertex* end;
    double middle;  // angle of its midpoint
};

// An intersection arc waiting to join its faces.
struct PendingArc {
    SES_edge* edge;
    SES_face* first;
    SES_face* second;
};

using VertexKey = std::array<int, 4>;

class SelfIntersections {
public:
    SelfIntersections(SESContext& context, RS_component& component)
        : context_(context), ses_(context.ses), p_(context.p), probes_(component, context.ses, context.p) {}

    int run() {
        if (!probes_.any_cutter()) return 0;
        // Every probe sphere through two spheres that it overlaps the axis
        // of passes through the same singular points: where a third probe
        // sphere meets there, the singular vertex is the vertex.
        for (SES_vertex& vertex : ses_.vertices)
            if (vertex.kind == kSingularVertex) cells_[cell_of(to_double(vertex.position))].push_back(&vertex);
        mark_swallowed_great_circles();
        std::vector<PendingArc> pending;
        for (int a = 0; a < probes_.count(); ++a)
            for (const int b : probes_.cutters(a))
                if (b > a) intersection_arcs(a, b, pending);
        cut_singular_arcs();
        for (const PendingArc& arc : pending) join_faces(arc);
        reassemble_changed_faces();
        remove_unused_vertices();
        return problems_;
    }

private:
    const Vec3& centre(int probe) const { return probes_[probe].centre; }

    void mark_bad(SES_face* face) {
        if (face == nullptr || face->bad != 0) return;
        face->bad = 1;
        ++problems_;
    }

    bool inside_other_probe(const Vec3& x, int a, int b) const {
        const double limit = (p_ - kInsideMargin) * (p_ - kInsideMargin);
        for (const int r : probes_[a].overlapping)
            if (r != b && squared_distance(x, centre(r)) < limit) return true;
        return false;
    }

    // The face of the probe that holds x; null when none does.
    SES_face* face_holding(int probe, const Vec3& x) const {
        for (SES_face* face : probes_[probe].faces)
            if (inside_reentrant_face(*face, centre(probe), x)) return face;
        return nullptr;
    }

    // 1: another probe sphere reaching a great-circle arc.
    void mark_swallowed_great_circles() {
        for (int a = 0; a < probes_.count(); ++a) {
            const std::vector<int> cutters = probes_.cutters(a);
            if (cutters.empty()) continue;
            for (SES_face* face : probes_[a].faces)
                for (const SES_edge* edge : face->edges)
                    if (edge->type == kReentrantArc && reached_by_any(*edge, cutters)) mark_bad(face);
        }
    }

    bool reached_by_any(const SES_edge& edge, const std::vector<int>& cutters) const {
        for (const int r : cutters)
            if (distance_to_arc(edge, centre(r)) < p_ - kInsideMargin) return true;
        return false;
    }

    static double distance_to_arc(const SES_edge& edge, const Vec3& x) {
        const Vec3 m = to_double(edge.circle_centre);
        const Vec3 n = edge.normal();
        Vec3 d = x - m;
        d = d - dot(d, n) * n;
        const Vec3 start = to_double(edge.start->position);
        const Vec3 end = to_double(edge.end->position);
        if (norm(d) > kTiny) {
            const Vec3 direction = d / norm(d);
            const double angle = oriented_angle(normalised(start - m), direction, -n);
            if (edge.full_circle() || angle <= arc_sweep(edge))
                return std::sqrt(squared_distance(x, m + edge.radius * direction));
        }
        return std::sqrt(std::min(squared_distance(x, start), squared_distance(x, end)));
    }

    // The vertex where the probe spheres of the key meet (kind 3). Where
    // four or more probe spheres pass through one point, the triples give
    // points that differ only by rounding: they are one vertex.
    SES_vertex* vertex_at(const VertexKey& key, const Vec3& x) {
        const auto found = vertices_.find(key);
        if (found != vertices_.end()) return found->second;
        SES_vertex* vertex = nearby_vertex(x);
        if (vertex == nullptr) vertex = &make_vertex(key, x);
        vertices_.emplace(key, vertex);
        return vertex;
    }

    static std::array<long long, 3> cell_of(const Vec3& x) {
        return {static_cast<long long>(std::floor(x.x / kSamePoint)), static_cast<long long>(std::floor(x.y / kSamePoint)),
                static_cast<long long>(std::floor(x.z / kSamePoint))};
    }

    SES_vertex* nearby_vertex(const Vec3& x) const {
        const auto c = cell_of(x);
        for (long long i = -1; i <= 1; ++i)
            for (long long j = -1; j <= 1; ++j)
                for (long long k = -1; k <= 1; ++k) {
                    const auto found = cells_.find({c[0] + i, c[1] + j, c[2] + k});
                    if (found == cells_.end()) continue;
                    for (SES_vertex* v : found->second)
                        if (squared_distance(to_double(v->position), x) < kSamePoint * kSamePoint) return v;
                }
        return nullptr;
    }

    SES_vertex& make_vertex(const VertexKey& key, const Vec3& x) {
        Vec3 probes_centre{};
        int count = 0;
        int sphere = -1;
        double nearest = 0;
        for (int k = 0; k < 3; ++k) {
            if (key[k] < 0) continue;
            const ProbeSphere& probe = probes_[key[k]];
            probes_centre += probe.centre;
            ++count;
            for (int slot = 0; slot < 3; ++slot) {
                const int s = probe.rs_face->sphere(slot);
                const double d2 = squared_distance(x, context_.centre(s));
                if (sphere < 0 || d2 < nearest) {
                    sphere = s;
                    nearest = d2;
                }
            }
        }
        SES_vertex& vertex =
            new_ses_vertex(ses_, kIntersectionVertex, x, sphere, normalised(probes_centre / count - x));
        vertex.geometric_angle = 1;
        cells_[cell_of(x)].push_back(&vertex);
        return vertex;
    }

    // The cuts of the circle of probes a and b by every probe overlapping
    // both, sorted by angle.
    std::vector<Cut> triple_cuts(int a, int b, const CircleFrame& frame) {
        std::vector<Cut> cuts;
        for (const int r : probes_.common_overlaps(a, b)) {
            std::array<int, 3> t{a, b, r};
            std::sort(t.begin(), t.end());
            std::array<Vec3, 2> x;
            if (!triple_points(centre(t[0]), centre(t[1]), centre(t[2]), p_, x[0], x[1])) continue;
            for (int side = 0; side < 2; ++side)
                cuts.push_back({frame.angle_of(x[side]), vertex_at({t[0], t[1], t[2], side}, x[side])});
        }
        std::sort(cuts.begin(), cuts.end(), [](const Cut& x, const Cut& y) { return x.angle < y.angle; });
        cuts.erase(std::unique(cuts.begin(), cuts.end(),
                               [](const Cut& x, const Cut& y) { return x.vertex == y.vertex; }),
                   cuts.end());
        return cuts;
    }

    // The pieces of a whole circle between its cuts; a circle with fewer
    // than two cuts gets vertices of its own so that no arc closes on itself.
    std::vector<Piece> circle_pieces(int a, int b, const CircleFrame& frame, std::vector<Cut> cuts) {
        if (cuts.empty()) cuts.push_back({0.0, vertex_at({a, b, -1, 0}, frame.at(0.0))});
        if (cuts.size() == 1) {
            const double opposite = std::fmod(cuts[0].angle + std::numbers::pi, kTwoPi);
            cuts.push_back({opposite, vertex_at({a, b, -1, 1}, frame.at(opposite))});
            if (cuts[1].angle < cuts[0].angle) std::swap(cuts[0], cuts[1]);
        }
        std::vector<Piece> pieces;
        for (std::size_t k = 0; k < cuts.size(); ++k) {
            const Cut& from = cuts[k];
            const Cut& to = cuts[(k + 1) % cuts.size()];
            double span = to.angle - from.angle;
            if (k + 1 == cuts.size()) span += kTwoPi;
            if (span * frame.radius <= kEndTolerance) continue;
            pieces.push_back({from.vertex, to.vertex, from.angle + span / 2});
        }
        return pieces;
    }

    // 2: the kept pieces of the circle where the spheres of a and b meet.
    void intersection_arcs(int a, int b, std::vector<PendingArc>& pending) {
        if (probes_[a].faces.empty()) std::swap(a, b);
        if (probes_[a].faces.empty()) return;
        const double d = std::sqrt(squared_distance(centre(a), centre(b)));
        const double radius = std::sqrt(std::max(0.0, p_ * p_ - d * d / 4));
        if (radius * kTwoPi <= kEndTolerance) return;
        const Vec3 n = (centre(a) - centre(b)) / d;
        const CircleFrame frame(0.5 * (centre(a) + centre(b)), radius, n, perpendicular(n));
        const double latitude = arc_latitude(n, frame.centre, centre(a), p_);
        for (const Piece& piece : circle_pieces(a, b, frame, triple_cuts(a, b, frame))) {
            const Vec3 middle = frame.at(piece.middle);
            if (inside_other_probe(middle, a, b)) continue;
            SES_face* first = face_holding(a, middle);
            SES_face* second = probes_[b].faces.empty() ? nullptr : face_holding(b, middle);
            const bool second_holds = second != nullptr || probes_[b].faces.empty();
            if (first == nullptr && !second_holds) continue;
            if (first == nullptr || !second_holds) {
                // On one face only: the other probe's sphere is no part of
                // the surface there, its toric faces are.
                mark_bad(first != nullptr ? first : second);
                continue;
            }
            SES_edge& edge = new_ses_edge(ses_, kIntersectionArc, piece.start, piece.end, nullptr, frame.centre,
                                          radius, n);
            edge.angle = static_cast<float>(latitude);
            set_middle(edge, frame, piece.middle);
            pending.push_back({&edge, first, second});
        }
    }

    static void set_middle(SES_edge& edge, const CircleFrame& frame, double angle) {
        const Vec3 direction = (frame.at(angle) - frame.centre) / frame.radius;
        for (int c = 0; c < 3; ++c) edge.centre_data[3 + c] = direction[c];
    }

    void join_faces(const PendingArc& arc) {
        append_edge(*arc.first, *arc.edge, 1);
        changed_.insert(arc.first);
        if (arc.second != nullptr) {
            append_edge(*arc.second, *arc.edge, 0);
            changed_.insert(arc.second);
        }
    }

    // 3: singular arcs split where third probe spheres cross them.
    void cut_singular_arcs() {
        std::vector<SES_edge*> singular;
        for (SES_edge& edge : ses_.edges)
            if (edge.type == kSingularArc && edge.rs_edge != nullptr && edge.first_face != nullptr) singular.push_back(&edge);
        for (SES_edge* edge : singular) cut_singular_arc(*edge);
    }

    void cut_singular_arc(SES_edge& edge) {
        const int a = probes_.index_of(edge.first_face->rs_face);
        const RS_edge& rs = *edge.rs_edge;
        const int g = probes_.index_of(rs.face1 == edge.first_face->rs_face ? rs.face2 : rs.face1);
        if (a < 0 || g < 0) return;
        const Vec3 m = to_double(edge.circle_centre);
        const CircleFrame frame(m, edge.radius, edge.normal(), normalised(to_double(edge.start->position) - m));
        const double sweep = arc_sweep(edge);
        std::vector<Cut> cuts{{0.0, edge.start}};
        for (const Cut& cut : triple_cuts(a, g, frame))
            if (cut.angle * edge.radius > kEndTolerance && (sweep - cut.angle) * edge.radius > kEndTolerance)
                cuts.push_back(cut);
        if (cuts.size() == 1) return;
        cuts.push_back({sweep, edge.end});
        std::vector<Piece> kept;
        for (std::size_t k = 0; k + 1 < cuts.size(); ++k) {
            const double middle = (cuts[k].angle + cuts[k + 1].angle) / 2;
            if (!inside_other_probe(frame.at(middle), a, g))
                kept.push_back({cuts[k].vertex, cuts[k + 1].vertex, middle});
        }
        replace_edge(edge, frame, kept);
    }

    // Puts the pieces (in the arc's direction) in the edge's place in both
    // its faces and removes the edge.
    void replace_edge(SES_edge& edge, const CircleFrame& frame, const std::vector<Piece>& pieces) {
        std::vector<SES_edge*> made;
        for (const Piece& piece : pieces) {
            SES_edge& part = new_ses_edge(ses_, edge.type, piece.start, piece.end, edge.rs_edge,
                                          to_double(edge.circle_centre), edge.radius, edge.normal());
            part.angle = edge.angle;
            set_middle(part, frame, piece.middle);
            part.first_face = edge.first_face;
            part.second_face = edge.second_face;
            made.push_back(&part);
        }
        if (edge.first_face != nullptr) splice(*edge.first_face, edge, made, 1);
        if (edge.second_face != nullptr) splice(*edge.second_face, edge, {made.rbegin(), made.rend()}, 0);
        if ((edge.type & (kSingularArc | kIntersectionArc | kTracedArc)) != 0) --ses_.two_point_edge_count;
        ses_.edges.erase(edge);
    }

    void splice(SES_face& face, const SES_edge& edge, const std::vector<SES_edge*>& parts, std::uint8_t orientation) {
        const int at = find_edge(face, &edge);
        if (at < 0) return;
        face.edges.erase(face.edges.begin() + at);
        face.orientations.erase(face.orientations.begin() + at);
        face.edges.insert(face.edges.begin() + at, parts.begin(), parts.end());
        face.orientations.insert(face.orientations.begin() + at, parts.size(), orientation);
        changed_.insert(&face);
    }

    // 4: every changed face, chained into cycles and split into faces.
    void reassemble_changed_faces() {
        for (SES_face& face : ses_.faces)
            if (changed_.contains(&face)) reassemble(face);
    }

    // The face's edges chained head to tail into cycles; false when a chain
    // does not close.
    static bool chain_cycles(SES_face& face, std::vector<int>& ends) {
        const int count = static_cast<int>(face.edges.size());
        for (int begin = 0; begin < count;) {
            const SES_vertex* first = traversal_start(face, begin);
            int k = begin;
            while (traversal_end(face, k) != first) {
                int next = k + 1;
                while (next < count && traversal_start(face, next) != traversal_end(face, k)) ++next;
                if (next == count) return false;
                std::swap(face.edges[k + 1], face.edges[next]);
                std::swap(face.orientations[k + 1], face.orientations[next]);
                ++k;
            }
            ends.push_back(k + 1);
            begin = k + 1;
        }
        return true;
    }

    void reassemble(SES_face& face) {
        ses_.holes -= face.cycle_count - 1;
        face.cycle_count = 1;
        std::vector<int> ends;
        if (face.edges.empty() || !chain_cycles(face, ends)) {
            mark_bad(&face);
            return;
        }
        const Vec3 probe = face.rs_face->probe;
        std::vector<std::pair<int, int>> outer, holes;
        for (std::size_t c = 0; c < ends.size(); ++c) {
            const int begin = c == 0 ? 0 : ends[c - 1];
            const bool is_outer = area_left_of_cycle(face, begin, ends[c], probe, p_) < kTwoPi * p_ * p_;
            (is_outer ? outer : holes).emplace_back(begin, ends[c]);
        }
        if (outer.empty()) {
            mark_bad(&face);
            return;
        }
        std::vector<std::vector<std::pair<int, int>>> groups(outer.size());
        for (std::size_t o = 0; o < outer.size(); ++o) groups[o].push_back(outer[o]);
        for (const auto& hole : holes) groups[owner_of(face, outer, hole)].push_back(hole);
        distribute(face, groups);
    }

    // The outer cycle that winds about the hole.
    std::size_t owner_of(const SES_face& face, const std::vector<std::pair<int, int>>& outer,
                         const std::pair<int, int>& hole) const {
        if (outer.size() == 1) return 0;
        const Vec3 x = to_double(traversal_start(face, hole.first)->position);
        for (std::size_t o = 0; o < outer.size(); ++o)
            if (std::fabs(boundary_winding(face, outer[o].first, outer[o].second, face.rs_face->probe, x)) > 0.5)
                return o;
        return 0;
    }

    // The face keeps the first group; each further group becomes a
    // reentrant face of its own on the same probe.
    void distribute(SES_face& face, const std::vector<std::vector<std::pair<int, int>>>& groups) {
        const std::vector<SES_edge*> edges = face.edges;
        const std::vector<std::uint8_t> orientations = face.orientations;
        for (std::size_t g = 0; g < groups.size(); ++g) {
            SES_face* target = &face;
            if (g > 0) {
                target = &new_ses_face(ses_, kReentrantFace);
                target->rs_face = face.rs_face;
                target->corners = face.corners;
            } else {
                face.edges.clear();
                face.orientations.clear();
            }
            std::uint8_t cycle = 0;
            for (const auto& [begin, end] : groups[g]) {
                for (int k = begin; k < end; ++k) {
                    edges[k]->cycle = cycle;
                    append_edge(*target, *edges[k], orientations[k]);
                }
                ++cycle;
            }
            target->cycle_count = cycle;
            ses_.holes += cycle - 1;
        }
    }

    // 5: vertices no edge uses.
    void remove_unused_vertices() {
        std::set<const SES_vertex*> used;
        for (const SES_edge& edge : ses_.edges) {
            used.insert(edge.start);
            used.insert(edge.end);
        }
        std::vector<SES_vertex*> unused;
        for (SES_vertex& vertex : ses_.vertices)
            if (!used.contains(&vertex)) unused.push_back(&vertex);
        for (SES_vertex* vertex : unused) {
            if (vertex->kind == kSingularVertex) --ses_.singular_vertex_count;
            ses_.vertices.erase(*vertex);
        }
        int id = 0;
        for (SES_vertex& vertex : ses_.vertices) vertex.id = id++;
    }

    SESContext& context_;
    SES_component& ses_;
    const double p_;
    ProbeSpheres probes_;
    std::map<VertexKey, SES_vertex*> vertices_;
    std::map<std::array<long long, 3>, std::vector<SES_vertex*>> cells_;
    std::set<SES_face*> changed_;
    int problems_ = 0;
};

}  // namespace

int remove_self_intersections(SESContext& context, RS_component& component) {
    return SelfIntersections(context, component).run();
}

}  // namespace velmesh
