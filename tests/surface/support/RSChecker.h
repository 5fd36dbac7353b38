#pragma once
// Checks a reduced surface, as the run holds it after the reduced-surface
// stage, against what its records promise (surface/reduced/RSRecords.h),
// with geometry of its own: every face's probe touches its three spheres and
// no other, lies on the side of the face's normal; every edge is bounded by
// two faces that traverse it in opposite directions, and its angle turns the
// first face's probe into the second's, and no sphere stops the probe on
// the way; free edges are tori no sphere blocks; the spheres' edge lists, the numbering and the counters agree.
// It also counts each component's vertices, edges and faces for its Euler
// characteristic, and can list every free probe position by brute force.
#include <array>
#include <string>
#include <vector>

#include "surface/RunState.h"

namespace surface_testing {

struct RSComponentSummary {
    int number = 0;
    int faces = 0;
    int edges = 0;
    int free_edges = 0;
    int vertices = 0;  // spheres that carry faces
    int fans = 0;      // the same, counting separately each fan of faces around a sphere
    int euler = 0;     // vertices - edges + faces
    int euler_of_fans = 0;  // fans - edges + faces: 2 - 2g summed over the closed surfaces
    int surfaces = 0;       // face-connected pieces
    bool free_vertex = false;
};

struct RSCheck {
    std::vector<std::string> problems;
    std::vector<RSComponentSummary> components;

    bool ok() const { return problems.empty(); }
    std::string report() const;
};

// Checks the run's components. Lengths agree within `tolerance`.
RSCheck check_reduced_surface(const velmesh::RunState& run, double tolerance = 1e-4);

// A free probe position on three spheres, with the spheres in the order that
// puts the probe on the side of their triangle's normal, starting with the
// smallest index.
struct FreeProbe {
    std::array<int, 3> spheres{};
    std::array<double, 3> probe{};
};

// Every free probe position of the run's spheres, found by trying all
// triples of spheres within reach of each other.
std::vector<FreeProbe> all_free_probes(const velmesh::RunState& run);

// A face's spheres in the same form: rotated to start with the smallest.
std::array<int, 3> canonical_face(int i, int j, int k);

}  // namespace surface_testing
