#pragma once
// The region that no probe reaches, found with geometry of its own and
// nothing of velmesh: probe centres may lie anywhere outside the spheres
// grown by the probe radius (in cavities too), and a point is excluded when
// no such place lies closer than the probe radius.
//
// The distance from a point inside the grown spheres to the nearest place a
// probe centre can take is the distance to the exposed part of the grown
// spheres' boundary, and its nearest point there lies inside an exposed
// patch of one sphere (straight out from that sphere's centre), inside an
// exposed arc where two grown spheres meet (the nearest point of their
// circle), or at an exposed corner where three meet. So the exposed corners
// and arcs are listed once, by brute force, and each point looks at those
// near it.
//
// Estimates by points built on that: the excluded volume (evenly spread
// points in the box around the spheres), and the area of each kind of face
// of its boundary, the surface velmesh builds (points on the spheres, on the
// probe spheres at the corners and on the tori swept along the arcs, kept
// where they lie on the boundary).
#include <array>
#include <unordered_map>
#include <vector>

#include "surface/support/SphereSets.h"

namespace surface_testing {

struct BoundaryAreas {
    double contact = 0, toric = 0, reentrant = 0;
    double total() const { return contact + toric + reentrant; }
};

class ExcludedRegion {
public:
    ExcludedRegion(const std::vector<TestSphere>& spheres, double probe_radius);

    using Point = std::array<double, 3>;

    // The distance from x to the nearest place a probe centre can take (0
    // outside the grown spheres).
    double distance_to_probes(const Point& x) const;
    bool excluded(const Point& x) const { return distance_to_probes(x) >= p_; }

    // The excluded volume by `count` evenly spread (quasi-random) points in
    // the box around the spheres.
    double volume(int count) const;

    // The areas of the boundary's faces by points: `per_unit` points per
    // square unit of the surfaces they are spread over.
    BoundaryAreas areas(double per_unit) const;

    int exposed_corners() const { return static_cast<int>(corners_.size()); }

private:
    struct Grown {
        Point centre;
        double radius;
        bool exposed;  // some of it bounds the probes' region
    };
    // An exposed stretch of the circle where two grown spheres meet, from
    // angle `from` to `to` (to > from) about the axis from the first to the
    // second, measured from `e1`.
    struct Arc {
        int i, j;
        Point centre, axis, e1, e2;
        double radius;
        double from, to;
    };

    bool inside_other(const Point& x, int skip1, int skip2, int skip3) const;
    void find_arcs_and_corners();
    template <class Visit>
    void near_spheres(const Point& x, double reach, Visit&& visit) const;
    template <class Visit>
    void near_items(const std::unordered_map<long long, std::vector<int>>& grid, const Point& x, Visit&& visit) const;
    std::array<long long, 3> cell_of(const Point& x) const;
    static long long cell_key(const std::array<long long, 3>& cell);

    double p_;
    std::vector<Grown> grown_;
    std::vector<int> flags_;
    double cell_ = 1;
    std::unordered_map<long long, std::vector<int>> sphere_grid_;
    std::vector<Arc> arcs_;
    std::unordered_map<long long, std::vector<int>> arc_grid_;
    std::vector<Point> corners_;
    std::unordered_map<long long, std::vector<int>> corner_grid_;
    Point low_{}, high_{};
};

}  // namespace surface_testing
