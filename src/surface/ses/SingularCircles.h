#pragma once
// Singular circles: the probe circle of two spheres that comes closer to
// their axis than the probe radius. Every probe sphere centred on the circle
// passes through the same two points of the axis (the singular points), and
// since all those centres lie at one distance from the circle's centre in
// one plane, a point lies inside the sphere of a probe on the circle exactly
// when that probe is nearer to it in angle about the axis than any probe
// whose sphere it lies on.
//
// The reduced surface may leave several edges on one circle: the arcs of it
// that the probe can reach, with gaps between them where other spheres block
// the probe. So only the probes at the two ends of a gap meet on the circle,
// and only on the half of the circle where their probe spheres meet that
// lies towards the middle of the gap (from one singular point to the other;
// near the axis every other point is closer in angle to some other probe).
// Two probes may lie on several circles together (faces on the same three
// spheres, on both sides of them): they meet where all those halves overlap.
//
// The face walk builds one singular arc per edge, between the edge's own two
// faces; that is right only for an edge alone on its circle, whose gap runs
// from its second face round to its first, and no other circle shared by
// them. The removal of self-intersections builds the arcs anew from these
// halves.
#include <unordered_map>
#include <vector>

#include "surface/ses/ProbeSpheres.h"

namespace velmesh {

// One circle's part in where two probes on it meet.
struct CircleHalf {
    SES_vertex* ends[2] = {nullptr, nullptr};  // the singular points (one vertex twice where they coincide)
    Vec3 centre;                               // of the probe circle
    Vec3 towards_gap;                          // unit, in its plane: the middle of the gap between the two probes
    bool across_gap = false;                   // the probes are the two ends of one gap
    bool lone_edge = false;                    // the circle has one edge (the face walk's arc is right)

    // Whether x (on the circle where the two probe spheres meet) lies on
    // the half towards the gap.
    bool holds(const Vec3& x) const;
};

struct SingularCircles {
    // The singular vertices of all circles, and whether any of the face
    // walk's were removed as duplicates.
    std::vector<SES_vertex*> singular_vertices;
    bool vertices_removed = false;
    // For every two probes on a circle together (the smaller index first),
    // the halves of all the circles they share.
    std::unordered_map<long long, std::vector<CircleHalf>> halves;

    static long long key(int a, int b) {
        return a < b ? (static_cast<long long>(a) << 32) | static_cast<unsigned>(b)
                     : (static_cast<long long>(b) << 32) | static_cast<unsigned>(a);
    }
};

// Finds the component's singular circles, tells the probes which of them
// are circle mates and gap neighbours, and on every circle with several
// edges makes the edges' singular vertices one pair (one vertex where the
// two points coincide), shared by all their arcs.
SingularCircles find_singular_circles(SESContext& context, RS_component& component, ProbeSpheres& probes);

}  // namespace velmesh
