#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "utils/geometry/OBJECT3D.h"

namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();

COMPARTMENT box(int type, POINT3D halfsize, POINT3D center = {0, 0, 0}) {
    COMPARTMENT c{};
    c.type = type;
    c.dimension = 3;
    c.center = center;
    c.halfsize = halfsize;
    c.size = halfsize * 2.0;
    c.lower = center - halfsize;
    c.upper = center + halfsize;
    c.volume = c.size.x * c.size.y * c.size.z;
    return c;
}

const COMPARTMENT periodic10 = box(0, {5, 5, 5});

// The rotation by the three angles about z, y and x, with its transpose as
// the inverse.
OBJECT3D rotated_body(POINT3D centre, double a, double b, double g) {
    const double rz[3][3] = {{std::cos(a), -std::sin(a), 0}, {std::sin(a), std::cos(a), 0}, {0, 0, 1}};
    const double ry[3][3] = {{std::cos(b), 0, std::sin(b)}, {0, 1, 0}, {-std::sin(b), 0, std::cos(b)}};
    const double rx[3][3] = {{1, 0, 0}, {0, std::cos(g), -std::sin(g)}, {0, std::sin(g), std::cos(g)}};
    double ryx[3][3] = {};
    OBJECT3D o{};
    o.x = centre.x, o.y = centre.y, o.z = centre.z, o.r = 1;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k) ryx[i][j] += ry[i][k] * rx[k][j];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k) o.rot[i][j] += rz[i][k] * ryx[k][j];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) o.rot_inv[i][j] = o.rot[j][i];
    return o;
}

void expect_near(const POINT3D& a, const POINT3D& b, double tolerance) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

}  // namespace

TEST(Geometry, PointArithmetic) {
    POINT3D p{1, 2, 3};
    const POINT3D q{0.5, -1, 4};
    EXPECT_EQ((p + q).z, 7);
    EXPECT_EQ((p - q).y, 3);
    EXPECT_EQ((p * 2).x, 2);
    EXPECT_EQ((p / 4).z, 0.75);
    p += q;
    p -= POINT3D{1, 1, 1};
    p *= 2;
    p /= 4;
    EXPECT_EQ(p.x, 0.25);
    EXPECT_EQ(p.y, 0);
    EXPECT_EQ(p.z, 3);
}

TEST(Geometry, AxisDeltaFoldsByTheMinimumImage) {
    struct Case {
        double delta;
        double folded;
    };
    const Case cases[] = {{7, -3},  {-12, -2}, {5, 5},      {-5, -5},  {0, 0},     {4.5, 4.5}, {15, 5},
                          {-15, -5}, {25, 5},   {-25, -5},   {35, 5},   {-35, -5},  {1e6 + 3, 3}, {-1e6 - 3, -3},
                          {1e300, std::remainder(1e300, 10)}};
    for (const Case& c : cases)
        for (const AXIS axis : {AXIS::x, AXIS::y, AXIS::z}) {
            SCOPED_TRACE(testing::Message() << c.delta << " axis " << static_cast<int>(axis));
            EXPECT_EQ(getAxisDelta(c.delta, axis, &periodic10), c.folded);
        }
    const COMPARTMENT closed = box(1, {5, 5, 5});
    const COMPARTMENT unbounded = box(2, {5, 5, 5});
    EXPECT_EQ(getAxisDelta(7, AXIS::x, &closed), 7);
    EXPECT_EQ(getAxisDelta(7, AXIS::y, &unbounded), 7);
    EXPECT_EQ(getAxisDelta(7, AXIS::z, nullptr), 7);
}

// A periodic box with no usable period, or a difference that is not finite,
// must come back unchanged rather than loop.
TEST(Geometry, DegenerateBoxesAndValuesNeverLoop) {
    const COMPARTMENT boxes[] = {box(0, {0, 0, 0}), box(0, {inf, inf, inf}), box(0, {not_a_number, not_a_number, not_a_number}),
                                 box(0, {-5, -5, -5})};
    for (const COMPARTMENT& c : boxes) {
        SCOPED_TRACE(c.size.x);
        EXPECT_EQ(getAxisDelta(3, AXIS::x, &c), 3);
        EXPECT_EQ(getAxisDelta(-1e20, AXIS::y, &c), -1e20);
        POINT3D p{3, -1e20, 7};
        p.translate2bounds(c);
        EXPECT_EQ(p.x, 3);
        EXPECT_EQ(p.y, -1e20);
    }
    EXPECT_EQ(getAxisDelta(inf, AXIS::x, &periodic10), inf);
    EXPECT_EQ(getAxisDelta(-inf, AXIS::x, &periodic10), -inf);
    EXPECT_TRUE(std::isnan(getAxisDelta(not_a_number, AXIS::x, &periodic10)));
    POINT3D p{inf, -inf, not_a_number};
    p.translate2bounds(periodic10);
    EXPECT_EQ(p.x, inf);
    EXPECT_EQ(p.y, -inf);
    EXPECT_TRUE(std::isnan(p.z));
}

TEST(Geometry, PeriodicDistanceIsTheNearestOfTheTwentySevenImages) {
    std::mt19937_64 generator(7);
    const COMPARTMENT c = box(0, {3e-9, 5e-9, 8e-9}, {1e-9, -2e-9, 0});
    auto inside = [&](double lower, double upper) { return std::uniform_real_distribution<double>(lower, upper)(generator); };
    for (int trial = 0; trial < 2000; ++trial) {
        const POINT3D a{inside(c.lower.x, c.upper.x), inside(c.lower.y, c.upper.y), inside(c.lower.z, c.upper.z)};
        const POINT3D b{inside(c.lower.x, c.upper.x), inside(c.lower.y, c.upper.y), inside(c.lower.z, c.upper.z)};
        double nearest = inf;
        for (int i = -1; i <= 1; ++i)
            for (int j = -1; j <= 1; ++j)
                for (int k = -1; k <= 1; ++k) {
                    const double dx = (a.x - b.x) + i * c.size.x;
                    const double dy = (a.y - b.y) + j * c.size.y;
                    const double dz = (a.z - b.z) + k * c.size.z;
                    nearest = std::min(nearest, dx * dx + dy * dy + dz * dz);
                }
        ASSERT_DOUBLE_EQ(getDistance2(a, b, &c), nearest) << trial;
        ASSERT_DOUBLE_EQ(getDistance(a, b, &c), std::sqrt(nearest));
    }
    const POINT3D a{4, 0, 0}, b{-4, 0, 0};
    EXPECT_EQ(getDistance2(a, b, &periodic10), 4);
    EXPECT_EQ(getDistance2(a, b, nullptr), 64);
    const COMPARTMENT closed = box(1, {5, 5, 5});
    EXPECT_EQ(getDistance(a, b, &closed), 8);
}

TEST(Geometry, WrapIntoAPeriodicBox) {
    struct Case {
        double coordinate;
        double wrapped;
    };
    const Case cases[] = {{27, -3}, {5, 5}, {-5, -5}, {-27, 3}, {6, -4}, {-6, 4}, {45, 5}, {-45, -5}, {1e6 + 2.5, 2.5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.coordinate);
        POINT3D p{c.coordinate, c.coordinate, c.coordinate};
        p.translate2bounds(periodic10);
        EXPECT_EQ(p.x, c.wrapped);
        EXPECT_EQ(p.y, c.wrapped);
        EXPECT_EQ(p.z, c.wrapped);
    }
    POINT3D huge{1e300, -1e300, 3e17};
    huge.translate2bounds(periodic10);
    for (const double v : {huge.x, huge.y, huge.z}) {
        EXPECT_GE(v, -5);
        EXPECT_LE(v, 5);
    }
    POINT3D outside{27, 27, 27};
    outside.translate2bounds(box(1, {5, 5, 5}));
    EXPECT_EQ(outside.x, 27);
}

TEST(Geometry, SphereAgainstTheWallsOfAClosedBox) {
    const COMPARTMENT closed = box(1, {5, 5, 5});
    struct Case {
        POINT3D centre;
        double r;
        double radius;
        bool collides;
    };
    const Case cases[] = {
        {{4, 0, 0}, 1, -1, false},   // touching the upper x wall
        {{-4, 0, 0}, 1, -1, false},  // touching the lower x wall
        {{4, 0, 0}, 1.5, -1, true},  {{0, -4, 0}, 1.5, -1, true}, {{0, 0, 4.1}, 1, -1, true},
        {{0, 0, -4.1}, 1, -1, true}, {{4, 0, 0}, 5, 0.5, false},  // the radius given replaces r
        {{0, 4.6, 0}, 0.1, 0.5, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.centre.x << " " << c.centre.y << " " << c.centre.z << " r " << c.r);
        const SPHERE s{c.centre, c.r};
        EXPECT_EQ(s.collision3D_compartment(&closed, c.radius), c.collides);
        EXPECT_FALSE(s.collision3D_compartment(&periodic10, c.radius));
        EXPECT_FALSE(s.collision3D_compartment(nullptr, c.radius));
    }
}

TEST(Geometry, BodyAndWorldTransformsRoundTrip) {
    std::mt19937_64 generator(11);
    std::uniform_real_distribution<double> angle(-3.1, 3.1), offset(-2, 2), position(-5, 5);
    for (int trial = 0; trial < 500; ++trial) {
        const OBJECT3D o = rotated_body({position(generator), position(generator), position(generator)},
                                        angle(generator), angle(generator), angle(generator));
        const POINT3D body{offset(generator), offset(generator), offset(generator)};

        expect_near(body.fromInternal(o).toInternal(o, nullptr), body, 1e-12);
        expect_near(body.fromInternalRotateOnly(o).toInternalRotateOnly(o), body, 1e-12);

        // A world point wrapped to the far side of a periodic box is still
        // found in the body frame.
        POINT3D world = body.fromInternal(o);
        world.translate2bounds(periodic10);
        expect_near(world.toInternal(o, &periodic10), body, 1e-12);
    }
}

TEST(Geometry, TransformsUseRotTransposedAndTheStoredInverse) {
    // Not a rotation: the transforms must use rotᵀ one way and rot_invᵀ the
    // other, not the transpose of rot.
    OBJECT3D o{};
    o.x = 10, o.y = 20, o.z = 30;
    const double rot[3][3] = {{2, 0, 1}, {0, 1, 0}, {0, 0, 4}};
    const double inverse[3][3] = {{0.5, 0, -0.125}, {0, 1, 0}, {0, 0, 0.25}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) o.rot[i][j] = rot[i][j], o.rot_inv[i][j] = inverse[i][j];
    const POINT3D body{1, 2, 3};
    const POINT3D world = body.fromInternal(o);
    EXPECT_EQ(world.x, 2 * 1 + 10);
    EXPECT_EQ(world.y, 2 + 20);
    EXPECT_EQ(world.z, 1 * 1 + 4 * 3 + 30);
    const POINT3D back = world.toInternal(o, nullptr);
    EXPECT_EQ(back.x, 1);
    EXPECT_EQ(back.y, 2);
    EXPECT_EQ(back.z, 3);
    const POINT3D direction = body.fromInternalRotateOnly(o);
    EXPECT_EQ(direction.toInternalRotateOnly(o).z, 3);
}
