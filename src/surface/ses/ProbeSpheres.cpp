#include "surface/ses/ProbeSpheres.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "surface/tree/BHtree.h"
#include "surface/tree/Geometry.h"

namespace velmesh {

namespace {

constexpr int kLeafSize = 10;

bool contains(const std::vector<int>& sorted, int value) {
    return std::binary_search(sorted.begin(), sorted.end(), value);
}

void sort_unique(std::vector<int>& list) {
    std::sort(list.begin(), list.end());
    list.erase(std::unique(list.begin(), list.end()), list.end());
}

// The triangle's sides as planes, for the tests below.
void set_sides(ProbeSphere& probe) {
    const auto& u = probe.towards;
    for (int k = 0; k < 3; ++k) {
        const Vec3& from = u[k];
        const Vec3& to = u[(k + 1) % 3];
        Vec3 n = cross(from, to);
        const double length = norm(n);
        if (length <= kTiny) {
            probe.flat = true;
            return;
        }
        n = n / length;
        if (dot(n, u[(k + 2) % 3]) < 0) n = -n;
        if (std::fabs(dot(n, u[(k + 2) % 3])) <= kTiny) {
            probe.flat = true;
            return;
        }
        probe.side_normals[k] = n;
        // Within the side's span: on the far side of the plane through its
        // start perpendicular to it, and on the near side of the one through
        // its end.
        const Vec3 along = dot(cross(from, to), n) > 0 ? n : -n;
        probe.side_starts[k] = cross(along, from);
        probe.side_ends[k] = cross(to, along);
    }
}

bool in_triangle(const ProbeSphere& probe, const Vec3& d) {
    if (probe.flat) return true;
    for (const Vec3& n : probe.side_normals)
        if (dot(d, n) < 0) return false;
    return true;
}

// The cap around the three corner directions, when smaller than a
// hemisphere (a cap that holds the corners then holds the triangle).
void set_cap(ProbeSphere& probe) {
    const Vec3 sum = probe.towards[0] + probe.towards[1] + probe.towards[2];
    if (norm(sum) <= kTiny) return;
    probe.cap_axis = normalised(sum);
    double least = 1;
    for (const Vec3& u : probe.towards) least = std::min(least, dot(u, probe.cap_axis));
    if (least <= 0) return;
    probe.cap_cos = least;
    probe.cap_sin = std::sqrt(std::max(0.0, 1 - least * least));
}

}  // namespace

ProbeSpheres::ProbeSpheres(const SESContext& context, RS_component& component) : p_(context.p) {
    probes_.reserve(component.faces.count());
    for (RS_face& face : component.faces) {
        if (face.id >= static_cast<int>(by_id_.size())) by_id_.resize(face.id + 1, -1);
        by_id_[face.id] = static_cast<int>(probes_.size());
        ProbeSphere& probe = probes_.emplace_back();
        probe.centre = face.probe;
        probe.rs_face = &face;
        for (int slot = 0; slot < 3; ++slot)
            probe.towards[slot] = normalised(context.centre(face.sphere(slot)) - face.probe);
        set_sides(probe);
        set_cap(probe);
    }
    // Each face's reentrant face; the edge ordering may have split some in
    // two, and then all the component's faces are looked at.
    int reentrant = 0;
    for (ProbeSphere& probe : probes_)
        if (probe.rs_face->reentrant_face != nullptr) {
            probe.faces.push_back(probe.rs_face->reentrant_face);
            ++reentrant;
        }
    if (reentrant != context.ses.faces_of_type[kReentrantFace]) {
        for (ProbeSphere& probe : probes_) probe.faces.clear();
        for (SES_face& face : context.ses.faces)
            if (face.type == kReentrantFace && face.rs_face != nullptr) {
                const int index = index_of(face.rs_face);
                if (index >= 0) probes_[index].faces.push_back(&face);
            }
    }
    std::vector<BHpoint> points;
    points.reserve(probes_.size());
    for (int k = 0; k < count(); ++k) {
        const Vec3f c = to_float(probes_[k].centre);
        points.push_back({c.x, c.y, c.z, static_cast<float>(p_), k});
    }
    tree_ = generateBHtree(std::move(points), kLeafSize);
}

ProbeSpheres::~ProbeSpheres() = default;

void ProbeSpheres::overlapping(int a, std::vector<int>& out) const {
    out.clear();
    if (tree_ == nullptr) return;
    const Vec3& centre = probes_[a].centre;
    const Vec3f c = to_float(centre);
    const float at[3] = {c.x, c.y, c.z};
    const double reach = 2 * p_;
    // The tree works in floats: search a little wider, then decide in doubles.
    findBHcloseAtoms(tree_.get(), at, static_cast<float>(reach + 1e-3), found_);
    for (const int other : found_) {
        const double d2 = squared_distance(centre, probes_[other].centre);
        if (d2 < reach * reach && d2 >= kSamePosition * kSamePosition) out.push_back(other);
    }
}

bool ProbeSpheres::same_position(int a, int b) const {
    return squared_distance(probes_[a].centre, probes_[b].centre) < kSamePosition * kSamePosition;
}

int ProbeSpheres::index_of(const RS_face* face) const {
    if (face == nullptr || face->id < 0 || face->id >= static_cast<int>(by_id_.size())) return -1;
    const int index = by_id_[face->id];
    return index >= 0 && probes_[index].rs_face == face ? index : -1;
}

void ProbeSpheres::add_circle_mates(int a, int b, bool across_gap) {
    if (a == b) return;
    probes_[a].circle_mates.push_back(b);
    probes_[b].circle_mates.push_back(a);
    if (!across_gap) return;
    probes_[a].gap_neighbours.push_back(b);
    probes_[b].gap_neighbours.push_back(a);
}

void ProbeSpheres::finish_circles() {
    for (ProbeSphere& probe : probes_) {
        sort_unique(probe.circle_mates);
        sort_unique(probe.gap_neighbours);
    }
}

bool ProbeSpheres::may_cut(int a, int b) const {
    if (a == b) return false;
    const ProbeSphere& probe = probes_[a];
    if (same_position(a, b)) return false;
    return !contains(probe.circle_mates, b) || contains(probe.gap_neighbours, b);
}

bool ProbeSpheres::circle_mates(int a, int b) const {
    return contains(probes_[a].circle_mates, b);
}

void ProbeSpheres::partners(int a, int b, std::vector<int>& out) const {
    overlapping(a, out);
    const double reach = 2 * p_;
    std::erase_if(out, [&](int c) {
        return c == b || squared_distance(probes_[b].centre, probes_[c].centre) >= reach * reach || !may_cut(a, c) ||
               !may_cut(b, c);
    });
    add_companions(a, b, out);
    add_companions(b, a, out);
    sort_unique(out);
}

void ProbeSpheres::add_companions(int a, int b, std::vector<int>& out) const {
    if (tree_ == nullptr) return;
    const Vec3& centre = probes_[a].centre;
    const Vec3f c = to_float(centre);
    const float at[3] = {c.x, c.y, c.z};
    findBHcloseAtoms(tree_.get(), at, static_cast<float>(kSamePosition + 1e-3), found_);
    const Vec3& far = probes_[b].centre;
    const double reach = 2 * p_;
    for (const int other : found_) {
        const Vec3& x = probes_[other].centre;
        if (other != a && other != b && same_position(a, other) && squared_distance(far, x) < reach * reach &&
            !collinear(far - centre, x - centre) && may_cut(b, other))
            out.push_back(other);
    }
}

bool ProbeSpheres::in_region(int a, const Vec3& x, int ignore) const {
    const ProbeSphere& probe = probes_[a];
    if (!in_triangle(probe, x - probe.centre)) return false;
    for (const int g : probe.gap_neighbours)
        if (g != ignore && squared_distance(x, probes_[g].centre) < p_ * p_) return false;
    return true;
}

bool ProbeSpheres::reaches_into_triangle(int a, int b, double depth) const {
    const ProbeSphere& probe = probes_[a];
    const Vec3 apart = probes_[b].centre - probe.centre;
    const double d = norm(apart);
    if (d >= 2 * p_ || d <= 0) return false;
    const Vec3 w = apart / d;
    const double cos_alpha = d / (2 * p_);
    const double sin_alpha = std::sqrt(std::max(0.0, 1 - cos_alpha * cos_alpha));
    // cos and sin of the angle depth / p, which is small.
    const double delta = depth / p_;
    const double cos_delta = 1 - delta * delta / 2, sin_delta = delta;
    // Reaching an angle delta past a point whose dot product with w is
    // `nearest`, a cap of angular radius x needs nearest > cos(x - delta).
    const auto reaches = [&](double nearest, double cos_x, double sin_x) {
        return nearest > cos_x * cos_delta + sin_x * sin_delta;
    };
    // Cheap first: the cap around the triangle.
    if (probe.cap_cos > -1 && !reaches(dot(w, probe.cap_axis), cos_alpha * probe.cap_cos - sin_alpha * probe.cap_sin,
                                       sin_alpha * probe.cap_cos + cos_alpha * probe.cap_sin))
        return false;
    if (in_triangle(probe, w)) return true;
    if (probe.flat) return false;
    for (int k = 0; k < 3; ++k) {
        double nearest = std::max(dot(w, probe.towards[k]), dot(w, probe.towards[(k + 1) % 3]));
        if (dot(w, probe.side_starts[k]) >= 0 && dot(w, probe.side_ends[k]) >= 0) {
            const double across = dot(w, probe.side_normals[k]);
            nearest = std::sqrt(std::max(0.0, 1 - across * across));
        }
        if (reaches(nearest, cos_alpha, sin_alpha)) return true;
    }
    return false;
}

bool collinear(const Vec3& u, const Vec3& v) {
    const Vec3 w = cross(u, v);
    return dot(w, w) <= kTiny * dot(u, u) * dot(v, v);
}

bool triple_points(const Vec3& a, const Vec3& b, const Vec3& c, double p, Vec3& side0, Vec3& side1) {
    const Vec3 u = b - a;
    const Vec3 v = c - a;
    if (collinear(u, v)) return false;
    const Vec3 w = cross(u, v);
    const double w2 = dot(w, w);
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

double nearest_on_great_arc(const Vec3& w, const Vec3& from, const Vec3& to) {
    const double ends = std::max(dot(w, from), dot(w, to));
    const Vec3 n = cross(from, to);
    const double n2 = dot(n, n);
    if (n2 <= kTiny * kTiny) return ends;
    const Vec3 in_plane = w - (dot(w, n) / n2) * n;
    const double length = norm(in_plane);
    if (length <= kTiny) return ends;
    // The foot lies on the arc when it lies between its ends.
    if (dot(cross(from, in_plane), n) >= 0 && dot(cross(in_plane, to), n) >= 0) return length;
    return ends;
}

bool cap_reaches(double nearest, double cos_alpha, double sin_alpha, double delta) {
    // cos(alpha - delta), delta small.
    const double limit = cos_alpha * std::cos(delta) + sin_alpha * std::sin(delta);
    return nearest > limit;
}

}  // namespace velmesh
