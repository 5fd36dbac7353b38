#include "surface/triangulation/MeshCleanup.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "surface/Vec3.h"
#include "surface/tree/Geometry.h"

namespace velmesh {

namespace {

// The files give positions to three decimals: rounded corners are points of
// a lattice of 0.001, whose triangles have twice their area (the length of
// the cross product) a whole multiple of 1e-6 in each component. Below this
// squared length a rounded triangle is flat.
constexpr double kFlatCross2 = 1e-13;
// A side whose ends lie closer than this (in the positions themselves) may be
// collapsed: the rounding cannot tell them much further apart.
constexpr double kShortSide = 0.01;
// Triangles with a smallest angle below this are the slivers improved.
constexpr double kSliverAngle = 10 * std::numbers::pi / 180;
// A flip may change the enclosed volume and the area by this much per unit
// area of the two triangles (angstrom): a tenth of what rounding the
// positions to 0.0005 may move them.
constexpr double kFlipChange = 5e-5;
constexpr int kSliverPasses = 3;
// Below this squared length of its cross product a triangle has no extent.
constexpr double kNoExtent = 1e-20;

double round_to_file(float x) { return std::nearbyint(static_cast<double>(x) * 1000) / 1000; }

class Cleaner {
public:
    explicit Cleaner(TriangulationTables& tables) : tables_(tables) {}

    MeshCleanup run() {
        load();
        remove_flat_triangles();
        for (int pass = 0; pass < kSliverPasses; ++pass)
            if (widen_slivers() == 0) break;
        for (int f = 0; f < face_count(); ++f)
            if (alive_[f] && flat(f)) ++counts_.flat_left;
        if (counts_.collapsed + counts_.flipped + counts_.sliver_flips + counts_.sliver_collapses > 0) store();
        return counts_;
    }

private:
    int face_count() const { return static_cast<int>(tri_.size()); }

    void load() {
        const int nv = tables_.vertex_count();
        actual_.resize(nv);
        rounded_.resize(nv);
        for (int v = 0; v < nv; ++v) {
            const auto& p = tables_.vertices[v].point;
            actual_[v] = {p[0], p[1], p[2]};
            rounded_[v] = {round_to_file(p[0]), round_to_file(p[1]), round_to_file(p[2])};
        }
        vertex_alive_.assign(nv, 1);
        around_.assign(nv, {});
        const int nf = tables_.face_count();
        tri_.resize(nf);
        alive_.assign(nf, 1);
        for (int f = 0; f < nf; ++f) {
            tri_[f] = tables_.faces[f].vertices;
            for (const int v : tri_[f]) around_[v].push_back(f);
        }
    }

    static Vec3 cross_of(const std::vector<Vec3>& at, const std::array<int, 3>& t) {
        return cross(at[t[1]] - at[t[0]], at[t[2]] - at[t[0]]);
    }
    bool flat(const std::array<int, 3>& t) const {
        const Vec3 c = cross_of(rounded_, t);
        return dot(c, c) < kFlatCross2;
    }
    bool flat(int f) const { return flat(tri_[f]); }
    double area(const std::array<int, 3>& t) const { return norm(cross_of(actual_, t)) / 2; }

    // The live face holding the directed side u -> v, or -1.
    int face_with_side(int u, int v) const {
        for (const int f : around_[u]) {
            if (!alive_[f]) continue;
            const auto& t = tri_[f];
            for (int k = 0; k < 3; ++k)
                if (t[k] == u && t[(k + 1) % 3] == v) return f;
        }
        return -1;
    }
    bool joined(int u, int v) const { return face_with_side(u, v) >= 0 || face_with_side(v, u) >= 0; }

    // The corners of the live faces around v, v itself left out.
    void neighbours(int v, std::vector<int>& out) const {
        out.clear();
        for (const int f : around_[v])
            if (alive_[f])
                for (const int w : tri_[f])
                    if (w != v) out.push_back(w);
        std::sort(out.begin(), out.end());
        out.erase(std::unique(out.begin(), out.end()), out.end());
    }

    // Collapses the side (keep, gone) into keep. Only where the two ends
    // share no neighbour but the far corners of the side's two faces (else
    // two edges would become one), and no face around `gone` turns over.
    bool collapse(int keep, int gone) {
        const int f1 = face_with_side(keep, gone), f2 = face_with_side(gone, keep);
        if (f1 < 0 || f2 < 0) return false;
        const auto third = [&](int f) {
            for (const int w : tri_[f])
                if (w != keep && w != gone) return w;
            return -1;
        };
        const int x = third(f1), y = third(f2);
        if (x == y) return false;
        neighbours(keep, near_keep_);
        neighbours(gone, near_gone_);
        common_.clear();
        std::set_intersection(near_keep_.begin(), near_keep_.end(), near_gone_.begin(), near_gone_.end(),
                              std::back_inserter(common_));
        if (common_.size() != 2 || !std::binary_search(common_.begin(), common_.end(), x) ||
            !std::binary_search(common_.begin(), common_.end(), y))
            return false;
        for (const int f : around_[gone]) {
            if (!alive_[f] || f == f1 || f == f2) continue;
            std::array<int, 3> moved = tri_[f];
            for (int& v : moved)
                if (v == gone) v = keep;
            // A face with no extent has no side to turn over.
            const Vec3 before = cross_of(actual_, tri_[f]);
            if (dot(before, before) > kNoExtent && dot(cross_of(actual_, moved), before) <= 0) return false;
        }
        alive_[f1] = alive_[f2] = 0;
        for (const int f : around_[gone]) {
            if (!alive_[f]) continue;
            for (int& v : tri_[f])
                if (v == gone) v = keep;
            around_[keep].push_back(f);
        }
        around_[gone].clear();
        vertex_alive_[gone] = 0;
        ++counts_.collapsed;
        return true;
    }

    // The flip of side k of face f (from corner k to the next): the faces
    // (u, v, w) and (v, u, x) become (u, x, w) and (x, v, w). Within one face
    // of the surface only, when the side (w, x) is new and neither new
    // triangle is flat or turned over; `accept` has the last word.
    template <class Accept>
    bool flip(int f, int k, Accept accept) {
        const auto& t = tri_[f];
        const int u = t[k], v = t[(k + 1) % 3], w = t[(k + 2) % 3];
        const int n = face_with_side(v, u);
        if (n < 0 || tables_.faces[n].face != tables_.faces[f].face) return false;
        int x = -1;
        for (const int c : tri_[n])
            if (c != u && c != v) x = c;
        if (x < 0 || x == w || joined(w, x)) return false;
        const std::array<int, 3> a = {u, x, w}, b = {x, v, w};
        if (flat(a) || flat(b)) return false;
        const Vec3 before1 = cross_of(actual_, tri_[f]), before2 = cross_of(actual_, tri_[n]);
        // Neither new face turns against an old one (a face with no extent
        // has no side to compare with).
        for (const auto& nt : {a, b}) {
            const Vec3 after = cross_of(actual_, nt);
            for (const Vec3& before : {before1, before2})
                if (dot(before, before) > kNoExtent && dot(after, before) <= 0) return false;
        }
        if (!accept(tri_[f], tri_[n], a, b)) return false;
        tri_[f] = a;
        tri_[n] = b;
        std::erase(around_[v], f);
        std::erase(around_[u], n);
        around_[x].push_back(f);
        around_[w].push_back(n);
        return true;
    }

    static double side2(const std::vector<Vec3>& at, int a, int b) { return squared_distance(at[a], at[b]); }

    // One flat triangle: its ends that print as one point collapse; else its
    // longest side flips, or its shortest, when short, collapses.
    bool mend_flat(int f) {
        const auto t = tri_[f];
        int shortest = 0, longest = 0;
        for (int k = 1; k < 3; ++k) {
            if (side2(actual_, t[k], t[(k + 1) % 3]) < side2(actual_, t[shortest], t[(shortest + 1) % 3])) shortest = k;
            if (side2(actual_, t[k], t[(k + 1) % 3]) > side2(actual_, t[longest], t[(longest + 1) % 3])) longest = k;
        }
        const int a = t[shortest], b = t[(shortest + 1) % 3];
        const bool one_point = side2(rounded_, a, b) == 0;
        if (one_point && collapse(std::min(a, b), std::max(a, b))) return true;
        if (!one_point && flip(f, longest, [](const auto&, const auto&, const auto&, const auto&) { return true; })) {
            ++counts_.flipped;
            return true;
        }
        if (side2(actual_, a, b) < kShortSide * kShortSide && collapse(std::min(a, b), std::max(a, b))) return true;
        return false;
    }

    void remove_flat_triangles() {
        // Each change removes a vertex or a flat triangle; a few rounds reach
        // the ones a change made.
        for (int round = 0; round < 8; ++round) {
            bool changed = false;
            for (int f = 0; f < face_count(); ++f)
                if (alive_[f] && flat(f) && mend_flat(f)) changed = true;
            if (!changed) break;
        }
    }

    static double smallest_angle(const std::vector<Vec3>& at, const std::array<int, 3>& t) {
        double least = std::numbers::pi;
        for (int k = 0; k < 3; ++k) {
            const Vec3 p = at[t[(k + 1) % 3]] - at[t[k]], q = at[t[(k + 2) % 3]] - at[t[k]];
            const double lp = norm(p), lq = norm(q);
            if (lp <= 0 || lq <= 0) return 0;
            least = std::min(least, angle_of_cosine(dot(p, q) / (lp * lq)));
        }
        return least;
    }

    int widen_slivers() {
        int flips = 0;
        for (int f = 0; f < face_count(); ++f) {
            if (!alive_[f] || smallest_angle(actual_, tri_[f]) >= kSliverAngle) continue;
            // The side facing the widest angle is the longest.
            const auto t = tri_[f];
            int longest = 0;
            for (int k = 1; k < 3; ++k)
                if (side2(actual_, t[k], t[(k + 1) % 3]) > side2(actual_, t[longest], t[(longest + 1) % 3]))
                    longest = k;
            const auto accept = [&](const auto& old1, const auto& old2, const auto& new1, const auto& new2) {
                const double before = std::min(smallest_angle(actual_, old1), smallest_angle(actual_, old2));
                const double after = std::min(smallest_angle(actual_, new1), smallest_angle(actual_, new2));
                if (!(after > before)) return false;
                const double areas = area(old1) + area(old2);
                if (std::fabs(area(new1) + area(new2) - areas) > kFlipChange * areas) return false;
                // The volume between the two ways of splitting the four
                // corners: the tetrahedron they span.
                const int u = old1[0], v = old1[1], w = old1[2];
                const int x = new1[1];  // the new faces are (u, x, w) and (x, v, w)
                const double volume =
                    std::fabs(dot(actual_[v] - actual_[u], cross(actual_[w] - actual_[u], actual_[x] - actual_[u]))) / 6;
                return volume <= kFlipChange * areas;
            };
            if (flip(f, longest, accept)) {
                ++flips;
                ++counts_.sliver_flips;
                continue;
            }
            // A strip a few thousandths wide (a toric face turning by a hair's
            // breadth): its short side goes.
            int shortest = 0;
            for (int k = 1; k < 3; ++k)
                if (side2(actual_, t[k], t[(k + 1) % 3]) < side2(actual_, t[shortest], t[(shortest + 1) % 3]))
                    shortest = k;
            const int a = t[shortest], b = t[(shortest + 1) % 3];
            if (side2(actual_, a, b) < kShortSide * kShortSide && collapse(std::min(a, b), std::max(a, b))) {
                ++flips;
                ++counts_.sliver_collapses;
            }
        }
        return flips;
    }

    // Writes the faces back in their order and the vertices that are left,
    // renumbered; the vertices' types follow their place as before.
    void store() {
        const int nv = static_cast<int>(actual_.size());
        std::vector<int> renumber(nv, -1);
        std::vector<MeshVertex> vertices;
        vertices.reserve(nv);
        int type2 = -1, type3 = -1;
        for (int v = 0; v < nv; ++v) {
            if (!vertex_alive_[v]) continue;
            renumber[v] = static_cast<int>(vertices.size());
            vertices.push_back(tables_.vertices[v]);
            if (v <= tables_.last_type2_vertex) type2 = renumber[v];
            if (v <= tables_.last_type3_vertex) type3 = renumber[v];
        }
        std::vector<MeshFace> faces;
        faces.reserve(tri_.size());
        int toric = 0, reentrant = 0;
        for (int f = 0; f < face_count(); ++f) {
            if (!alive_[f]) continue;
            MeshFace face = tables_.faces[f];
            for (int k = 0; k < 3; ++k) face.vertices[k] = renumber[tri_[f][k]];
            faces.push_back(face);
            const int type = tables_.face_type(f);
            if (type == 3) ++toric;
            if (type == 2) ++reentrant;
        }
        tables_.vertices.clear();
        for (const MeshVertex& v : vertices) tables_.vertices.push_back(v);
        tables_.faces.clear();
        for (const MeshFace& f : faces) tables_.faces.push_back(f);
        tables_.toric_face_count = toric;
        tables_.reentrant_face_count = reentrant;
        tables_.last_type2_vertex = type2;
        tables_.last_type3_vertex = type3;
        tables_.next_vertex = static_cast<int>(vertices.size());
    }

    TriangulationTables& tables_;
    std::vector<Vec3> actual_, rounded_;
    std::vector<std::uint8_t> vertex_alive_;
    std::vector<std::vector<int>> around_;
    std::vector<std::array<int, 3>> tri_;
    std::vector<std::uint8_t> alive_;
    std::vector<int> near_keep_, near_gone_, common_;
    MeshCleanup counts_;
};

}  // namespace

MeshCleanup clean_mesh(TriangulationTables& tables) {
    return Cleaner(tables).run();
}

}  // namespace velmesh
