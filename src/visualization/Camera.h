#pragma once
// The viewer's camera: an eye position and a view direction given by two
// angles, moved by the mouse (right button held) and by keys, in two modes.
// Fly mode turns the view direction and moves the eye along it; orbit mode
// circles the origin at constant distance, looking at it. Pure arithmetic:
// the renderer turns the result into OpenGL's projection.
//
// The view direction is D = (cos yaw · sin pitch, sin yaw · sin pitch,
// cos pitch). Angles are kept within (−2π, 2π); π is 3.1415926 throughout,
// the angular step of one move is π/32.
#include "visualization/CVector.h"
#include "visualization/SceneDescription.h"

namespace camera {

inline constexpr double pi = 3.1415926;
inline constexpr double two_pi = 6.2831852;
inline constexpr double angle_step = 0.09817476875;  // π/32, radians
// Pointer moves count only beyond this many pixels, per axis.
inline constexpr int dead_zone = 2;

}  // namespace camera

// What the projection is made of.
struct CameraProjection {
    double fovy = 40.0;  // vertical angle, degrees
    double aspect = 1.0;
    double near_plane = 1.0;  // Å
    double far_plane = 1.0;   // Å
    CVector eye;
    CVector target;  // the point looked at
    CVector up;
};

class Camera {
public:
    CVector eye{30, 30, 40};    // Å
    double pitch = 2.35619445;  // polar angle of the view direction, radians
    double yaw = -2.35619445;   // azimuth of the view direction, radians
    double speed = 5.0;         // Å per approach or retreat

    CVector direction() const;
    // The up vector: in the horizontal plane when the view is straight up or
    // down, else ±z as the view direction leans.
    CVector up() const;

    // Looking down the z axis at the origin from (box x size + box y size)
    // above it.
    void reset(const SceneBox& box);

    // A button went down at (x, y): the pointer is remembered there.
    void press(int x, int y);
    // The pointer moved to (x, y) with the right button held: turns by one
    // step per axis whose move exceeds the dead zone, whatever its length,
    // and remembers the position. True when the camera changed.
    bool drag(int x, int y, bool fly);

    // 'A' and 'Z': by `speed` along the view (fly mode), or towards and away
    // from the origin, never closer than 1 Å (orbit mode).
    void approach(bool fly) { advance(speed, fly); }
    void retreat(bool fly) { advance(-speed, fly); }
    // Numeric-keypad plus and minus.
    void speed_up() { speed += 0.1; }
    void slow_down() { speed -= 0.1; }

    // The projection for a viewport of width × height pixels in a scene of
    // size `scene_size` (Å): 40° high, near 1, far 5 · sqrt(|eye|² + size²),
    // looking 5 D ahead in fly mode, else at the origin.
    CameraProjection projection(int width, int height, double scene_size, bool fly) const;

private:
    // The eye in spherical coordinates about the origin.
    struct Orbit {
        double r;
        double theta;
        double phi;
    };
    Orbit orbit() const;
    void place(const Orbit& o);
    void advance(double v, bool fly);
    void turn_fly(int dx, int dy);
    void turn_orbit(int dx, int dy);

    int last_x_ = 0;
    int last_y_ = 0;
};
