// Reentrant faces whose probe spheres overlap without a singular edge
// between them: three spheres in a ring, with the probes above and below the
// ring closer than twice their radius, so that the two probe spheres meet
// through the hole in the middle. Each reentrant face loses what lies inside
// the other probe sphere, the two share the circle where they meet, and the
// surface has the genus of a ring.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "surface/support/ExcludedRegion.h"
#include "surface/support/SESChecker.h"
#include "surface/support/SphereSets.h"
#include "surface/support/VelmeshRun.h"

using surface_testing::TestSphere;

namespace {

constexpr double kPi = 3.14159265358979;

struct Ring {
    double circumradius;  // of the three centres
    double r;             // sphere radius
    double p;             // probe radius
};

std::vector<TestSphere> ring_spheres(const Ring& ring) {
    std::vector<TestSphere> spheres;
    for (int k = 0; k < 3; ++k) {
        const double a = 2 * kPi * k / 3;
        spheres.push_back({ring.circumradius * std::cos(a), ring.circumradius * std::sin(a), 0, ring.r});
    }
    return spheres;
}

// The reentrant area of the ring by points spread evenly over the upper
// probe sphere: those facing the three spheres (inside the cone of the
// directions to their centres) and outside the lower probe sphere; twice
// that for both probes.
double reentrant_area_by_points(const Ring& ring, int count) {
    const double h = std::sqrt((ring.r + ring.p) * (ring.r + ring.p) - ring.circumradius * ring.circumradius);
    const auto spheres = ring_spheres(ring);
    double u[3][3];
    for (int k = 0; k < 3; ++k) {
        const double d[3] = {spheres[k].x, spheres[k].y, -h};
        const double length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        for (int c = 0; c < 3; ++c) u[k][c] = d[c] / length;
    }
    const auto det = [](const double* a, const double* b, const double* c) {
        return a[0] * (b[1] * c[2] - b[2] * c[1]) - a[1] * (b[0] * c[2] - b[2] * c[0]) + a[2] * (b[0] * c[1] - b[1] * c[0]);
    };
    const double whole = det(u[0], u[1], u[2]);
    const double turn = kPi * (3 - std::sqrt(5.0));
    int kept = 0;
    for (int k = 0; k < count; ++k) {
        const double dz = 1 - (2 * k + 1.0) / count;
        const double around = std::sqrt(1 - dz * dz);
        const double d[3] = {around * std::cos(turn * k), around * std::sin(turn * k), dz};
        if (det(d, u[1], u[2]) / whole < 0 || det(u[0], d, u[2]) / whole < 0 || det(u[0], u[1], d) / whole < 0) continue;
        // The lower probe sits at -h: its sphere holds the points below the
        // ring's plane, z < 0.
        if (h + ring.p * d[2] >= 0) ++kept;
    }
    return 2 * 4 * kPi * ring.p * ring.p * kept / count;
}

TEST(SelfIntersections, ProbesMeetingThroughARingCutEachOtherAndLeaveAHole) {
    // Circumradius 2.2, radius 1, probe 1.5: the probes lie 1.19 above and
    // below the plane, and 1.62 from each edge's axis (no singular edge).
    const std::vector<Ring> rings = {{2.2, 1.0, 1.5}, {2.15, 1.0, 1.5}, {3.6, 1.5, 2.5}};
    for (const Ring& ring : rings) {
        SCOPED_TRACE(ring.circumradius);
        velmesh::RunState run = surface_testing::run_of(ring_spheres(ring), ring.p);
        surface_testing::CapturedConsole console;
        ASSERT_EQ(surface_testing::compute_analytical_surface(run), 0) << console.out() << console.err();
        const auto check = surface_testing::check_analytical_surface(run);
        EXPECT_TRUE(check.ok()) << check.report();
        for (const auto& edge : run.rs_components.first()->edges) ASSERT_EQ(edge.singular_kind, 0);
        const auto& ses = *run.ses_components.first();
        EXPECT_EQ(ses.analytical_genus, 1);
        EXPECT_EQ(ses.holes, 2);
        const double expected = reentrant_area_by_points(ring, 400000);
        EXPECT_NEAR(ses.reentrant_area, expected, 0.005 * expected);
    }
}

TEST(SelfIntersections, WithoutTheCutTheFacesPassThroughEachOther) {
    const Ring ring{2.2, 1.0, 1.5};
    velmesh::RunState run = surface_testing::run_of(ring_spheres(ring), ring.p);
    run.self_intersections = false;
    surface_testing::CapturedConsole console;
    ASSERT_EQ(surface_testing::compute_analytical_surface(run), 0);
    const auto& ses = *run.ses_components.first();
    EXPECT_EQ(ses.analytical_genus, 0);
    EXPECT_GT(ses.reentrant_area, reentrant_area_by_points(ring, 100000) + 1);
}

// Two spheres whose probe circle comes within 0.1 of their axis, blocked by
// two small spheres on either side: the circle carries two edges, and the
// faces at the ends of each gap between them lie on the same three spheres,
// above and below. The probe spheres across each gap meet along the half of
// their circle towards the gap's middle, not the faces of one edge: each
// face is cut there, and the surface is a ring around the axis of the small
// spheres.
TEST(SelfIntersections, FacesAcrossTheGapsOfASingularCircleMeet) {
    const std::vector<TestSphere> spheres = {{-2.6, 0, 0, 1.5}, {2.6, 0, 0, 1.5}, {0, 3.3, 0, 1}, {0, -3.3, 0, 1}};
    velmesh::RunState run = surface_testing::run_of(spheres, 1.5);
    surface_testing::CapturedConsole console;
    ASSERT_EQ(surface_testing::compute_analytical_surface(run), 0) << console.out() << console.err();
    EXPECT_EQ(console.out().find("WARNING"), std::string::npos) << console.out();
    const auto check = surface_testing::check_analytical_surface(run);
    EXPECT_TRUE(check.ok()) << check.report();
    const auto& ses = *run.ses_components.first();
    EXPECT_EQ(ses.analytical_genus, 1);
    const auto expected = surface_testing::ExcludedRegion(spheres, 1.5).areas(100);
    EXPECT_NEAR(ses.reentrant_area, expected.reentrant, 0.02 * expected.reentrant);
    EXPECT_NEAR(ses.ses_area, expected.total(), 0.01 * expected.total());
}

}  // namespace
