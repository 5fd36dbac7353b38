#include "surface/support/ExcludedRegion.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace surface_testing {

namespace {

using Point = ExcludedRegion::Point;

constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 2 * kPi;

Point add(const Point& a, const Point& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
Point minus(const Point& a, const Point& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Point scale(double s, const Point& a) { return {s * a[0], s * a[1], s * a[2]}; }
double dot(const Point& a, const Point& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
double length(const Point& a) { return std::sqrt(dot(a, a)); }
Point cross(const Point& a, const Point& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
Point unit(const Point& a) { return scale(1 / length(a), a); }
// A unit vector perpendicular to the unit vector a.
Point across(const Point& a) {
    const Point other = std::fabs(a[0]) < 0.6 ? Point{1, 0, 0} : Point{0, 1, 0};
    return unit(cross(a, other));
}

// Points spread evenly over the unit sphere (a golden-angle spiral).
std::vector<Point> spiral(int count) {
    std::vector<Point> points;
    points.reserve(static_cast<std::size_t>(count));
    const double turn = kPi * (3 - std::sqrt(5.0));
    for (int k = 0; k < count; ++k) {
        const double z = 1 - (2 * k + 1.0) / count;
        const double ring = std::sqrt(1 - z * z);
        points.push_back({ring * std::cos(turn * k), ring * std::sin(turn * k), z});
    }
    return points;
}

// The k-th term of the van der Corput sequence in the base.
double radical_inverse(int k, int base) {
    double result = 0, fraction = 1.0 / base;
    for (; k > 0; k /= base, fraction /= base) result += fraction * (k % base);
    return result;
}

// Angular intervals of a circle, each [from, to] with 0 <= from < to <= 2 pi.
using Intervals = std::vector<std::pair<double, double>>;

void add_interval(Intervals& intervals, double middle, double half) {
    double from = std::fmod(middle - half, kTwoPi);
    if (from < 0) from += kTwoPi;
    const double to = from + 2 * half;
    if (to <= kTwoPi) {
        intervals.push_back({from, to});
    } else {
        intervals.push_back({from, kTwoPi});
        intervals.push_back({0, to - kTwoPi});
    }
}

// What the intervals leave of [0, 2 pi].
Intervals complement(Intervals covered) {
    std::sort(covered.begin(), covered.end());
    Intervals open;
    double at = 0;
    for (const auto& [from, to] : covered) {
        if (from > at) open.push_back({at, from});
        at = std::max(at, to);
    }
    if (at < kTwoPi) open.push_back({at, kTwoPi});
    return open;
}

}  // namespace

ExcludedRegion::ExcludedRegion(const std::vector<TestSphere>& spheres, double probe_radius) : p_(probe_radius) {
    double largest = 0;
    for (const TestSphere& s : spheres) {
        grown_.push_back({{s.x, s.y, s.z}, s.r + p_, false});
        flags_.push_back(s.flags);
        largest = std::max(largest, s.r + p_);
    }
    // Grown spheres that overlap have centres less than twice the largest
    // radius apart: one cell, so the cells around a point hold them all.
    cell_ = 2 * largest;
    for (int k = 0; k < static_cast<int>(grown_.size()); ++k) {
        sphere_grid_[cell_key(cell_of(grown_[k].centre))].push_back(k);
        for (int c = 0; c < 3; ++c) {
            low_[c] = k == 0 ? grown_[k].centre[c] - grown_[k].radius
                             : std::min(low_[c], grown_[k].centre[c] - grown_[k].radius);
            high_[c] = k == 0 ? grown_[k].centre[c] + grown_[k].radius
                              : std::max(high_[c], grown_[k].centre[c] + grown_[k].radius);
        }
    }
    find_arcs_and_corners();
}

std::array<long long, 3> ExcludedRegion::cell_of(const Point& x) const {
    return {static_cast<long long>(std::floor(x[0] / cell_)), static_cast<long long>(std::floor(x[1] / cell_)),
            static_cast<long long>(std::floor(x[2] / cell_))};
}

long long ExcludedRegion::cell_key(const std::array<long long, 3>& cell) {
    const auto c = [&](int k) { return (cell[k] + (1 << 20)) & 0x1fffff; };
    return (c(0) << 42) | (c(1) << 21) | c(2);
}

// The cells around x are found by their indices: offsetting the coordinate
// by a cell and rounding down can skip a cell for a point on a boundary.
template <class Visit>
void ExcludedRegion::near_items(const std::unordered_map<long long, std::vector<int>>& grid, const Point& x,
                                Visit&& visit) const {
    const std::array<long long, 3> cell = cell_of(x);
    for (long long a = -1; a <= 1; ++a)
        for (long long b = -1; b <= 1; ++b)
            for (long long c = -1; c <= 1; ++c) {
                const auto found = grid.find(cell_key({cell[0] + a, cell[1] + b, cell[2] + c}));
                if (found == grid.end()) continue;
                for (const int item : found->second) visit(item);
            }
}

template <class Visit>
void ExcludedRegion::near_spheres(const Point& x, double reach, Visit&& visit) const {
    near_items(sphere_grid_, x, [&](int k) {
        const Grown& g = grown_[k];
        const double limit = g.radius + reach;
        const Point d = minus(x, g.centre);
        if (dot(d, d) < limit * limit) visit(k);
    });
}

bool ExcludedRegion::inside_other(const Point& x, int skip1, int skip2, int skip3) const {
    bool inside = false;
    near_spheres(x, 0, [&](int k) {
        if (k != skip1 && k != skip2 && k != skip3) inside = true;
    });
    return inside;
}

void ExcludedRegion::find_arcs_and_corners() {
    const int count = static_cast<int>(grown_.size());
    std::vector<std::vector<int>> overlapping(count);
    for (int i = 0; i < count; ++i)
        near_spheres(grown_[i].centre, cell_, [&](int j) {
            if (j <= i) return;
            const double d = length(minus(grown_[j].centre, grown_[i].centre));
            if (d < grown_[i].radius + grown_[j].radius && d > std::fabs(grown_[i].radius - grown_[j].radius)) {
                overlapping[i].push_back(j);
                overlapping[j].push_back(i);
            }
        });
    for (int i = 0; i < count; ++i) {
        std::sort(overlapping[i].begin(), overlapping[i].end());
        if (overlapping[i].empty()) grown_[i].exposed = true;
    }

    for (int i = 0; i < count; ++i)
        for (const int j : overlapping[i]) {
            if (j <= i) continue;
            const Grown& a = grown_[i];
            const Grown& b = grown_[j];
            Arc arc;
            arc.i = i;
            arc.j = j;
            const Point apart = minus(b.centre, a.centre);
            const double d = length(apart);
            arc.axis = scale(1 / d, apart);
            const double along = (d * d + a.radius * a.radius - b.radius * b.radius) / (2 * d);
            arc.centre = add(a.centre, scale(along, arc.axis));
            arc.radius = std::sqrt(std::max(0.0, a.radius * a.radius - along * along));
            arc.e1 = across(arc.axis);
            arc.e2 = cross(arc.axis, arc.e1);
            Intervals covered;
            bool whole = false;
            for (const int m : overlapping[i]) {
                if (m == j || whole) continue;
                const Point v = minus(grown_[m].centre, arc.centre);
                const double c1 = dot(v, arc.e1), c2 = dot(v, arc.e2);
                const double amplitude = 2 * arc.radius * std::sqrt(c1 * c1 + c2 * c2);
                const double offset = dot(v, v) + arc.radius * arc.radius - grown_[m].radius * grown_[m].radius;
                if (amplitude <= 1e-12 || offset / amplitude <= -1) {
                    if (offset < 0) whole = true;
                    continue;
                }
                if (offset / amplitude >= 1) continue;
                add_interval(covered, std::atan2(c2, c1), std::acos(offset / amplitude));
            }
            if (whole) continue;
            for (const auto& [from, to] : complement(covered)) {
                arc.from = from;
                arc.to = to;
                arcs_.push_back(arc);
                arc_grid_[cell_key(cell_of(arc.centre))].push_back(static_cast<int>(arcs_.size()) - 1);
                grown_[i].exposed = grown_[j].exposed = true;
            }
            // Corners on this circle with every third sphere.
            for (const int k : overlapping[i]) {
                if (k <= j || !std::binary_search(overlapping[j].begin(), overlapping[j].end(), k)) continue;
                const Grown& c = grown_[k];
                const double i_ = dot(arc.axis, minus(c.centre, a.centre));
                const Point side = minus(minus(c.centre, a.centre), scale(i_, arc.axis));
                const double j_ = length(side);
                if (j_ <= 1e-12) continue;
                const Point ey = scale(1 / j_, side);
                const Point ez = cross(arc.axis, ey);
                const double x = (a.radius * a.radius - b.radius * b.radius + d * d) / (2 * d);
                const double y = (a.radius * a.radius - c.radius * c.radius + i_ * i_ + j_ * j_) / (2 * j_) - i_ / j_ * x;
                const double z2 = a.radius * a.radius - x * x - y * y;
                if (z2 <= 0) continue;
                for (const double sign : {-1.0, 1.0}) {
                    const Point corner =
                        add(add(add(a.centre, scale(x, arc.axis)), scale(y, ey)), scale(sign * std::sqrt(z2), ez));
                    if (inside_other(corner, i, j, k)) continue;
                    corners_.push_back(corner);
                    corner_grid_[cell_key(cell_of(corner))].push_back(static_cast<int>(corners_.size()) - 1);
                }
            }
        }
}

double ExcludedRegion::distance_to_probes(const Point& x) const {
    bool covered = false;
    near_spheres(x, 0, [&](int) { covered = true; });
    if (!covered) return 0;
    double best = std::numeric_limits<double>::infinity();
    // Straight out from a sphere's centre.
    near_spheres(x, p_, [&](int k) {
        const Grown& g = grown_[k];
        if (!g.exposed) return;
        const Point d = minus(x, g.centre);
        const double r = length(d);
        const double gap = std::fabs(r - g.radius);
        if (gap >= best || r <= 1e-12) return;
        if (!inside_other(add(g.centre, scale(g.radius / r, d)), k, k, k)) best = gap;
    });
    // The nearest point of an arc's circle.
    near_items(arc_grid_, x, [&](int k) {
        const Arc& arc = arcs_[k];
        const Point d = minus(x, arc.centre);
        const Point flat = minus(d, scale(dot(d, arc.axis), arc.axis));
        const double r = length(flat);
        if (r <= 1e-12) {
            best = std::min(best, std::sqrt(dot(d, d) + arc.radius * arc.radius));
            return;
        }
        double angle = std::atan2(dot(flat, arc.e2), dot(flat, arc.e1));
        if (angle < 0) angle += kTwoPi;
        if (angle < arc.from || angle > arc.to) return;
        best = std::min(best, length(minus(d, scale(arc.radius / r, flat))));
    });
    near_items(corner_grid_, x, [&](int k) { best = std::min(best, length(minus(x, corners_[k]))); });
    return best;
}

double ExcludedRegion::volume(int count) const {
    const Point size = minus(high_, low_);
    int inside = 0;
    for (int k = 1; k <= count; ++k) {
        const Point x = {low_[0] + size[0] * radical_inverse(k, 2), low_[1] + size[1] * radical_inverse(k, 3),
                         low_[2] + size[2] * radical_inverse(k, 5)};
        if (excluded(x)) ++inside;
    }
    return size[0] * size[1] * size[2] * inside / count;
}

BoundaryAreas ExcludedRegion::areas(double per_unit) const {
    BoundaryAreas result;
    // Where a probe centre just off the sphere is free: a contact point.
    for (int k = 0; k < static_cast<int>(grown_.size()); ++k) {
        if (flags_[k] == 0 || !grown_[k].exposed) continue;
        const double r = grown_[k].radius - p_;
        const double whole = 4 * kPi * r * r;
        const int count = std::max(200, static_cast<int>(per_unit * whole));
        int free = 0;
        for (const Point& n : spiral(count))
            if (!inside_other(add(grown_[k].centre, scale(grown_[k].radius, n)), k, k, k)) ++free;
        result.contact += whole * free / count;
    }
    const double surface_limit = p_ * (1 - 1e-9);
    // Probe spheres at the corners: the points no other probe comes nearer.
    const double probe_sphere = 4 * kPi * p_ * p_;
    const int on_probe = std::max(200, static_cast<int>(per_unit * probe_sphere));
    const std::vector<Point> directions = spiral(on_probe);
    for (const Point& corner : corners_) {
        int kept = 0;
        for (const Point& u : directions)
            if (distance_to_probes(add(corner, scale(p_, u))) >= surface_limit) ++kept;
        result.reentrant += probe_sphere * kept / on_probe;
    }
    // The tori swept along the arcs, by the midpoint rule over the angle
    // about the axis and the angle along the probe's circle.
    for (const Arc& arc : arcs_) {
        const Grown& a = grown_[arc.i];
        const Grown& b = grown_[arc.j];
        const double sweep = arc.to - arc.from;
        const int turns = std::max(8, static_cast<int>(std::sqrt(per_unit) * sweep * (arc.radius + p_)));
        for (int t = 0; t < turns; ++t) {
            const double phi = arc.from + (t + 0.5) * sweep / turns;
            const Point radial = add(scale(std::cos(phi), arc.e1), scale(std::sin(phi), arc.e2));
            const Point probe = add(arc.centre, scale(arc.radius, radial));
            const Point to_a = unit(minus(a.centre, probe));
            const Point to_b = unit(minus(b.centre, probe));
            const double span = std::acos(std::clamp(dot(to_a, to_b), -1.0, 1.0));
            const Point normal = unit(cross(to_a, to_b));
            const Point side = cross(normal, to_a);
            const int steps = std::max(8, static_cast<int>(std::sqrt(per_unit) * span * p_));
            for (int s = 0; s < steps; ++s) {
                const double theta = (s + 0.5) * span / steps;
                const Point x = add(probe, scale(p_, add(scale(std::cos(theta), to_a), scale(std::sin(theta), side))));
                if (distance_to_probes(x) < surface_limit) continue;
                // The area element: p dtheta times the distance from the axis dphi.
                const Point d = minus(x, arc.centre);
                const double off_axis = length(minus(d, scale(dot(d, arc.axis), arc.axis)));
                result.toric += p_ * (span / steps) * off_axis * (sweep / turns);
            }
        }
    }
    return result;
}

}  // namespace surface_testing
