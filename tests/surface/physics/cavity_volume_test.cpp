// Cavity volumes of a protein with many cavities (1hpv, 1551 heavy atoms,
// at probe 1.4) held to the excluded region found apart from velmesh
// (ExcludedRegion.h). Points are taken evenly (quasi-randomly) in the box of
// the outer surface:
// - a point inside a cavity's mesh is one a probe reaches, but for a thin
//   layer at the mesh (the chords of its triangles): each cavity is free
//   space, counted once and with its sign;
// - a place a probe centre can take (outside every grown sphere) inside the
//   outer mesh lies in some cavity's mesh: no pocket is missed;
// - the net volume (the outer surface's less the cavities') lies within half
//   a percent of the excluded volume. It lies below it: a cavity behind a
//   wall thinner than the probe reaches through the outer surface (the two
//   surfaces cross), and the part of it outside is taken off a volume that
//   never held it.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "support/TempDir.h"
#include "surface/support/ExcludedRegion.h"
#include "surface/support/MeshChecker.h"
#include "surface/support/SphereSets.h"
#include "surface/support/VelmeshRun.h"

namespace {

using surface_testing::Mesh;

struct Meshes {
    std::vector<Mesh> meshes;
    double total_volume = 0;
};

Meshes run_all_components(const std::vector<surface_testing::TestSphere>& spheres, double probe, double density,
                          const testing_support::TempDir& dir) {
    testing_support::write_file(dir.file("s.xyz"), surface_testing::sphere_file(spheres));
    const auto run = surface_testing::run_capture({"-if", dir.file("s.xyz"), "-of", dir.file("m"), "-probe_radius",
                                                   surface_testing::number_text(probe), "-de",
                                                   surface_testing::number_text(density), "-all_components"});
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out.find("try again"), std::string::npos) << run.out;
    const auto report = surface_testing::parse_report(run.out);
    Meshes result;
    result.total_volume = report.total_volume.value_or(0);
    for (const auto& row : report.volumes) {
        const std::string base = dir.file(row.component == 0 ? "m" : "m_" + std::to_string(row.component));
        result.meshes.push_back(surface_testing::read_mesh(base + ".vert", base + ".face"));
    }
    return result;
}

double radical_inverse(int k, int base) {
    double result = 0, fraction = 1.0 / base;
    for (; k > 0; k /= base, fraction /= base) result += fraction * (k % base);
    return result;
}

TEST(CavityVolumes, EachCavityIsFreeSpaceCountedOnceAndNoPocketIsMissed) {
    const auto spheres = surface_testing::read_spheres(std::string(ZELMAR_FIXTURES) + "/spheres/1hpv.xyz");
    const double probe = 1.4;
    const surface_testing::ExcludedRegion region(spheres, probe);
    testing_support::TempDir dir;
    const Meshes run = run_all_components(spheres, probe, 2, dir);
    ASSERT_GT(run.meshes.size(), 10u);
    const Mesh& outer = run.meshes.front();
    std::array<double, 3> low = outer.vertices.front().point, high = low;
    for (const auto& v : outer.vertices)
        for (int k = 0; k < 3; ++k) low[k] = std::min(low[k], v.point[k]), high[k] = std::max(high[k], v.point[k]);
    constexpr int kPoints = 4000;
    int in_cavities = 0, excluded_in_cavities = 0, missed = 0;
    for (int n = 1; n <= kPoints; ++n) {
        const std::array<double, 3> x = {low[0] + (high[0] - low[0]) * radical_inverse(n, 2),
                                         low[1] + (high[1] - low[1]) * radical_inverse(n, 3),
                                         low[2] + (high[2] - low[2]) * radical_inverse(n, 5)};
        bool in_cavity = false;
        for (std::size_t m = 1; m < run.meshes.size() && !in_cavity; ++m)
            in_cavity = std::fabs(surface_testing::winding_number(run.meshes[m], x)) > 0.5;
        const double to_probes = region.distance_to_probes(x);
        if (in_cavity) {
            ++in_cavities;
            if (to_probes >= probe) ++excluded_in_cavities;
        } else if (to_probes <= 0 && surface_testing::winding_number(outer, x) > 0.5) {
            ++missed;
        }
    }
    EXPECT_GT(in_cavities, 5);
    EXPECT_LE(excluded_in_cavities, in_cavities / 10);
    EXPECT_EQ(missed, 0);
    const double excluded = region.volume(400000);
    EXPECT_NEAR(run.total_volume, excluded, 0.006 * excluded);
}

}  // namespace
