#pragma once
// The corners that cutting the reentrant faces makes: points where three
// probe spheres meet (kind 3), each made once however many circles pass
// through it, and one of the component's vertices wherever one lies closer
// than kSamePoint (where four or more probe spheres pass through one point,
// the triples of them give points that differ only by rounding: they are
// one vertex).
#include <array>
#include <unordered_map>
#include <utility>
#include <vector>

#include "surface/ses/ProbeSpheres.h"

namespace velmesh {

// Points closer than this are one vertex.
inline constexpr double kSamePoint = 1e-4;

class CutVertices {
public:
    // Knows the component's singular vertices (points where probe spheres
    // meet lie on no sphere but at singular points, where every probe sphere
    // on a singular circle passes).
    CutVertices(SESContext& context, const ProbeSpheres& probes, const std::vector<SES_vertex*>& singular);

    // The vertex at x where the spheres of the probes meet (c -1 for a point
    // of the circle of a and b alone, `side` telling such points apart).
    // `maker` is the probe on whose behalf it is asked for.
    SES_vertex* at(int a, int b, int c, int side, const Vec3& x, int maker);

    // The probe that first asked for a vertex made here; -1 for the
    // component's own vertices.
    int maker_of(const SES_vertex* vertex) const;
    // Calls joined(a, b) for every vertex made for one probe and later given
    // out for another, with the two probes.
    template <class Joined>
    void for_each_sharing(Joined&& joined) const {
        for (const auto& [a, b] : sharing_) joined(a, b);
    }

    // Calls made(vertex, maker) for every vertex made here.
    template <class Made>
    void for_each_made(Made&& made) const {
        for (const auto& [vertex, maker] : made_)
            if (makers_.contains(vertex)) made(vertex, maker);
    }

    // Forgets a vertex that is about to be removed.
    void forget(const SES_vertex* vertex);

private:
    using Cell = std::array<long long, 3>;
    struct CellHash {
        std::size_t operator()(const Cell& c) const {
            return static_cast<std::size_t>((c[0] * 73856093LL) ^ (c[1] * 19349663LL) ^ (c[2] * 83492791LL));
        }
    };
    struct KeyHash {
        std::size_t operator()(const std::array<int, 4>& k) const {
            std::size_t h = 0;
            for (const int v : k) h = h * 1000003u + static_cast<std::size_t>(v + 1);
            return h;
        }
    };

    static Cell cell_of(const Vec3& x);
    SES_vertex* nearby(const Vec3& x) const;
    SES_vertex& make(int a, int b, int c, const Vec3& x);
    void remember(SES_vertex& vertex);

    SESContext& context_;
    const ProbeSpheres& probes_;
    std::unordered_map<std::array<int, 4>, SES_vertex*, KeyHash> by_key_;
    std::unordered_map<Cell, std::vector<SES_vertex*>, CellHash> cells_;
    std::unordered_map<const SES_vertex*, int> makers_;  // the probe each vertex was made for
    std::vector<std::pair<SES_vertex*, int>> made_;       // the same in the order made
    std::vector<std::array<int, 2>> sharing_;
};

}  // namespace velmesh
