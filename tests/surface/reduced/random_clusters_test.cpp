// The reduced surface of random clusters of spheres: the checker passes, the
// Euler characteristic of every component is that of closed surfaces, and,
// with -all_components, the faces are exactly the free probe positions that
// a brute-force search over all triples of spheres finds.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "surface/reduced/ReducedSurface.h"
#include "surface/support/RSChecker.h"
#include "surface/support/SphereSets.h"
#include "surface/support/VelmeshRun.h"

using surface_testing::all_free_probes;
using surface_testing::canonical_face;
using surface_testing::check_reduced_surface;
using surface_testing::random_cluster;
using surface_testing::run_of;

namespace {

using FaceKey = std::array<int, 3>;

struct Cluster {
    int count;
    unsigned seed;
    double volume_per_sphere;  // density: one sphere per this volume
    double r_low, r_high;
    double probe;
    bool brute_force;  // compare the faces with every free probe position
};

std::string describe(const Cluster& c) {
    return std::to_string(c.count) + " spheres, seed " + std::to_string(c.seed) + ", one per " +
           std::to_string(c.volume_per_sphere) + ", probe " + std::to_string(c.probe);
}

std::set<FaceKey> faces_of(const velmesh::RS_component& component) {
    std::set<FaceKey> faces;
    for (const auto& face : component.faces) faces.insert(canonical_face(face.i, face.j, face.k));
    return faces;
}

double squared_distance(const std::array<double, 3>& a, const std::array<double, 3>& b) {
    double d2 = 0;
    for (int n = 0; n < 3; ++n) d2 += (a[n] - b[n]) * (a[n] - b[n]);
    return d2;
}

// Compares the faces of all components with every free probe position. The
// twin clean-up may remove a pair of faces on the same spheres in reversed
// order whose probe spheres overlap; every other free position must be a
// face, and every face one of them.
void expect_every_free_position(const velmesh::RunState& run, double probe_radius) {
    std::map<FaceKey, std::array<double, 3>> free_positions;
    for (const auto& probe : all_free_probes(run)) free_positions[probe.spheres] = probe.probe;
    std::set<FaceKey> built;
    for (const auto& component : run.rs_components)
        for (const auto& face : component.faces)
            EXPECT_TRUE(built.insert(canonical_face(face.i, face.j, face.k)).second) << "a face is built twice";
    for (const auto& [face, probe] : free_positions) {
        if (built.count(face)) continue;
        const auto reversed = free_positions.find(canonical_face(face[0], face[2], face[1]));
        const bool removed_twins = reversed != free_positions.end() && !built.count(reversed->first) &&
                                   squared_distance(probe, reversed->second) < 4 * probe_radius * probe_radius;
        EXPECT_TRUE(removed_twins) << "no face at the free position of " << face[0] << " " << face[1] << " "
                                   << face[2];
    }
    for (const auto& face : built)
        EXPECT_TRUE(free_positions.count(face)) << "face " << face[0] << " " << face[1] << " " << face[2]
                                                << " has no free probe position";
}

TEST(ReducedSurfaceRandom, ClosedSurfacesWithExactlyTheFreeProbePositions) {
    const Cluster clusters[] = {
        {50, 1, 18, 1.5, 1.9, 1.5, true},   {50, 2, 40, 1.0, 1.8, 1.5, true},
        {200, 3, 18, 1.5, 1.9, 1.5, true},  {200, 4, 30, 1.2, 2.0, 1.4, true},
        {300, 5, 25, 1.2, 1.8, 3.0, true},  {500, 6, 18, 1.5, 1.9, 1.5, true},
        {500, 7, 60, 1.0, 1.6, 1.0, true},  {1000, 8, 18, 1.4, 2.0, 1.5, false},
        {5000, 9, 18, 1.5, 1.9, 1.5, false},
    };
    for (const Cluster& c : clusters) {
        SCOPED_TRACE(describe(c));
        const auto spheres = random_cluster(c.count, c.seed, c.volume_per_sphere, c.r_low, c.r_high);
        velmesh::RunState run = run_of(spheres, c.probe);
        run.all_components = true;
        surface_testing::CapturedConsole console;
        ASSERT_EQ(velmesh::compute_reduced_surface(run), 1) << console.out() << console.err();
        EXPECT_EQ(run.rs_failed, 0);
        const auto check = check_reduced_surface(run);
        EXPECT_TRUE(check.ok()) << check.report();
        int free_edges = 0;
        for (const auto& summary : check.components) {
            free_edges += summary.free_edges;
            if (summary.faces == 0) continue;
            // 2 - 2g summed over the component's closed surfaces.
            EXPECT_EQ(summary.euler_of_fans % 2, 0) << "component " << summary.number;
            EXPECT_LE(summary.euler_of_fans, 2 * summary.surfaces) << "component " << summary.number;
        }
        if (c.brute_force) expect_every_free_position(run, c.probe);

        // Without -all_components the outer component alone, as it comes with
        // it. (Where pieces of surface hang together only through free tori,
        // how they group into components depends on the order of the search.)
        if (free_edges > 0) continue;
        velmesh::RunState outer = run_of(spheres, c.probe);
        ASSERT_EQ(velmesh::compute_reduced_surface(outer), 1);
        ASSERT_EQ(outer.rs_components.count(), 1);
        const auto alone = faces_of(*outer.rs_components.first());
        bool found = false;
        for (const auto& component : run.rs_components) found = found || faces_of(component) == alone;
        EXPECT_TRUE(found);
    }
}

}  // namespace
