#include "surface/ses/SelfIntersections.h"

// Method. The reentrant surface is the part of the probe spheres that lies
// inside no other probe sphere. Each reentrant face, as the face walk built
// it, is the part of its probe sphere inside the spherical triangle towards
// its three spheres, cut back along singular edges by the sphere of the probe
// beyond (the singular arc). What remains to remove are the parts inside the
// spheres of other probes.
//
// 1. All the new boundary lies on circles where two probe spheres meet, and
//    all the new corners are points where three meet (CutVertices.h: made
//    once, shared by every circle through them). For every pair of probes
//    whose spheres reach into the other's spherical triangle, the circle
//    where they meet is split at its points with every third probe sphere
//    that may cut both (ProbeSpheres::partners: among them the companions
//    of either, probes a hair's breadth away on the next face of one
//    position, where the circle passes from one's face to the other's); a
//    piece is kept when its
//    midpoint lies inside no third sphere and in the regions of both faces
//    (ProbeSpheres::in_region; a probe of a collision-only triple has no face
//    and counts as its whole sphere). Kept pieces become intersection arcs
//    (type 8), first face on one probe, second on the other.
// 2. Probes on a singular circle together (SingularCircles.h) meet only
//    where the halves of all the circles they share overlap: their circle is
//    split at those circles' singular points as well, and a piece must lie
//    on every half besides. Those pieces are the singular arcs (type 4), and
//    replace every singular arc that the face walk built.
// 3. A probe sphere that reaches over one of a face's great-circle arcs cuts
//    the toric face beyond as well, and a piece that lies in one face's
//    region but not in the other's means the same: those are left alone
//    (below). The toric face would need a cut that is no circle.
// 4. The probes that the cuts tie together (by an arc, a circle or a shared
//    corner) form clusters. For each probe of a cluster the arcs that remain
//    and the new ones are chained into closed cycles (BoundaryCycles.h); a
//    cycle that leaves less than half the probe sphere to its left is an
//    outer boundary, any other a hole, which joins the outer cycle around
//    it. Each outer cycle with its holes is a reentrant face (the probe's
//    existing faces first). A cluster is applied only when every probe in it
//    closes this way; otherwise its new arcs are dropped and its faces stay
//    as they were: closed, but passing through one another there. They are
//    marked bad, so the run tries again with their spheres grown, or fails.
// 5. Vertices that no edge uses any more are removed and the ids renumbered.

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "surface/Console.h"
#include "surface/ses/ArcGeometry.h"
#include "surface/ses/BoundaryCycles.h"
#include "surface/ses/CutVertices.h"
#include "surface/ses/ProbeSpheres.h"
#include "surface/ses/SESRecordMakers.h"
#include "surface/ses/SingularCircles.h"
#include <utility>
#include "surface/tree/Geometry.h"

namespace velmesh {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
// A probe sphere that reaches less deep than this into a spherical triangle
// only touches it.
constexpr double kReach = 1e-6;
// A probe sphere that reaches less deep than this over a great-circle arc
// cuts the toric face beyond too little to matter.
constexpr double kGreatArcReach = 1e-4;
// Probe centres closer than this meet in no usable circle.
constexpr double kNoCircle = 1e-9;

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

// A point where a circle is cut: where a third probe sphere crosses it (its
// vertex made only once a kept piece ends there), or a vertex that exists.
struct Cut {
    double angle;
    Vec3 x;
    std::array<int, 4> key{};  // the probes that meet there (-1 for none) and which of their two points
    SES_vertex* vertex = nullptr;
};

// One piece of a circle between two cuts.
struct Piece {
    std::size_t start;  // cuts
    std::size_t end;
    double middle;  // angle of its midpoint
};

// An intersection arc made for the probes (second -1 for a collision-only
// triple's probe), waiting to join their faces.
struct NewArc {
    SES_edge* edge;
    int first;
    int second;
};

// Probes tied together by cuts.
class Clusters {
public:
    explicit Clusters(int count) : parent_(count) { std::iota(parent_.begin(), parent_.end(), 0); }
    int root(int x) {
        while (parent_[x] != x) x = parent_[x] = parent_[parent_[x]];
        return x;
    }
    void join(int a, int b) {
        if (a < 0 || b < 0) return;
        a = root(a);
        b = root(b);
        if (a != b) parent_[std::max(a, b)] = std::min(a, b);
    }

private:
    std::vector<int> parent_;
};

// One outer cycle with its holes, each a run of arcs.
using FaceGroup = std::vector<std::vector<FaceArc>>;

class SelfIntersections {
public:
    SelfIntersections(SESContext& context, RS_component& component)
        : context_(context), ses_(context.ses), p_(context.p), component_(component), probes_(context, component),
          clusters_(probes_.count()), applied_(probes_.count(), 0) {}

    int run() {
        const SingularCircles circles = find_singular_circles(context_, component_, probes_);
        vertices_removed_ = circles.vertices_removed;
        // The face walk's singular arcs, each from its first face.
        for (int probe = 0; probe < probes_.count(); ++probe)
            for (SES_face* face : probes_[probe].faces)
                for (SES_edge* edge : face->edges)
                    if (edge->type == kSingularArc && edge->first_face == face) old_singular_.push_back({edge, probe});
        CutVertices vertices(context_, probes_, circles.singular_vertices);
        vertices_ = &vertices;
        std::vector<int> partners;
        std::vector<long long> keys;
        keys.reserve(circles.halves.size());
        for (const auto& [key, halves] : circles.halves) keys.push_back(key);
        std::sort(keys.begin(), keys.end());
        for (const long long key : keys) {
            const std::vector<CircleHalf>& halves = circles.halves.at(key);
            if (std::all_of(halves.begin(), halves.end(), [](const CircleHalf& h) { return h.across_gap; }))
                cut_circle(static_cast<int>(key >> 32), static_cast<int>(key & 0xffffffff), &halves, partners);
        }
        std::vector<int> near;
        for (int a = 0; a < probes_.count(); ++a) {
            probes_.overlapping(a, near);
            for (const int b : near)
                if (b > a && probes_.may_cut(a, b) && !probes_.circle_mates(a, b)) cut_pair(a, b, partners);
        }
        // The faces of the singular arcs that give way.
        for (const auto& [edge, probe] : old_singular_) {
            if (kept_old_.contains(edge)) continue;
            touched_.push_back(probe);
            if (edge->second_face != nullptr && edge->second_face->rs_face != nullptr) {
                const int other = probes_.index_of(edge->second_face->rs_face);
                touched_.push_back(other);
                clusters_.join(probe, other);
            }
        }
        vertices.for_each_sharing([&](int a, int b) { clusters_.join(a, b); });
        const int problems = apply_clusters();
        vertices_ = nullptr;
        if (vertices_removed_) renumber_vertices();
        renumber_faces();
        return problems;
    }

private:
    const Vec3& centre(int probe) const { return probes_[probe].centre; }
    bool has_faces(int probe) const { return !probes_[probe].faces.empty(); }

    bool inside_any(const Vec3& x, const std::vector<int>& spheres) const {
        for (const int c : spheres)
            if (squared_distance(x, centre(c)) < p_ * p_) return true;
        return false;
    }

    // Whether b's sphere reaches over one of the great-circle arcs of a's
    // faces.
    bool reaches_great_arc(int a, int b) const {
        const Vec3 apart = centre(b) - centre(a);
        const double d = norm(apart);
        const Vec3 w = apart / d;
        const double cos_alpha = d / (2 * p_);
        const double sin_alpha = std::sqrt(std::max(0.0, 1 - cos_alpha * cos_alpha));
        for (const SES_face* face : probes_[a].faces)
            for (const SES_edge* edge : face->edges) {
                if (edge->type != kReentrantArc) continue;
                const Vec3 from = normalised(to_double(edge->start->position) - centre(a));
                const Vec3 to = normalised(to_double(edge->end->position) - centre(a));
                // The arc turns about -n from its start; the shorter way, or
                // else the whole circle is the bound.
                const double nearest =
                    dot(cross(from, to), edge->normal()) <= 0 ? nearest_on_great_arc(w, from, to) : 1.0;
                if (cap_reaches(nearest, cos_alpha, sin_alpha, kGreatArcReach / p_)) return true;
            }
        return false;
    }

    void leave_alone(int a, int b) {
        clusters_.join(a, b);
        unsupported_.push_back(a);
        unsupported_.push_back(b);
    }

    // The points where the partners' spheres cut the circle of probes a and
    // b.
    void cuts_by(int a, int b, const std::vector<int>& partners, const CircleFrame& frame, std::vector<Cut>& cuts) const {
        for (const int c : partners) {
            std::array<int, 3> t{a, b, c};
            std::sort(t.begin(), t.end());
            std::array<Vec3, 2> x;
            if (!triple_points(centre(t[0]), centre(t[1]), centre(t[2]), p_, x[0], x[1])) continue;
            for (int side = 0; side < 2; ++side)
                cuts.push_back({frame.angle_of(x[side]), x[side], {t[0], t[1], t[2], side}, nullptr});
        }
    }

    // Sorts the cuts by angle and makes cuts closer than kSamePoint one (the
    // one with a vertex, or the first); a circle with fewer than two cuts
    // gets points of its own so that no arc closes on itself.
    void order_cuts(int a, int b, const CircleFrame& frame, std::vector<Cut>& cuts) const {
        std::sort(cuts.begin(), cuts.end(), [](const Cut& x, const Cut& y) { return x.angle < y.angle; });
        std::vector<Cut> merged;
        merged.reserve(cuts.size());
        const auto same = [](const Cut& x, const Cut& y) { return squared_distance(x.x, y.x) < kSamePoint * kSamePoint; };
        for (Cut& cut : cuts) {
            if (!merged.empty() && same(merged.back(), cut)) {
                if (merged.back().vertex == nullptr && cut.vertex != nullptr) merged.back() = cut;
                continue;
            }
            merged.push_back(cut);
        }
        if (merged.size() > 1 && same(merged.front(), merged.back())) {
            if (merged.front().vertex == nullptr && merged.back().vertex != nullptr) merged.front() = merged.back();
            merged.pop_back();
        }
        if (merged.empty()) merged.push_back({0.0, frame.at(0.0), {a, b, -1, 0}, nullptr});
        if (merged.size() == 1) {
            const double opposite = std::fmod(merged[0].angle + std::numbers::pi, kTwoPi);
            merged.push_back({opposite, frame.at(opposite), {a, b, -1, 1}, nullptr});
            if (merged[1].angle < merged[0].angle) std::swap(merged[0], merged[1]);
        }
        cuts = std::move(merged);
    }

    // The pieces of the whole circle between its ordered cuts.
    static std::vector<Piece> circle_pieces(const std::vector<Cut>& cuts) {
        std::vector<Piece> pieces;
        for (std::size_t k = 0; k < cuts.size(); ++k) {
            const std::size_t next = (k + 1) % cuts.size();
            double span = cuts[next].angle - cuts[k].angle;
            if (next == 0) span += kTwoPi;
            pieces.push_back({k, next, cuts[k].angle + span / 2});
        }
        return pieces;
    }

    // The cut's vertex, made for probe a when it has none yet.
    SES_vertex* vertex_of(Cut& cut, int a) {
        if (cut.vertex == nullptr) cut.vertex = vertices_->at(cut.key[0], cut.key[1], cut.key[2], cut.key[3], cut.x, a);
        return cut.vertex;
    }

    // The face walk's singular arc of a's faces from `start` to `end`.
    SES_edge* old_arc(int a, const SES_vertex* start, const SES_vertex* end) const {
        for (const SES_face* face : probes_[a].faces)
            for (SES_edge* edge : face->edges)
                if (edge->type == kSingularArc && edge->start == start && edge->end == end) return edge;
        return nullptr;
    }

    static void set_middle(SES_edge& edge, const CircleFrame& frame, double angle) {
        const Vec3 direction = (frame.at(angle) - frame.centre) / frame.radius;
        for (int c = 0; c < 3; ++c) edge.centre_data[3 + c] = direction[c];
    }

    // Two probes that are no circle mates: cut when either's sphere reaches
    // into the other's spherical triangle.
    void cut_pair(int a, int b, std::vector<int>& partners) {
        if (!has_faces(a)) std::swap(a, b);
        if (!has_faces(a)) return;
        const bool into_a = probes_.reaches_into_triangle(a, b, kReach);
        const bool into_b = has_faces(b) && probes_.reaches_into_triangle(b, a, kReach);
        if (!into_a && !into_b) return;
        if ((into_a && reaches_great_arc(a, b)) || (into_b && reaches_great_arc(b, a))) {
            leave_alone(a, b);
            return;
        }
        cut_circle(a, b, nullptr, partners);
    }

    // The kept pieces of the circle where the spheres of a and b meet: on
    // every half of the shared singular circles when there are any.
    void cut_circle(int a, int b, const std::vector<CircleHalf>* halves, std::vector<int>& partners) {
        if (!has_faces(a)) std::swap(a, b);
        if (!has_faces(a)) return;
        const double d = std::sqrt(squared_distance(centre(a), centre(b)));
        if (d <= kNoCircle) {
            leave_alone(a, b);
            return;
        }
        const double radius = std::sqrt(std::max(0.0, p_ * p_ - d * d / 4));
        const Vec3 n = (centre(a) - centre(b)) / d;
        const CircleFrame frame(0.5 * (centre(a) + centre(b)), radius, n, perpendicular(n));
        const double latitude = arc_latitude(n, frame.centre, centre(a), p_);
        probes_.partners(a, b, partners);
        std::vector<Cut> cuts;
        cuts_by(a, b, partners, frame, cuts);
        if (halves != nullptr)
            for (const CircleHalf& half : *halves)
                for (SES_vertex* end : half.ends) {
                    const Vec3 x = to_double(end->position);
                    cuts.push_back({frame.angle_of(x), x, {}, end});
                }
        order_cuts(a, b, frame, cuts);
        std::vector<Piece> kept;
        for (const Piece& piece : circle_pieces(cuts)) {
            const Vec3 middle = frame.at(piece.middle);
            if (inside_any(middle, partners)) continue;
            if (halves != nullptr &&
                !std::all_of(halves->begin(), halves->end(), [&](const CircleHalf& h) { return h.holds(middle); }))
                continue;
            const bool in_a = probes_.in_region(a, middle, b);
            const bool in_b = !has_faces(b) || probes_.in_region(b, middle, a);
            if (in_a != in_b) {
                leave_alone(a, b);
                return;
            }
            if (in_a) kept.push_back(piece);
        }
        // An edge alone on its circle and cut by nothing keeps the face
        // walk's arc.
        if (halves != nullptr && halves->size() == 1 && halves->front().lone_edge && kept.size() == 1)
            if (SES_edge* same = old_arc(a, cuts[kept.front().start].vertex, cuts[kept.front().end].vertex)) {
                kept_old_.insert(same);
                return;
            }
        const std::uint16_t type = halves != nullptr ? kSingularArc : kIntersectionArc;
        for (const Piece& piece : kept) {
            SES_vertex* start = vertex_of(cuts[piece.start], a);
            SES_vertex* end = vertex_of(cuts[piece.end], a);
            if (start == end) continue;
            SES_edge& edge = new_ses_edge(ses_, type, start, end, nullptr, frame.centre, radius, n);
            edge.angle = static_cast<float>(latitude);
            set_middle(edge, frame, piece.middle);
            new_arcs_.push_back({&edge, a, has_faces(b) ? b : -1});
            clusters_.join(a, b);
        }
    }

    // 5: the boundary of each probe of each cluster, chained and grouped,
    // then applied or dropped cluster by cluster.
    int apply_clusters() {
        std::unordered_map<int, std::vector<int>> members;
        const auto touch = [&](int probe) {
            if (probe >= 0) members[clusters_.root(probe)].push_back(probe);
        };
        std::vector<std::vector<int>> arcs_of_probe(probes_.count());
        for (std::size_t k = 0; k < new_arcs_.size(); ++k) {
            arcs_of_probe[new_arcs_[k].first].push_back(static_cast<int>(k));
            touch(new_arcs_[k].first);
            if (new_arcs_[k].second >= 0) {
                arcs_of_probe[new_arcs_[k].second].push_back(static_cast<int>(k));
                touch(new_arcs_[k].second);
            }
        }
        for (const int probe : touched_) touch(probe);
        std::unordered_set<int> unsupported;
        for (const int probe : unsupported_) {
            unsupported.insert(clusters_.root(probe));
            touch(probe);
        }

        int problems = 0;
        int left = 0;
        std::vector<int> roots;
        for (auto& [root, list] : members) roots.push_back(root);
        std::sort(roots.begin(), roots.end());
        for (const int root : roots) {
            std::vector<int>& list = members[root];
            std::sort(list.begin(), list.end());
            list.erase(std::unique(list.begin(), list.end()), list.end());
            std::vector<std::vector<FaceGroup>> plans(list.size());
            const bool supported = !unsupported.contains(root);
            bool closes = supported;
            std::size_t open = 0;
            for (; open < list.size() && closes; ++open) closes = plan_probe(list[open], arcs_of_probe[list[open]], plans[open]);
            if (closes) {
                for (std::size_t k = 0; k < list.size(); ++k) {
                    apply_probe(list[k], plans[k]);
                    applied_[list[k]] = 1;
                }
                continue;
            }
            report_uncut(list, supported ? list[open - 1] : -1);
            problems += mark_bad(list);
            left += drop_cluster(list, arcs_of_probe);
        }
        // The face walk's singular arcs, replaced where the cuts were applied.
        for (const auto& [edge, probe] : old_singular_)
            if (probe >= 0 && applied_[probe] != 0 && !kept_old_.contains(edge)) {
                --ses_.two_point_edge_count;
                ses_.edges.erase(*edge);
            }
        // With a restart to follow, the marked faces' spheres grow and the
        // surface is built anew; the warning is for a surface that keeps them.
        const RunState& run = context_.run;
        const bool restart_follows = (run.restart || run.restart_on_triangulation) && run.attempt < run.max_attempts;
        if (left > 0 && !restart_follows)
            print_out("WARNING: self-intersections of surface component %d left in place at %d reentrant faces\n",
                      ses_.number, left);
        return problems;
    }

    // The arcs that bound the probe's faces once cut: its faces' own but the
    // singular arcs, and its new arcs.
    std::vector<FaceArc> boundary_of(int probe, const std::vector<int>& new_arcs) const {
        std::vector<FaceArc> arcs;
        for (const SES_face* face : probes_[probe].faces)
            for (std::size_t k = 0; k < face->edges.size(); ++k)
                if (face->edges[k]->type != kSingularArc || kept_old_.contains(face->edges[k]))
                    arcs.push_back({face->edges[k], face->orientations[k]});
        for (const int k : new_arcs) {
            const NewArc& arc = new_arcs_[k];
            arcs.push_back({arc.edge, static_cast<std::uint8_t>(arc.first == probe ? 1 : 0)});
        }
        return arcs;
    }

    // The probe's cut boundary as faces: false when it does not close into
    // cycles with at least one outer boundary.
    bool plan_probe(int probe, const std::vector<int>& new_arcs, std::vector<FaceGroup>& groups) const {
        if (!has_faces(probe)) return true;
        std::vector<FaceArc> arcs = boundary_of(probe, new_arcs);
        const Vec3& c = centre(probe);
        const std::vector<int> ends = chain_into_cycles(arcs, c);
        if (ends.empty()) return false;
        std::vector<std::vector<FaceArc>> outer, holes;
        for (std::size_t k = 0; k < ends.size(); ++k) {
            const int begin = k == 0 ? 0 : ends[k - 1];
            std::vector<FaceArc> cycle(arcs.begin() + begin, arcs.begin() + ends[k]);
            const bool is_outer = area_left_of_cycle(cycle, c, p_) < kTwoPi * p_ * p_;
            (is_outer ? outer : holes).push_back(std::move(cycle));
        }
        if (outer.empty()) return false;
        groups.assign(outer.size(), {});
        for (std::size_t o = 0; o < outer.size(); ++o) groups[o].push_back(std::move(outer[o]));
        for (auto& hole : holes) {
            int owner = 0;
            if (groups.size() > 1) {
                owner = -1;
                const Vec3 x = hole_point(hole);
                for (std::size_t o = 0; o < groups.size() && owner < 0; ++o)
                    if (inside_cycle(groups[o].front(), c, p_, x) == 1) owner = static_cast<int>(o);
                if (owner < 0) return false;
            }
            groups[owner].push_back(std::move(hole));
        }
        return true;
    }

    // A point of the hole's boundary away from its corners: the middle of
    // its first arc.
    static Vec3 hole_point(const std::vector<FaceArc>& hole) {
        const SES_edge& edge = *hole.front().edge;
        const Vec3 m = to_double(edge.circle_centre);
        const Vec3 from = normalised(to_double(edge.start->position) - m);
        return m + static_cast<double>(edge.radius) * rotate(from, -edge.normal(), arc_sweep(edge) / 2);
    }

    // The probe's faces take the groups: its existing faces first, new
    // reentrant faces on the same reduced-surface face for the rest; faces
    // left over are removed.
    void apply_probe(int probe, const std::vector<FaceGroup>& groups) {
        if (!has_faces(probe)) return;
        std::vector<SES_face*> faces = probes_[probe].faces;
        SES_face& model = *faces.front();
        for (const SES_face* face : faces) ses_.holes -= face->cycle_count - 1;
        for (std::size_t g = 0; g < groups.size(); ++g) {
            SES_face* target = g < faces.size() ? faces[g] : nullptr;
            if (target == nullptr) {
                target = &new_ses_face(ses_, kReentrantFace);
                target->rs_face = model.rs_face;
                target->corners = model.corners;
            }
            target->edges.clear();
            target->orientations.clear();
            std::uint8_t cycle = 0;
            for (const auto& run : groups[g]) {
                for (const FaceArc& arc : run) {
                    arc.edge->cycle = cycle;
                    append_edge(*target, *arc.edge, arc.orientation);
                }
                ++cycle;
            }
            target->cycle_count = cycle;
            ses_.holes += cycle - 1;
        }
        for (std::size_t f = groups.size(); f < faces.size(); ++f) {
            if (model.rs_face->reentrant_face == faces[f]) model.rs_face->reentrant_face = faces.front();
            ses_.faces.erase(*faces[f]);
            faces_removed_ = true;
        }
    }

    // Why a cluster of overlapping probe spheres is left uncut: a probe
    // sphere that reaches over a great-circle arc of another's face, or a
    // piece of their circle in one's face but not in the other's (the cut
    // would run into a toric face), or the cut boundary of `open` that does
    // not close into cycles.
    void report_uncut(const std::vector<int>& list, int open) const {
        const RS_face* rs = probes_[list.front()].rs_face;
        const int a = rs != nullptr ? rs->i : -1, b = rs != nullptr ? rs->j : -1, c = rs != nullptr ? rs->k : -1;
        if (open < 0) {
            print_problem("surface",
                          "%zu overlapping probe spheres (the first on spheres %d %d %d) are left uncut: one reaches "
                          "over a side of another's face into the toric face beyond",
                          list.size(), a, b, c);
            return;
        }
        const RS_face* at = probes_[open].rs_face;
        print_problem("surface",
                      "%zu overlapping probe spheres (the first on spheres %d %d %d) are left uncut: the cut faces of "
                      "the probe on spheres %d %d %d do not close",
                      list.size(), a, b, c, at != nullptr ? at->i : -1, at != nullptr ? at->j : -1,
                      at != nullptr ? at->k : -1);
    }

    int mark_bad(const std::vector<int>& list) {
        int count = 0;
        for (const int probe : list)
            for (SES_face* face : probes_[probe].faces)
                if (face->bad == 0) {
                    face->bad = 1;
                    ++count;
                }
        return count;
    }

    // Drops the cluster's new arcs; returns the number of its probes' faces.
    int drop_cluster(const std::vector<int>& list, const std::vector<std::vector<int>>& arcs_of_probe) {
        std::unordered_set<int> dropped;
        for (const int probe : list)
            for (const int k : arcs_of_probe[probe]) dropped.insert(k);
        for (const int k : dropped) {
            NewArc& arc = new_arcs_[k];
            --ses_.two_point_edge_count;
            ses_.edges.erase(*arc.edge);
            arc.edge = nullptr;
        }
        std::vector<SES_vertex*> made;
        vertices_->for_each_made([&](SES_vertex* vertex, int maker) {
            if (std::binary_search(list.begin(), list.end(), maker)) made.push_back(vertex);
        });
        for (SES_vertex* vertex : made) {
            vertices_->forget(vertex);
            ses_.vertices.erase(*vertex);
            vertices_removed_ = true;
        }
        int faces = 0;
        for (const int probe : list) faces += static_cast<int>(probes_[probe].faces.size());
        return faces;
    }

    void renumber_vertices() {
        int id = 0;
        for (SES_vertex& vertex : ses_.vertices) vertex.id = id++;
    }

    void renumber_faces() {
        if (!faces_removed_) return;
        int id = 0;
        for (SES_face& face : ses_.faces) face.id = id++;
        ses_.face_count = id;
    }

    SESContext& context_;
    SES_component& ses_;
    const double p_;
    RS_component& component_;
    ProbeSpheres probes_;
    Clusters clusters_;
    CutVertices* vertices_ = nullptr;
    std::vector<NewArc> new_arcs_;
    std::vector<std::pair<SES_edge*, int>> old_singular_;  // with the probe of its first face
    std::unordered_set<const SES_edge*> kept_old_;
    std::vector<int> touched_;
    std::vector<int> unsupported_;
    std::vector<std::uint8_t> applied_;
    bool faces_removed_ = false;
    bool vertices_removed_ = false;
};

}  // namespace

int remove_self_intersections(SESContext& context, RS_component& component) {
    return SelfIntersections(context, component).run();
}

}  // namespace velmesh
