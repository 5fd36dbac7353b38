#pragma once
// Arcs on one probe sphere that bound reentrant faces, each with the
// direction in which its face traverses it: chained head to tail into closed
// cycles, and measured, so that outer boundaries can be told from holes.
#include <cstdint>
#include <span>
#include <vector>

#include "surface/ses/SESRecords.h"

namespace velmesh {

// An arc as one face traverses it: from its start to its end when the
// orientation is 1.
struct FaceArc {
    SES_edge* edge = nullptr;
    std::uint8_t orientation = 1;

    SES_vertex* from() const { return orientation != 0 ? edge->start : edge->end; }
    SES_vertex* to() const { return orientation != 0 ? edge->end : edge->start; }
};

// The arcs of the face, in its list order.
std::vector<FaceArc> arcs_of(const SES_face& face);

// Reorders the arcs into closed cycles, one after another, and returns one
// past the last arc of each. Where several arcs leave one vertex the chain
// takes the one that turns most to the left seen from the probe's centre
// (inside the probe, where the solvent is), which keeps regions that touch
// at a point apart. Empty when some chain does not close.
std::vector<int> chain_into_cycles(std::vector<FaceArc>& arcs, const Vec3& probe);

// The area of the probe sphere (centre probe, radius p) to the left of the
// closed cycle seen from inside the probe: by Gauss-Bonnet over its arcs and
// corners. An outer boundary of a face within a hemisphere leaves less than
// half the sphere to its left, a hole more.
double area_left_of_cycle(std::span<const FaceArc> cycle, const Vec3& probe, double p);

// Whether x (on the probe sphere) lies to the left of the closed cycle: 1
// inside, -1 outside, 0 undecided.
int inside_cycle(std::span<const FaceArc> cycle, const Vec3& probe, double p, const Vec3& x);

}  // namespace velmesh
