#include "surface/ses/ProbeSpheres.h"

#include <algorithm>
#include <iterator>

#include "surface/tree/BHtree.h"
#include "surface/tree/Geometry.h"

namespace velmesh {

namespace {

// Centres closer than this are one probe position; spheres farther apart
// than 2p less this only touch.
constexpr double kSamePosition = 1e-6;
constexpr int kLeafSize = 10;

}  // namespace

ProbeSpheres::ProbeSpheres(RS_component& component, SES_component& ses, double probe_radius) {
    for (RS_face& face : component.faces) {
        index_.emplace(&face, static_cast<int>(probes_.size()));
        ProbeSphere& probe = probes_.emplace_back();
        probe.centre = face.probe;
        probe.rs_face = &face;
    }
    for (SES_face& face : ses.faces)
        if (face.type == kReentrantFace && face.rs_face != nullptr) {
            const int index = index_of(face.rs_face);
            if (index >= 0) probes_[index].faces.push_back(&face);
        }
    for (ProbeSphere& probe : probes_)
        for (const RS_edge* edge : probe.rs_face->edges) {
            if (edge == nullptr || edge->singular_kind == 0) continue;
            const RS_face* other = edge->face1 == probe.rs_face ? edge->face2 : edge->face1;
            const int index = index_of(other);
            if (index >= 0) probe.singular_neighbours.push_back(index);
        }
    find_overlaps(probe_radius);
}

void ProbeSpheres::find_overlaps(double p) {
    std::vector<BHpoint> points;
    points.reserve(probes_.size());
    for (int k = 0; k < count(); ++k) {
        const Vec3f c = to_float(probes_[k].centre);
        points.push_back({c.x, c.y, c.z, static_cast<float>(p), k});
    }
    const std::unique_ptr<BHtree> tree = generateBHtree(std::move(points), kLeafSize);
    if (tree == nullptr) return;
    std::vector<int> found;
    const double reach = 2 * p - kSamePosition;
    for (int k = 0; k < count(); ++k) {
        ProbeSphere& probe = probes_[k];
        const Vec3f c = to_float(probe.centre);
        const float at[3] = {c.x, c.y, c.z};
        // The tree works in floats: search a little wider, then decide in doubles.
        findBHcloseAtoms(tree.get(), at, static_cast<float>(2 * p + 1e-3), found);
        for (const int other : found) {
            if (other == k) continue;
            const double d2 = squared_distance(probe.centre, probes_[other].centre);
            if (d2 < reach * reach && d2 > kSamePosition * kSamePosition) probe.overlapping.push_back(other);
        }
        std::sort(probe.overlapping.begin(), probe.overlapping.end());
    }
}

int ProbeSpheres::index_of(const RS_face* face) const {
    const auto found = index_.find(face);
    return found == index_.end() ? -1 : found->second;
}

bool ProbeSpheres::singular_neighbours(int a, int b) const {
    const auto& list = probes_[a].singular_neighbours;
    return std::find(list.begin(), list.end(), b) != list.end();
}

std::vector<int> ProbeSpheres::cutters(int a) const {
    std::vector<int> result;
    for (const int b : probes_[a].overlapping)
        if (!singular_neighbours(a, b)) result.push_back(b);
    return result;
}

bool ProbeSpheres::any_cutter() const {
    for (int a = 0; a < count(); ++a)
        for (const int b : probes_[a].overlapping)
            if (!singular_neighbours(a, b)) return true;
    return false;
}

std::vector<int> ProbeSpheres::common_overlaps(int a, int b) const {
    std::vector<int> result;
    const auto& x = probes_[a].overlapping;
    const auto& y = probes_[b].overlapping;
    std::set_intersection(x.begin(), x.end(), y.begin(), y.end(), std::back_inserter(result));
    std::erase_if(result, [&](int r) { return r == a || r == b; });
    return result;
}

bool triple_points(const Vec3& a, const Vec3& b, const Vec3& c, double p, Vec3& side0, Vec3& side1) {
    const Vec3 u = b - a;
    const Vec3 v = c - a;
    const Vec3 w = cross(u, v);
    const double w2 = dot(w, w);
    if (w2 <= kTiny * dot(u, u) * dot(v, v)) return false;
    // The circumcentre of the three centres, and the height of the common
    // points above their plane.
    const Vec3 offset = cross(dot(u, u) * v - dot(v, v) * u, w) / (2 * w2);
    const double h2 = p * p - dot(offset, offset);
    if (h2 < 0) return false;
    const Vec3 centre = a + offset;
    const Vec3 up = w / std::sqrt(w2);
    const double h = std::sqrt(h2);
    side0 = centre + h * up;
    side1 = centre - h * up;
    return true;
}

}  // namespace velmesh
