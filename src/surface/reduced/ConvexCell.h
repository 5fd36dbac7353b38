#pragma once
// A convex polyhedron cut down by half-spaces: a cube to begin with, then
// one plane after another. It keeps its corners and, per face, the corners
// in order (counter-clockwise seen from outside), so that each cut is made
// face by face and closed by a new face in the plane.
#include <vector>

#include "surface/Vec3.h"

namespace velmesh {

class ConvexCell {
public:
    // The cube [-half, half]^3.
    void reset_cube(double half);

    // Keeps the part where normal . y <= offset. False when the cut cannot
    // be made consistently (a plane through a corner in a way rounding
    // cannot settle); the cell is then no longer usable.
    bool cut(const Vec3& normal, double offset);

    bool empty() const { return face_starts_.size() <= 1; }
    // The largest |y|^2 over the corners (0 when empty).
    double farthest_squared() const;

    // Calls visit(p, q) for each edge, from corner p to corner q, once.
    template <class Visit>
    void for_each_edge(Visit&& visit) const {
        const int faces = static_cast<int>(face_starts_.size()) - 1;
        for (int f = 0; f < faces; ++f) {
            const int begin = face_starts_[f], end = face_starts_[f + 1];
            for (int k = begin; k < end; ++k) {
                const int a = face_corners_[k], b = face_corners_[k + 1 < end ? k + 1 : begin];
                if (a < b) visit(corners_[a], corners_[b]);
            }
        }
    }

private:
    int crossing_point(int a, int b, double sa, double sb);

    std::vector<Vec3> corners_;
    std::vector<int> face_corners_;  // the faces' corners, one face after another
    std::vector<int> face_starts_;   // where each face begins, and the end
    // Scratch of a cut.
    std::vector<double> side_;
    std::vector<int> new_corners_, new_starts_;
    std::vector<std::pair<long long, int>> crossings_;  // edge -> its point
    std::vector<std::pair<int, int>> cap_;               // the new face's sides, from -> to
    std::vector<int> renumber_;
    std::vector<Vec3> kept_;
};

}  // namespace velmesh
