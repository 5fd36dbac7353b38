#include "surface/ses/CutVertices.h"

#include <algorithm>
#include <cmath>

#include "surface/ses/SESRecordMakers.h"
#include "surface/tree/Geometry.h"

namespace velmesh {

CutVertices::CutVertices(SESContext& context, const ProbeSpheres& probes, const std::vector<SES_vertex*>& singular)
    : context_(context), probes_(probes) {
    for (SES_vertex* vertex : singular) remember(*vertex);
}

namespace {

// Cells ten times wider than the snapping distance: a point needs to look
// into a neighbouring cell only when it lies that close to its side.
constexpr double kCell = 10 * kSamePoint;

long long cell_coordinate(double x) {
    return static_cast<long long>(std::floor(x / kCell));
}

}  // namespace

CutVertices::Cell CutVertices::cell_of(const Vec3& x) {
    return {cell_coordinate(x.x), cell_coordinate(x.y), cell_coordinate(x.z)};
}

void CutVertices::remember(SES_vertex& vertex) {
    cells_[cell_of(to_double(vertex.position))].push_back(&vertex);
}

SES_vertex* CutVertices::nearby(const Vec3& x) const {
    Cell low, high;
    for (int c = 0; c < 3; ++c) {
        low[c] = cell_coordinate(x[c] - kSamePoint);
        high[c] = cell_coordinate(x[c] + kSamePoint);
    }
    SES_vertex* best = nullptr;
    double best_distance = kSamePoint * kSamePoint;
    for (long long i = low[0]; i <= high[0]; ++i)
        for (long long j = low[1]; j <= high[1]; ++j)
            for (long long k = low[2]; k <= high[2]; ++k) {
                const auto found = cells_.find({i, j, k});
                if (found == cells_.end()) continue;
                for (SES_vertex* v : found->second) {
                    const double d = squared_distance(to_double(v->position), x);
                    if (d < best_distance) {
                        best = v;
                        best_distance = d;
                    }
                }
            }
    return best;
}

SES_vertex* CutVertices::at(int a, int b, int c, int side, const Vec3& x, int maker) {
    std::array<int, 3> t{a, b, c};
    if (c >= 0) std::sort(t.begin(), t.end());
    const std::array<int, 4> key{t[0], t[1], t[2], side};
    SES_vertex* vertex = nullptr;
    if (const auto found = by_key_.find(key); found != by_key_.end()) {
        vertex = found->second;
    } else {
        vertex = nearby(x);
        if (vertex == nullptr) {
            vertex = &make(a, b, c, x);
            makers_.emplace(vertex, maker);
            made_.emplace_back(vertex, maker);
        }
        by_key_.emplace(key, vertex);
    }
    const int first = maker_of(vertex);
    if (first >= 0 && first != maker) sharing_.push_back({first, maker});
    return vertex;
}

int CutVertices::maker_of(const SES_vertex* vertex) const {
    const auto found = makers_.find(vertex);
    return found == makers_.end() ? -1 : found->second;
}

void CutVertices::forget(const SES_vertex* vertex) {
    makers_.erase(vertex);
    const auto found = cells_.find(cell_of(to_double(vertex->position)));
    if (found != cells_.end()) std::erase(found->second, vertex);
    std::erase_if(by_key_, [&](const auto& entry) { return entry.second == vertex; });
}

// Kind 3, on the nearest sphere of the spheres of the probes that meet
// there, with the normal towards the first probe's centre (it lies on every
// one of their spheres).
SES_vertex& CutVertices::make(int a, int b, int c, const Vec3& x) {
    int sphere = -1;
    double nearest = 0;
    for (const int probe : {a, b, c}) {
        if (probe < 0) continue;
        const ProbeSphere& sphere_of = probes_[probe];
        for (int slot = 0; slot < 3; ++slot) {
            const int s = sphere_of.rs_face->sphere(slot);
            const double d2 = squared_distance(x, context_.centre(s));
            if (sphere < 0 || d2 < nearest) {
                sphere = s;
                nearest = d2;
            }
        }
    }
    SES_vertex& vertex = new_ses_vertex(context_.ses, kIntersectionVertex, x, sphere, normalised(probes_[a].centre - x));
    vertex.geometric_angle = 1;
    remember(vertex);
    return vertex;
}

}  // namespace velmesh
