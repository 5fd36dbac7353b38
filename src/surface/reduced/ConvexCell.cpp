#include "surface/reduced/ConvexCell.h"

#include <algorithm>

namespace velmesh {

namespace {

double dot3(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

}  // namespace

void ConvexCell::reset_cube(double half) {
    corners_.clear();
    for (int k = 0; k < 8; ++k)
        corners_.push_back({(k & 1) != 0 ? half : -half, (k & 2) != 0 ? half : -half, (k & 4) != 0 ? half : -half});
    // Corner k has x from bit 0, y from bit 1, z from bit 2; each face runs
    // counter-clockwise seen from outside.
    face_corners_ = {0, 4, 6, 2,   // x = -half
                     1, 3, 7, 5,   // x = +half
                     0, 1, 5, 4,   // y = -half
                     2, 6, 7, 3,   // y = +half
                     0, 2, 3, 1,   // z = -half
                     4, 5, 7, 6};  // z = +half
    face_starts_ = {0, 4, 8, 12, 16, 20, 24};
}

int ConvexCell::crossing_point(int a, int b, double sa, double sb) {
    const long long key = static_cast<long long>(std::min(a, b)) << 32 | static_cast<long long>(std::max(a, b));
    for (const auto& [edge, point] : crossings_)
        if (edge == key) return point;
    const double t = sa / (sa - sb);
    const Vec3& p = corners_[a];
    const Vec3& q = corners_[b];
    corners_.push_back({p.x + t * (q.x - p.x), p.y + t * (q.y - p.y), p.z + t * (q.z - p.z)});
    side_.push_back(0);
    const int point = static_cast<int>(corners_.size()) - 1;
    crossings_.emplace_back(key, point);
    return point;
}

bool ConvexCell::cut(const Vec3& normal, double offset) {
    if (empty()) return true;
    side_.resize(corners_.size());
    bool any_out = false, any_in = false;
    for (std::size_t k = 0; k < corners_.size(); ++k) {
        side_[k] = dot3(normal, corners_[k]) - offset;
        (side_[k] > 0 ? any_out : any_in) = true;
    }
    if (!any_out) return true;
    if (!any_in) {
        face_starts_.assign(1, 0);
        face_corners_.clear();
        return true;
    }
    new_corners_.clear();
    new_starts_.assign(1, 0);
    crossings_.clear();
    cap_.clear();
    const int faces = static_cast<int>(face_starts_.size()) - 1;
    for (int f = 0; f < faces; ++f) {
        const int begin = face_starts_[f], end = face_starts_[f + 1];
        const std::size_t first = new_corners_.size();
        int exit = -1, entry = -1, crossings = 0;
        for (int k = begin; k < end; ++k) {
            const int a = face_corners_[k];
            const int b = face_corners_[k + 1 < end ? k + 1 : begin];
            const double sa = side_[a], sb = side_[b];
            const bool a_in = sa <= 0, b_in = sb <= 0;
            if (a_in) new_corners_.push_back(a);
            if (a_in == b_in) continue;
            const int x = crossing_point(a, b, sa, sb);
            new_corners_.push_back(x);
            ++crossings;
            (a_in ? exit : entry) = x;
        }
        if (crossings != 0 && crossings != 2) return false;
        if (new_corners_.size() - first < 3) {
            new_corners_.resize(first);
            continue;
        }
        new_starts_.push_back(static_cast<int>(new_corners_.size()));
        // The face runs from its exit point to its entry point along the
        // plane; the new face, seen from outside, the other way.
        if (crossings == 2) cap_.emplace_back(entry, exit);
    }
    // The new face: its sides chained into one cycle.
    if (cap_.size() >= 3) {
        const std::size_t first = new_corners_.size();
        int at = cap_.front().first;
        for (std::size_t n = 0; n < cap_.size(); ++n) {
            new_corners_.push_back(at);
            const auto next = std::find_if(cap_.begin(), cap_.end(), [&](const auto& side) { return side.first == at; });
            if (next == cap_.end()) return false;
            at = next->second;
        }
        if (at != cap_.front().first || new_corners_.size() - first != cap_.size()) return false;
        new_starts_.push_back(static_cast<int>(new_corners_.size()));
    } else if (!cap_.empty()) {
        return false;
    }
    // Keep only the corners the faces use.
    renumber_.assign(corners_.size(), -1);
    kept_.clear();
    for (int& c : new_corners_) {
        if (renumber_[c] < 0) {
            renumber_[c] = static_cast<int>(kept_.size());
            kept_.push_back(corners_[c]);
        }
        c = renumber_[c];
    }
    corners_.swap(kept_);
    face_corners_.swap(new_corners_);
    face_starts_.swap(new_starts_);
    return true;
}

double ConvexCell::farthest_squared() const {
    if (empty()) return 0;
    double farthest = 0;
    for (const Vec3& c : corners_) farthest = std::max(farthest, dot3(c, c));
    return farthest;
}

}  // namespace velmesh
