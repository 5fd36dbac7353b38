#pragma once
// Spheres no probe can touch, told apart quickly. With -all_components
// every sphere left without an edge is searched for a free face, and nearly
// all of them are buried: that search tries every pair of neighbours and
// every third sphere.
//
// A point x of the probe sphere of sphere a (centre c, radius R = r + p) is a
// free probe position when it lies outside every neighbour b grown by p:
// with the power pow_b(x) = |x - c_b|^2 - R_b^2, pow_b(x) >= 0 = pow_a(x). So
// the free positions are the points of the probe sphere inside a's power
// cell, the convex polyhedron pow_a <= pow_b for all b (a half-space per
// neighbour). The cell is cut out of a cube around the probe sphere plane by
// plane (ConvexCell.h), the nearest first; once every corner of what is left lies inside the probe sphere, so
// does all of it (the farthest point of a convex polyhedron is a corner),
// and the probe sphere holds no free position: the sphere has neither a face
// nor a free torus. The neighbours are grown by p less the free test's slack,
// so the test never says buried of a sphere on which the search would find
// a free position; where it cannot decide (a cut it cannot make) it says no,
// and the search decides.
#include <vector>

#include "surface/Vec3.h"
#include "surface/reduced/ConvexCell.h"

namespace velmesh {

class RSContext;

class BuriedSpheres {
public:
    explicit BuriedSpheres(const RSContext& context) : context_(context) {}

    // Whether every probe position touching the sphere is blocked.
    bool buried(int sphere);

    // The corners of the sphere's free probe positions: the points where the
    // edges of its cell meet its probe sphere, each where two neighbours'
    // planes meet it (the probe positions of its free faces, but for the
    // slack of the test). False when the cell could not be cut.
    bool free_corners(int sphere, std::vector<Vec3>& corners);

private:
    // Cuts the cell of the sphere; with `stop_inside`, only until it lies
    // inside the probe sphere. False when a cut could not be made.
    bool cut_cell(int sphere, bool stop_inside);

    struct Plane {
        Vec3 normal;  // unit
        double offset;  // the half-space normal . y <= offset, y relative to the sphere's centre
    };

    const RSContext& context_;
    std::vector<Plane> planes_;
    ConvexCell cell_;
};

}  // namespace velmesh
