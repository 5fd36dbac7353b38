// Reentrant faces whose probe spheres overlap without a singular edge
// between them: three spheres in a ring, with the probes above and below the
// ring closer than twice their radius, so that the two probe spheres meet
// through the hole in the middle. Each reentrant face loses what lies inside
// the other probe sphere, the two share the circle where they meet, and the
// surface has the genus of a ring.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
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

// Where four spheres nearly touch one probe position, the reduced surface
// puts faces there between which the probe turns by a hair's breadth (less
// than 0.01 apart). A probe sphere beside them meets one of them along a
// circle that passes on into the next one's face: the circle is cut where
// the next probe's sphere crosses it, and each face keeps its piece. Cases
// shrunk from random clusters at probe 1, where the faces stayed uncut.
TEST(SelfIntersections, ACircleIsCutWhereItPassesBetweenTheFacesOfOnePosition) {
    struct Case {
        const char* name;
        std::vector<TestSphere> spheres;
    };
    const std::vector<Case> cases = {
        {"cluster 200 seed 22",
         {{8.02668865, -1.61326861, 0.333131167, 1.74824865},
          {8.01218301, 2.90961389, 0.490778472, 1.67408224},
          {6.86291696, -1.35357044, -2.16167855, 1.6668079},
          {8.12335165, -1.70970746, -2.25763602, 1.78603718},
          {4.94217241, -0.623979822, 0.946089197, 1.71804993}}},
        {"cluster 500 seed 55",
         {{9.19935164, 2.01720134, 2.67760691, 1.59459288},
          {7.25022654, 0.764530257, 2.20051267, 1.54914608},
          {12.1146482, -1.40137708, 2.25354032, 1.80639683},
          {7.18530633, -2.07182847, 2.80365728, 1.86065668}}},
        {"cluster 500 seed 97, across a singular edge",
         {{3.84473413, -1.78967799, -5.5445806, 1.64055859},
          {3.80221891, -5.28605007, -8.09754153, 1.64009942},
          {6.9523885, -1.56401498, -6.55724202, 1.65266342},
          {6.20057225, -0.703855175, -8.68397852, 1.83251513},
          {5.43003424, -2.65630205, -10.6053171, 1.85046933}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        velmesh::RunState run = surface_testing::run_of(c.spheres, 1.0);
        surface_testing::CapturedConsole console;
        ASSERT_EQ(surface_testing::compute_analytical_surface(run), 0) << console.out() << console.err();
        EXPECT_EQ(console.out().find("WARNING"), std::string::npos) << console.out();
        const auto check = surface_testing::check_analytical_surface(run);
        EXPECT_TRUE(check.ok()) << check.report();
        const auto& ses = *run.ses_components.first();
        const auto expected = surface_testing::ExcludedRegion(c.spheres, 1.0).areas(400);
        EXPECT_NEAR(ses.reentrant_area, expected.reentrant, 0.02 * expected.reentrant + 0.01);
        EXPECT_NEAR(ses.ses_area, expected.total(), 0.005 * expected.total());
    }
}

// Six atoms of a protein at probe 2: a probe sphere reaches over the side of
// another probe's face into the singular torus beyond, whose face it cuts
// along a curve that is no circle. The faces concerned stay uncut and bad,
// so that the run tries again with their spheres grown; only when no
// restart follows does a warning say that they were left in place.
TEST(SelfIntersections, AProbeSphereCuttingAToricFaceAsksForARestart) {
    const std::vector<TestSphere> spheres = {{41.038, 16.932, 25.827, 1.7},  {41.441, 17.618, 24.528, 1.7},
                                             {41.196, 15.967, 28.518, 1.55}, {41.281, 17.756, 27.017, 1.55},
                                             {44.759, 11.467, 24.972, 1.7},  {44.338, 10.942, 26.032, 1.52}};
    const std::string warning = "WARNING: self-intersections of surface component 0 left in place at ";
    for (const bool restarts : {true, false}) {
        SCOPED_TRACE(restarts);
        velmesh::RunState run = surface_testing::run_of(spheres, 2.0);
        run.restart = restarts;
        run.restart_on_triangulation = restarts;
        surface_testing::CapturedConsole console;
        EXPECT_GT(surface_testing::compute_analytical_surface(run), 0);
        int bad = 0;
        for (const auto& face : run.ses_components.first()->faces) bad += face.bad != 0 ? 1 : 0;
        EXPECT_GT(bad, 0);
        EXPECT_EQ(console.out().find(warning) != std::string::npos, !restarts) << console.out();
        EXPECT_NE(console.out().find("problem in the surface: 6 overlapping probe spheres (the first on spheres 2 0 5) "
                                     "are left uncut: one reaches over a side of another's face into the toric face "
                                     "beyond\n"),
                  std::string::npos)
            << console.out();
    }
}

}  // namespace
