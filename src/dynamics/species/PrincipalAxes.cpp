#include "dynamics/species/PrincipalAxes.h"

#include <cmath>
#include <cstddef>
#include <limits>

namespace principal_axes {
namespace {

constexpr double angle_step = 0.015707963267948967;  // π/200
constexpr double pi = 3.141592653589793;

struct Frame {
    double u1[3], u2[3], n[3];
};

Frame frame(double phi, double theta) {
    const double cp = std::cos(phi), sp = std::sin(phi), ct = std::cos(theta), st = std::sin(theta);
    return Frame{{cp * ct, -sp * ct, -st}, {sp, cp, 0.0}, {cp * st, -sp * st, ct}};
}

double dot(const ATOM& a, const double u[3]) { return a.x * u[0] + a.y * u[1] + a.z * u[2]; }

// The least and largest moments over a sequence of directions, by the
// engine's rule for the least.
struct Extremes {
    double least = 0, most = 0;
    double phi = 0, theta = 0;
    void offer(double value, double phi_value, double theta_value) {
        if (value > most) most = value;
        if (value < least || least == 0) {
            least = value;
            phi = phi_value;
            theta = theta_value;
        }
    }
};

AxisSearch finish(const std::vector<ATOM>& atoms, double mass, const Extremes& e) {
    AxisSearch result;
    result.least = e.least;
    result.most = e.most;
    if (!(e.least > 0)) return result;
    result.found = true;
    result.phi = e.phi;
    result.theta = e.theta;
    const Frame f = frame(e.phi, e.theta);
    for (int i = 0; i < 3; ++i) {
        result.rot[i][0] = f.u1[i];
        result.rot[i][1] = f.u2[i];
        result.rot[i][2] = f.n[i];
    }
    for (const ATOM& a : atoms) {
        const double p1 = dot(a, f.u1), p2 = dot(a, f.u2), pn = dot(a, f.n);
        result.Ix += a.mass * (p2 * p2 + pn * pn);
        result.Iy += a.mass * (pn * pn + p1 * p1);
        result.Iz += a.mass * (p1 * p1 + p2 * p2);
    }
    result.ell_a = std::sqrt(2.5 * (result.Ix + result.Iy - result.Iz) / mass);
    result.ell_b = std::sqrt(2.5 * result.Iz / mass);
    return result;
}

}  // namespace

const std::vector<double>& search_angles() {
    static const std::vector<double> angles = [] {
        std::vector<double> values;
        for (double a = 0.0; a < pi; a += angle_step) values.push_back(a);
        return values;
    }();
    return angles;
}

double moment(const std::vector<ATOM>& atoms, double phi, double theta) {
    const Frame f = frame(phi, theta);
    double sum = 0.0;
    for (const ATOM& a : atoms) {
        const double p1 = dot(a, f.u1), p2 = dot(a, f.u2);
        sum += a.mass * (p1 * p1 + p2 * p2);
    }
    return sum;
}

AxisSearch search_axes_plainly(const std::vector<ATOM>& atoms, double mass) {
    Extremes e;
    for (const double phi : search_angles())
        for (const double theta : search_angles()) e.offer(moment(atoms, phi, theta), phi, theta);
    return finish(atoms, mass, e);
}

AxisSearch search_axes(const std::vector<ATOM>& atoms, double mass) {
    // The moment about a unit vector n is S − nᵀ C n, with C the
    // mass-weighted second moments of the positions and S its trace.
    double c[3][3] = {};
    for (const ATOM& a : atoms) {
        const double r[3] = {a.x, a.y, a.z};
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) c[i][j] += a.mass * r[i] * r[j];
    }
    const double trace = c[0][0] + c[1][1] + c[2][2];
    const std::vector<double>& angles = search_angles();
    const std::size_t count = angles.size();
    std::vector<double> estimate(count * count);
    double low = std::numeric_limits<double>::infinity(), high = -low;
    for (std::size_t p = 0; p < count; ++p)
        for (std::size_t t = 0; t < count; ++t) {
            const Frame f = frame(angles[p], angles[t]);
            const double* n = f.n;
            double q = 0.0;
            for (int i = 0; i < 3; ++i)
                for (int j = 0; j < 3; ++j) q += n[i] * c[i][j] * n[j];
            const double value = trace - q;
            estimate[p * count + t] = value;
            low = std::fmin(low, value);
            high = std::fmax(high, value);
        }
    // Both ways of summing agree to far better than this; a least moment
    // this close to 0 leaves the rule about exact zeros to the full search.
    const double tolerance = 1e-9 * std::fabs(trace);
    if (!(low > tolerance) || !std::isfinite(trace)) return search_axes_plainly(atoms, mass);

    Extremes e;
    for (std::size_t p = 0; p < count; ++p)
        for (std::size_t t = 0; t < count; ++t) {
            const double value = estimate[p * count + t];
            if (value <= low + tolerance || value >= high - tolerance)
                e.offer(moment(atoms, angles[p], angles[t]), angles[p], angles[t]);
        }
    return finish(atoms, mass, e);
}

BodyMoments body_moments(const std::vector<ATOM>& atoms) {
    BodyMoments m{0, 0, 0};
    for (const ATOM& a : atoms) {
        m.Ix += a.mass * (a.y * a.y + a.z * a.z);
        m.Iy += a.mass * (a.z * a.z + a.x * a.x);
        m.Iz += a.mass * (a.x * a.x + a.y * a.y);
    }
    return m;
}

}  // namespace principal_axes
