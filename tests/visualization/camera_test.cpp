// The camera's arithmetic: mouse steps, dead zone, wrap, approach, the up
// vector, the eye on the z axis, speed, reset and projection.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "visualization/Camera.h"

namespace {

using camera::angle_step;
using camera::pi;
using camera::two_pi;

double azimuth(const CVector& eye) { return std::atan2(eye.y, eye.x); }
double polar(const CVector& eye) { return std::acos(eye.z / eye.length()); }

// The change of an angle, folded into (−π, π].
double turned(double before, double after) { return std::remainder(after - before, 2 * M_PI); }

struct DragCase {
    const char* name;
    bool fly;
    int dx;
    int dy;
    double yaw_turn;    // fly: change of yaw; orbit: change of the eye's azimuth
    double pitch_turn;  // fly: change of pitch; orbit: change of the eye's polar angle
};

class DragTable : public testing::TestWithParam<DragCase> {};

TEST_P(DragTable, OneMoveTurnsOneStepPerAxisWhateverItsLength) {
    const DragCase& c = GetParam();
    Camera cam;
    cam.eye = CVector{30, 30, 40};
    const Camera before = cam;
    cam.press(100, 100);
    EXPECT_TRUE(cam.drag(100 + c.dx, 100 + c.dy, c.fly));
    if (c.fly) {
        EXPECT_NEAR(cam.yaw - before.yaw, c.yaw_turn, 1e-12);
        EXPECT_NEAR(cam.pitch - before.pitch, c.pitch_turn, 1e-12);
        EXPECT_EQ(cam.eye, before.eye);
    } else {
        EXPECT_NEAR(turned(azimuth(before.eye), azimuth(cam.eye)), c.yaw_turn, 1e-12);
        EXPECT_NEAR(polar(cam.eye) - polar(before.eye), c.pitch_turn, 1e-12);
        EXPECT_NEAR(cam.eye.length(), before.eye.length(), 1e-12);
        // Still looking at the origin.
        const CVector d = cam.direction();
        const CVector towards = cam.eye.normalized();
        EXPECT_NEAR(d.x, -towards.x, 1e-6);
        EXPECT_NEAR(d.y, -towards.y, 1e-6);
        EXPECT_NEAR(d.z, -towards.z, 1e-6);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Moves, DragTable,
    testing::Values(DragCase{"OrbitTenRight", false, 10, 0, -angle_step, 0},
                    DragCase{"OrbitThreeLeft", false, -3, 0, angle_step, 0},
                    DragCase{"OrbitFiftyUp", false, 0, -50, 0, angle_step},
                    DragCase{"OrbitDownRight", false, 10, 10, -angle_step, -angle_step},
                    DragCase{"OrbitRightBelowDeadZoneDown", false, 2, 9, 0, -angle_step},
                    DragCase{"FlyTenRight", true, 10, 0, angle_step, 0},
                    DragCase{"FlyTenUp", true, 0, -10, 0, angle_step},
                    DragCase{"FlyDownLeft", true, -7, 7, -angle_step, -angle_step}),
    [](const testing::TestParamInfo<DragCase>& info) { return std::string(info.param.name); });

TEST(CameraDrag, SlowDragOfTwoPixelsPerMoveNeverTurns) {
    for (const bool fly : {false, true}) {
        Camera cam;
        const Camera before = cam;
        cam.press(0, 0);
        for (int k = 1; k <= 100; ++k) EXPECT_FALSE(cam.drag(2 * k, -2 * k, fly));
        EXPECT_EQ(cam.eye, before.eye);
        EXPECT_EQ(cam.yaw, before.yaw);
        EXPECT_EQ(cam.pitch, before.pitch);
    }
}

TEST(CameraDrag, PressMovesTheRememberedPosition) {
    Camera cam;
    cam.press(0, 0);
    cam.press(50, 50);
    EXPECT_FALSE(cam.drag(52, 48, false));
}

TEST(CameraDrag, FlyAnglesWrapPastTwoPi) {
    Camera cam;
    cam.yaw = two_pi - 0.05;
    cam.pitch = -two_pi + 0.05;
    cam.press(0, 0);
    cam.drag(10, 10, true);
    EXPECT_DOUBLE_EQ(cam.yaw, two_pi - 0.05 + angle_step - two_pi);
    EXPECT_DOUBLE_EQ(cam.pitch, -two_pi + 0.05 - angle_step + two_pi);
}

TEST(CameraDrag, OrbitAnglesStayWithinTwoPi) {
    Camera cam;
    cam.press(0, 0);
    for (int k = 1; k <= 200; ++k) {
        cam.drag(10 * k, 0, false);
        ASSERT_GT(cam.yaw, -two_pi);
        ASSERT_LT(cam.yaw, two_pi);
    }
    cam.press(0, 0);
    for (int k = 1; k <= 200; ++k) cam.drag(-10 * k, 0, false);
    EXPECT_GT(cam.yaw, -two_pi);
    EXPECT_LT(cam.yaw, two_pi);
}

TEST(CameraDrag, OrbitPolarAngleStopsAtThePoles) {
    Camera cam;
    cam.press(0, 0);
    for (int k = 1; k <= 64; ++k) cam.drag(0, -10 * k, false);
    EXPECT_NEAR(polar(cam.eye), pi, 1e-7);
    cam.press(0, 0);
    for (int k = 1; k <= 64; ++k) cam.drag(0, 10 * k, false);
    EXPECT_DOUBLE_EQ(polar(cam.eye), 0.0);
}

// On the z axis the eye's azimuth is undefined; from below (where the sine
// of the polar angle is not exactly 0) it once gave NaN for good.
TEST(CameraDrag, EyeOnTheZAxisNeverGivesNaN) {
    for (const double z : {50.0, -50.0}) {
        Camera cam;
        cam.eye = CVector{0, 0, z};
        cam.press(0, 0);
        int x = 0;
        for (int k = 0; k < 8; ++k) {
            x += (k % 2 ? -10 : 10);
            cam.drag(x, 0, false);
            ASSERT_TRUE(std::isfinite(cam.eye.x) && std::isfinite(cam.eye.y) && std::isfinite(cam.eye.z)) << z;
            ASSERT_TRUE(std::isfinite(cam.yaw) && std::isfinite(cam.pitch)) << z;
        }
        EXPECT_NEAR(cam.eye.length(), 50.0, 1e-9);
        cam.drag(x, 10, false);
        cam.approach(false);
        EXPECT_TRUE(std::isfinite(cam.eye.x) && std::isfinite(cam.eye.y) && std::isfinite(cam.eye.z)) << z;
    }
}

TEST(CameraKeys, OrbitApproachStopsOneAngstromFromTheOrigin) {
    Camera cam;
    cam.eye = CVector{0, 6, 8};
    cam.approach(false);
    EXPECT_NEAR(cam.eye.length(), 5.0, 1e-12);
    cam.approach(false);
    EXPECT_NEAR(cam.eye.length(), 1.0, 1e-12);
    cam.approach(false);
    EXPECT_NEAR(cam.eye.length(), 1.0, 1e-12);
    cam.retreat(false);
    EXPECT_NEAR(cam.eye.length(), 6.0, 1e-12);
    EXPECT_NEAR(cam.eye.y / cam.eye.length(), 0.6, 1e-12);  // along the same line
}

TEST(CameraKeys, FlyApproachMovesAlongTheView) {
    Camera cam;
    cam.pitch = pi / 2;
    cam.yaw = 0;
    cam.eye = CVector{};
    cam.approach(true);
    EXPECT_NEAR(cam.eye.x, 5.0, 1e-12);
    cam.retreat(true);
    cam.retreat(true);
    EXPECT_NEAR(cam.eye.x, -5.0, 1e-12);
}

TEST(CameraKeys, SpeedChangesInStepsOfATenthWithoutBound) {
    Camera cam;
    cam.speed_up();
    EXPECT_DOUBLE_EQ(cam.speed, 5.1);
    Camera slow;
    for (int k = 0; k < 60; ++k) slow.slow_down();
    EXPECT_NEAR(slow.speed, -1.0, 1e-12);
}

struct UpCase {
    double pitch;
    CVector up;  // with yaw = 0.5
};

class UpTable : public testing::TestWithParam<UpCase> {};

TEST_P(UpTable, UpVectorFollowsThePitch) {
    Camera cam;
    cam.yaw = 0.5;
    cam.pitch = GetParam().pitch;
    EXPECT_EQ(cam.up(), GetParam().up);
}

const double c5 = std::cos(0.5);
const double s5 = std::sin(0.5);

INSTANTIATE_TEST_SUITE_P(Pitches, UpTable,
                         testing::Values(UpCase{0.0, {-c5, -s5, 0}}, UpCase{two_pi, {-c5, -s5, 0}},
                                         UpCase{-two_pi, {-c5, -s5, 0}}, UpCase{pi, {c5, s5, 0}},
                                         UpCase{-pi, {c5, s5, 0}}, UpCase{4.0, {0, 0, -1}}, UpCase{-1.0, {0, 0, -1}},
                                         UpCase{1.0, {0, 0, 1}}, UpCase{-4.0, {0, 0, 1}},
                                         UpCase{M_PI, {0, 0, -1}}));

TEST(CameraReset, LooksDownTheZAxisWithXUp) {
    Camera cam;
    SceneBox box;
    box.xmin = -50;
    box.xmax = 70;
    box.ymin = -10;
    box.ymax = 10;
    cam.reset(box);
    EXPECT_EQ(cam.eye, (CVector{0, 0, 140}));
    EXPECT_EQ(cam.yaw, 0.0);
    EXPECT_EQ(cam.pitch, pi);
    EXPECT_EQ(cam.up(), (CVector{1, 0, 0}));
}

TEST(CameraProjectionTest, HoldsTheWholeCamera) {
    Camera cam;
    cam.eye = CVector{3, 4, 0};
    cam.pitch = pi / 2;
    cam.yaw = pi / 2;
    const CameraProjection orbit = cam.projection(200, 100, 12, false);
    EXPECT_EQ(orbit.fovy, 40.0);
    EXPECT_EQ(orbit.aspect, 2.0);
    EXPECT_EQ(orbit.near_plane, 1.0);
    EXPECT_DOUBLE_EQ(orbit.far_plane, 5 * 13.0);
    EXPECT_EQ(orbit.target, CVector{});
    const CameraProjection fly = cam.projection(200, 0, 12, true);
    EXPECT_TRUE(std::isfinite(fly.aspect));
    EXPECT_NEAR(fly.target.x, 3.0, 1e-6);
    EXPECT_NEAR(fly.target.y, 9.0, 1e-6);
}

}  // namespace
