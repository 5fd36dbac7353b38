#include "dynamics/species/Friction.h"

#include <cmath>
#include <initializer_list>

namespace friction {

Coefficients ellipsoid(double a, double b, double viscosity) {
    const double p = a / b;
    const double r = std::cbrt(a * b * b);
    const double eta = viscosity;
    Coefficients c;
    if (std::fabs(p - 1.0) < 0.01) {
        c.sphere = true;
        c.trans_a = c.trans_b = 18.84955592153876 * eta * r;       // 6π
        c.rot_a = c.rot_b = 25.132741228718345 * eta * r * r * r;  // 8π
        return c;
    }
    const double xi = std::sqrt(p * p - 1.0);
    const double l = std::log(p + xi);
    const double s = (2.0 * p * p - 1.0) * l - p * xi;
    const double xi3 = xi * xi * xi;
    const double p13 = std::pow(p, 1.0 / 3.0);
    c.trans_a = 25.132741228718345 * eta * r * xi3 / (p13 * s);
    c.trans_b = 50.26548245743669 * eta * r * xi3 / (p13 * ((2.0 * p * p - 3.0) * l + p * xi));
    c.rot_a = 16.755160819145562 * eta * a * b * b * xi3 / (p * (p * xi - l));
    c.rot_b = 16.755160819145562 * eta * a * b * b * xi3 * (p * p + 1.0) / (p * s);
    return c;
}

bool usable(const Coefficients& c) {
    for (const double v : {c.trans_a, c.trans_b, c.rot_a, c.rot_b})
        if (!(std::isfinite(v) && v > 0.0)) return false;
    return true;
}

}  // namespace friction
