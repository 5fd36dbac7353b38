#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "surface/support/VelmeshRun.h"
#include "surface/tree/Geometry.h"

using velmesh::Vec3;

namespace {

constexpr double kPi = std::numbers::pi;

void expect_near(const Vec3& a, const Vec3& b, double tolerance = 1e-9) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

TEST(Geometry, VectorBasics) {
    const Vec3 a{1, 2, 3};
    const Vec3 b{-2, 0, 5};
    EXPECT_DOUBLE_EQ(velmesh::dot(a, b), 13);
    expect_near(velmesh::cross(a, b), {10, -11, 4});
    expect_near(velmesh::difference(a, b), {-3, -2, 2});
    EXPECT_DOUBLE_EQ(velmesh::squared_distance(a, b), 17);
    EXPECT_DOUBLE_EQ(velmesh::norm(Vec3{3, 4, 12}), 13);

    Vec3 unit;
    double length;
    EXPECT_TRUE(velmesh::unit_difference(a, Vec3{1, 2, 7}, unit, length));
    EXPECT_DOUBLE_EQ(length, 4);
    expect_near(unit, {0, 0, 1});
    EXPECT_FALSE(velmesh::unit_difference(a, a, unit, length));
    EXPECT_EQ(length, 0);

    velmesh::Vec3f unit_f;
    float length_f;
    EXPECT_TRUE(velmesh::unit_difference(velmesh::Vec3f{0, 0, 0}, velmesh::Vec3f{0, 3, 4}, unit_f, length_f));
    EXPECT_FLOAT_EQ(length_f, 5);
    EXPECT_FLOAT_EQ(unit_f.z, 0.8f);

    Vec3 tiny{1e-9, 0, 0};
    velmesh::normalise(tiny);
    EXPECT_EQ(tiny.x, 1e-9);
}

TEST(Geometry, PerpendicularUsesTheSmallestComponent) {
    const Vec3 cases[] = {{0, 0, 1}, {1, 1, 1}, {0.2, 0.9, 0.3}, {3, -0.1, 2}, {1, 2, 0}};
    for (const Vec3& a : cases) {
        const Vec3 p = velmesh::perpendicular(a);
        EXPECT_NEAR(velmesh::norm(p), 1, 1e-12);
        EXPECT_NEAR(velmesh::dot(p, a), 0, 1e-12);
    }
    // x unless y is strictly smaller; z only when strictly smallest: (1,1,1) crosses x.
    expect_near(velmesh::perpendicular({1, 1, 1}), Vec3{0, 1, -1} / std::sqrt(2.0));
    expect_near(velmesh::perpendicular({3, -0.1, 2}), Vec3{-2, 0, 3} / std::sqrt(13.0));
}

TEST(Geometry, TorusOfTwoSpheres) {
    velmesh::Torus torus;
    // Spheres r = 1 at distance 4, probe 1.5: the torus centre is midway, its
    // radius sqrt(2.5^2 - 2^2) = 1.5.
    ASSERT_EQ(velmesh::torus_of_two_spheres({0, 0, 0}, 1, {4, 0, 0}, 1, 1.5, torus), 0);
    expect_near(torus.centre, {2, 0, 0});
    EXPECT_NEAR(torus.radius, 1.5, 1e-12);
    expect_near(torus.axis, {1, 0, 0});
    EXPECT_DOUBLE_EQ(torus.distance, 4);
    // Unequal spheres: offset (d^2 + e1^2 - e2^2) / 2d from the first.
    ASSERT_EQ(velmesh::torus_of_two_spheres({0, 0, 0}, 2, {0, 4, 0}, 1, 1, torus), 0);
    expect_near(torus.centre, {0, 2.625, 0});
    EXPECT_NEAR(torus.radius, std::sqrt(9 - 2.625 * 2.625), 1e-12);
    expect_near(torus.axis, {0, 1, 0});
    // Enlarged spheres that just touch: radius 0, not rejected.
    ASSERT_EQ(velmesh::torus_of_two_spheres({0.1, 0.2, 0.3}, 1.7, {0.1, 0.2, 0.3 + 1.7 + 1.1 + 3.0}, 1.1, 1.5, torus), 0);
    EXPECT_NEAR(torus.radius, 0, 1e-6);
    EXPECT_FALSE(std::isnan(torus.radius));

    EXPECT_EQ(velmesh::torus_of_two_spheres({0, 0, 0}, 1, {6.01, 0, 0}, 1, 1.5, torus), -1);
    EXPECT_EQ(velmesh::torus_of_two_spheres({0, 0, 0}, 3, {0.5, 0, 0}, 1, 1.5, torus), -2);
    EXPECT_EQ(velmesh::torus_of_two_spheres({1, 1, 1}, 1, {1, 1, 1}, 1, 1.5, torus), -3);
}

TEST(Geometry, ProbePositionsTouchAllThreeSpheres) {
    const Vec3 c1{0, 0, 0}, c2{3, 0, 0}, c3{1.2, 2.5, 0.4};
    const double r1 = 1.6, r2 = 1.2, r3 = 1.9, p = 1.4;
    velmesh::Torus torus;
    ASSERT_EQ(velmesh::torus_of_two_spheres(c1, r1, c2, r2, p, torus), 0);
    velmesh::ProbePositions positions;
    ASSERT_EQ(velmesh::probe_positions(torus, c3, r3, p, positions), 0);
    for (const Vec3& q : {positions.first, positions.second}) {
        EXPECT_NEAR(std::sqrt(velmesh::squared_distance(q, c1)), r1 + p, 1e-9);
        EXPECT_NEAR(std::sqrt(velmesh::squared_distance(q, c2)), r2 + p, 1e-9);
        EXPECT_NEAR(std::sqrt(velmesh::squared_distance(q, c3)), r3 + p, 1e-9);
    }
    EXPECT_NEAR(std::sqrt(velmesh::squared_distance(positions.first, positions.second)) / 2, positions.half_chord,
                1e-9);
    // first = m + s (v/L x u): u is +x and v points to +y, so first lies below.
    EXPECT_LT(positions.first.z, positions.second.z);

    // Third sphere far from the torus: its probe sphere misses the torus plane or circle.
    EXPECT_EQ(velmesh::probe_positions(torus, {20, 0, 0.5}, 1, p, positions), -1);
    EXPECT_EQ(velmesh::probe_positions(torus, {1.5, 20, 0}, 1, p, positions), -3);
    // On the axis: it projects onto the torus centre.
    EXPECT_EQ(velmesh::probe_positions(torus, torus.centre + Vec3{0.5, 0, 0}, 1, p, positions), -2);
    // Small torus circle inside the in-plane circle of a big nearby sphere.
    EXPECT_EQ(velmesh::probe_positions(torus, torus.centre + Vec3{0, 0.3, 0}, 3, p, positions), -4);
}

TEST(Geometry, CircleOfTwoEqualSpheres) {
    Vec3 middle;
    double half_chord = -1;
    EXPECT_EQ(velmesh::circle_of_two_equal_spheres({0, 0, 0}, {0, 0, 6}, 5, middle, half_chord), 1);
    expect_near(middle, {0, 0, 3});
    EXPECT_DOUBLE_EQ(half_chord, 4);
    EXPECT_EQ(velmesh::circle_of_two_equal_spheres({0, 0, 0}, {0, 0, 10}, 5, middle, half_chord), 0);
    EXPECT_EQ(half_chord, 0);
    EXPECT_EQ(velmesh::circle_of_two_equal_spheres({0, 0, 0}, {0, 0, 10.1}, 5, middle, half_chord), -1);
}

TEST(Geometry, IntersectionOfTwoCirclesInSpace) {
    std::array<Vec3, 2> points;
    // Unit circle in the xy plane and a circle in the plane x = 0.6 (normal x)
    // around (0.6, 0, 0.5) of radius sqrt(0.64 + 0.25): they meet at (0.6, +-0.8, 0).
    const double rb = std::sqrt(0.64 + 0.25);
    ASSERT_EQ(velmesh::intersect_circles({0, 0, 0}, 1, {0, 0, 1}, {0.6, 0, 0.5}, rb, {1, 0, 0}, points), 2);
    for (const Vec3& q : points) {
        EXPECT_NEAR(q.x, 0.6, 1e-9);
        EXPECT_NEAR(std::fabs(q.y), 0.8, 1e-9);
        EXPECT_NEAR(q.z, 0, 1e-9);
    }
    EXPECT_NEAR(points[0].y, -points[1].y, 1e-9);
    // Tilted planes whose centres lie off each other's plane: circle 1 around
    // a with normal m; circle 2 through two of its points p1, p2, in a plane
    // with normal n and centred off the chord.
    const Vec3 a{0.3, 0.2, -0.2};
    const Vec3 m = Vec3{0, 1, 1} / std::sqrt(2.0);
    const Vec3 u1{1, 0, 0};
    const Vec3 u2 = velmesh::cross(m, u1);
    const double ra = 1.3;
    const Vec3 p1 = a + ra * (std::cos(0.4) * u1 + std::sin(0.4) * u2);
    const Vec3 p2 = a + ra * (std::cos(2.9) * u1 + std::sin(2.9) * u2);
    const Vec3 chord = p2 - p1;
    Vec3 n = velmesh::cross(chord, Vec3{0.2, 0.7, 0.5});
    velmesh::normalise(n);
    Vec3 across = velmesh::cross(n, chord);
    velmesh::normalise(across);
    const Vec3 b = 0.5 * (p1 + p2) + 0.7 * across;
    const double rb2 = std::sqrt(velmesh::squared_distance(b, p1));
    ASSERT_GT(std::fabs(velmesh::dot(b - a, m)), 0.1);
    ASSERT_EQ(velmesh::intersect_circles(a, ra, m, b, rb2, n, points), 2);
    EXPECT_NE(points[0], points[1]);
    for (const Vec3& q : points)
        EXPECT_TRUE(velmesh::squared_distance(q, p1) < 1e-12 || velmesh::squared_distance(q, p2) < 1e-12);
    // Apart, tangent, coincident and concentric.
    EXPECT_EQ(velmesh::intersect_circles({0, 0, 0}, 1, {0, 0, 1}, {5, 0, 0}, 1, {1, 0, 0}, points), 0);
    ASSERT_EQ(velmesh::intersect_circles({0, 0, 0}, 1, {0, 0, 1}, {1, 0, 1}, 1, {1, 0, 0}, points), 1);
    expect_near(points[0], {1, 0, 0}, 1e-9);
    EXPECT_EQ(velmesh::intersect_circles({1, 2, 3}, 2, {0, 0, 1}, {1, 2, 3}, 2, {1, 0, 0}, points), 3);
    EXPECT_EQ(velmesh::intersect_circles({1, 2, 3}, 2, {0, 0, 1}, {1, 2, 3}, 1, {1, 0, 0}, points), 0);
}

TEST(Geometry, IntersectionOfCoplanarCircles) {
    std::array<Vec3, 2> points;
    ASSERT_EQ(velmesh::intersect_circles({0, 0, 0}, 5, {0, 0, 1}, {8, 0, 0}, 5, {0, 0, -1}, points), 2);
    for (const Vec3& q : points) {
        EXPECT_NEAR(q.x, 4, 1e-9);
        EXPECT_NEAR(std::fabs(q.y), 3, 1e-9);
        EXPECT_NEAR(q.z, 0, 1e-9);
    }
    // Too far apart, one inside the other, or in parallel planes apart.
    EXPECT_EQ(velmesh::intersect_circles({0, 0, 0}, 5, {0, 0, 1}, {11, 0, 0}, 5, {0, 0, 1}, points), 0);
    EXPECT_EQ(velmesh::intersect_circles({0, 0, 0}, 5, {0, 0, 1}, {1, 0, 0}, 1, {0, 0, 1}, points), 0);
    EXPECT_EQ(velmesh::intersect_circles({0, 0, 0}, 5, {0, 0, 1}, {8, 0, 2}, 5, {0, 0, 1}, points), 0);
}

TEST(Geometry, OrientedAngle) {
    const Vec3 x{1, 0, 0}, y{0, 1, 0}, z{0, 0, 1};
    EXPECT_NEAR(velmesh::oriented_angle(x, y, z), kPi / 2, 1e-12);
    EXPECT_NEAR(velmesh::oriented_angle(y, x, z), 3 * kPi / 2, 1e-12);
    EXPECT_NEAR(velmesh::oriented_angle(x, y, -z), 3 * kPi / 2, 1e-12);
    EXPECT_EQ(velmesh::oriented_angle(x, x, z), 0);
    EXPECT_DOUBLE_EQ(velmesh::oriented_angle(x, -x, z), kPi);
    const Vec3 w = Vec3{std::cos(2.5), std::sin(2.5), 0};
    EXPECT_NEAR(velmesh::oriented_angle(x, w, z), 2.5, 1e-12);
    EXPECT_NEAR(velmesh::oriented_angle(w, x, z), 2 * kPi - 2.5, 1e-12);
}

// The angles taken from cosines (a toric face's probe arc, reentrant corners,
// the singular band, the face tests) clamp a cosine that rounding carries past
// 1 or -1: the angle is 0 or pi, never NaN, and never a jump away from the
// angle just inside.
TEST(Geometry, AngleOfACosineClampsRoundingPastOne) {
    struct Case {
        double cosine;
        double angle;
    };
    const Case cases[] = {
        {1, 0},       {std::nextafter(1.0, 2.0), 0},     {1 + 1e-7, 0},       {1 - 1e-12, std::sqrt(2e-12)},
        {-1, kPi},    {std::nextafter(-1.0, -2.0), kPi}, {-1 - 1e-7, kPi},    {-1 + 1e-12, kPi - std::sqrt(2e-12)},
        {0.5, kPi / 3}, {0, kPi / 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cosine);
        EXPECT_NEAR(velmesh::angle_of_cosine(c.cosine), c.angle, 1e-10);
    }
}

TEST(Geometry, ProbeCircleClash) {
    // Circle of radius 3 in the xy plane, probe 1: a sphere of radius 1 at
    // (5.5, 0, 0) is 2.5 from the nearest circle point, beyond 1 + 1.
    const Vec3 centre{0, 0, 0}, axis{0, 0, 1};
    EXPECT_FALSE(velmesh::probe_circle_clash(centre, 3, axis, 1, {5.5, 0, 0}, 1));
    EXPECT_TRUE(velmesh::probe_circle_clash(centre, 3, axis, 1, {4.9, 0, 0}, 1));
    EXPECT_TRUE(velmesh::probe_circle_clash(centre, 3, axis, 1, {0, -3, 1.9}, 1));
    // On the axis every circle point is as near.
    EXPECT_FALSE(velmesh::probe_circle_clash(centre, 3, axis, 1, {0, 0, 1}, 1));
    // Near the axis a fixed circle point stands for the nearest one.
    EXPECT_TRUE(velmesh::probe_circle_clash(centre, 3, axis, 1, {0, 0.05, 0}, 2.0));
    EXPECT_FALSE(velmesh::probe_circle_clash(centre, 3, axis, 1, {0, 0.05, 0}, 1.9));
}

TEST(Geometry, TriangleNormalAreaAndGenus) {
    velmesh::Vec3 n = velmesh::tri_norm({0, 0, 0}, {1, 0, 0}, {0, 1, 0});
    expect_near(n, {0, 0, 1});
    EXPECT_NEAR(velmesh::triangle_area({0, 0, 0}, {3, 0, 0}, {0, 4, 0}), 6, 1e-12);
    EXPECT_NEAR(velmesh::triangle_area({0, 0, 0}, {1, 0, 0}, {0.5, 1e-5, 0}), 0.5e-5, 1e-12);
    EXPECT_EQ(velmesh::triangle_area({0, 0, 0}, {1, 1, 1}, {2, 2, 2}), 0);
    EXPECT_FLOAT_EQ(velmesh::genus(1, 34, 96, 64), 0);
    EXPECT_FLOAT_EQ(velmesh::genus(1, 0, 0, 0), 1);

    surface_testing::CapturedConsole console;
    n = velmesh::tri_norm({1, 1, 1}, {1, 1, 1}, {2, 2, 2});
    expect_near(n, {1, 0, 0});
    EXPECT_EQ(console.err(), "tri_norm: face with normal vector of lenght 0\n");
}

}  // namespace
