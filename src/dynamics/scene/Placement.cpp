#include "dynamics/scene/Placement.h"

#include <cmath>

namespace {

constexpr double two_pi = 6.283185307179586;

}  // namespace

void uniform_rotation(double u1, double u2, double u3, double rot[3][3]) {
    const double r1 = std::sqrt(1.0 - u1);
    const double r2 = std::sqrt(u1);
    const double t1 = two_pi * u2;
    const double t2 = two_pi * u3;
    const double w = std::cos(t2) * r2;
    const double x = std::sin(t1) * r1;
    const double y = std::cos(t1) * r1;
    const double z = std::sin(t2) * r2;
    rot[0][0] = 1.0 - 2.0 * (y * y + z * z);
    rot[0][1] = 2.0 * (x * y - w * z);
    rot[0][2] = 2.0 * (x * z + w * y);
    rot[1][0] = 2.0 * (x * y + w * z);
    rot[1][1] = 1.0 - 2.0 * (x * x + z * z);
    rot[1][2] = 2.0 * (y * z - w * x);
    rot[2][0] = 2.0 * (x * z - w * y);
    rot[2][1] = 2.0 * (y * z + w * x);
    rot[2][2] = 1.0 - 2.0 * (x * x + y * y);
}

bool is_rotation(const double rot[3][3], double tolerance) {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            const double dot = rot[i][0] * rot[j][0] + rot[i][1] * rot[j][1] + rot[i][2] * rot[j][2];
            if (!(std::fabs(dot - (i == j ? 1.0 : 0.0)) <= tolerance)) return false;
        }
    const double det = rot[0][0] * (rot[1][1] * rot[2][2] - rot[1][2] * rot[2][1]) -
                       rot[0][1] * (rot[1][0] * rot[2][2] - rot[1][2] * rot[2][0]) +
                       rot[0][2] * (rot[1][0] * rot[2][1] - rot[1][1] * rot[2][0]);
    return std::fabs(det - 1.0) <= tolerance;
}
