#include "visualization/Camera.h"

#include <algorithm>
#include <cmath>

using camera::angle_step;
using camera::dead_zone;
using camera::pi;
using camera::two_pi;

namespace {

// One step of 2π back into (−2π, 2π).
double wrapped(double angle) {
    if (angle >= two_pi) return angle - two_pi;
    if (angle <= -two_pi) return angle + two_pi;
    return angle;
}

}  // namespace

CVector Camera::direction() const {
    return {std::cos(yaw) * std::sin(pitch), std::sin(yaw) * std::sin(pitch), std::cos(pitch)};
}

CVector Camera::up() const {
    if (pitch == 0 || pitch == two_pi || pitch == -two_pi) return {-std::cos(yaw), -std::sin(yaw), 0};
    if (pitch == pi || pitch == -pi) return {std::cos(yaw), std::sin(yaw), 0};
    const bool leans_down = (pitch > pi && pitch < two_pi) || (pitch > -pi && pitch < 0);
    return {0, 0, leans_down ? -1.0 : 1.0};
}

void Camera::reset(const SceneBox& box) {
    eye = CVector{0, 0, (box.xmax - box.xmin) + (box.ymax - box.ymin)};
    yaw = 0;
    pitch = pi;
}

void Camera::press(int x, int y) {
    last_x_ = x;
    last_y_ = y;
}

bool Camera::drag(int x, int y, bool fly) {
    const int dx = x - last_x_;
    const int dy = y - last_y_;
    press(x, y);
    if (std::abs(dx) <= dead_zone && std::abs(dy) <= dead_zone) return false;
    if (fly)
        turn_fly(dx, dy);
    else
        turn_orbit(dx, dy);
    return true;
}

void Camera::turn_fly(int dx, int dy) {
    if (dy < -dead_zone) pitch += angle_step;
    if (dy > dead_zone) pitch -= angle_step;
    if (dx > dead_zone) yaw += angle_step;
    if (dx < -dead_zone) yaw -= angle_step;
    if (pitch > two_pi) pitch -= two_pi;
    if (pitch < -two_pi) pitch += two_pi;
    if (yaw > two_pi) yaw -= two_pi;
    if (yaw < -two_pi) yaw += two_pi;
}

void Camera::turn_orbit(int dx, int dy) {
    Orbit o = orbit();
    if (dy < -dead_zone) o.theta = std::min(o.theta + angle_step, pi);
    if (dy > dead_zone) o.theta = std::max(o.theta - angle_step, 0.0);
    if (dx > dead_zone) {
        o.phi -= angle_step;
        if (o.phi <= -two_pi) o.phi += two_pi;
    }
    if (dx < -dead_zone) {
        o.phi += angle_step;
        if (o.phi >= two_pi) o.phi -= two_pi;
    }
    place(o);
}

// On the z axis the azimuth of the eye is undefined; the camera's own azimuth
// turned half round stands in for it, so the eye never becomes NaN.
Camera::Orbit Camera::orbit() const {
    Orbit o{eye.length(), 0, 0};
    if (o.r != 0) o.theta = std::acos(std::clamp(eye.z / o.r, -1.0, 1.0));
    if ((eye.x == 0 && eye.y == 0) || std::sin(o.theta) == 0)
        o.phi = yaw + pi;
    else if (eye.x == 0)
        o.phi = std::atan2(eye.y, 0.0);
    else
        o.phi = std::atan(eye.y / eye.x) + (eye.x < 0 ? pi : 0);
    o.phi = wrapped(o.phi);
    return o;
}

void Camera::place(const Orbit& o) {
    eye = CVector{o.r * std::cos(o.phi) * std::sin(o.theta), o.r * std::sin(o.phi) * std::sin(o.theta),
                  o.r * std::cos(o.theta)};
    yaw = wrapped(o.phi + pi);
    pitch = pi - o.theta;
}

void Camera::advance(double v, bool fly) {
    if (fly) {
        const CVector d = direction();
        eye = CVector{eye.x + v * d.x, eye.y + v * d.y, eye.z + v * d.z};
        return;
    }
    Orbit o = orbit();
    o.r = std::max(o.r - v, 1.0);
    place(o);
}

CameraProjection Camera::projection(int width, int height, double scene_size, bool fly) const {
    CameraProjection p;
    p.aspect = static_cast<double>(width) / static_cast<double>(std::max(height, 1));
    p.far_plane = 5 * std::sqrt(eye.x * eye.x + eye.y * eye.y + eye.z * eye.z + scene_size * scene_size);
    p.eye = eye;
    if (fly) {
        const CVector d = direction();
        p.target = CVector{eye.x + 5 * d.x, eye.y + 5 * d.y, eye.z + 5 * d.z};
    }
    p.up = up();
    return p;
}
