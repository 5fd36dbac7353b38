#include "visualization/support/Offscreen.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>

namespace visualization_testing {

std::pair<int, int> Offscreen::pixel_of(const CVector& p) const {
    GLdouble model[16];
    GLdouble projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLdouble x = 0, y = 0, z = 0;
    gluProject(p.x, p.y, p.z, model, projection, viewport, &x, &y, &z);
    return {static_cast<int>(std::floor(x)), height() - 1 - static_cast<int>(std::floor(y))};
}

// The box's faint faces lie over the whole scene, so "plainly" allows a
// little of their white in every channel.
Hue hue_of(const std::array<std::uint8_t, 3>& rgb) {
    const auto high = [](std::uint8_t c) { return c >= 200; };
    const auto low = [](std::uint8_t c) { return c <= 60; };
    const auto [r, g, b] = rgb;
    if (low(r) && low(g) && low(b)) return Hue::black;
    if (high(r) && low(g) && low(b)) return Hue::red;
    if (low(r) && high(g) && low(b)) return Hue::green;
    if (low(r) && low(g) && high(b)) return Hue::blue;
    if (high(r) && high(g) && high(b)) return Hue::white;
    if (high(r) && high(g) && low(b)) return Hue::yellow;
    return Hue::other;
}

const char* hue_name(Hue hue) {
    switch (hue) {
        case Hue::black: return "black";
        case Hue::red: return "red";
        case Hue::green: return "green";
        case Hue::blue: return "blue";
        case Hue::white: return "white";
        case Hue::yellow: return "yellow";
        case Hue::other: break;
    }
    return "other";
}

int count_hue(const Image& image, Hue hue, int top, int bottom) {
    int count = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < image.width; ++x) count += hue_of(image.at(x, y)) == hue;
    return count;
}

}  // namespace visualization_testing
