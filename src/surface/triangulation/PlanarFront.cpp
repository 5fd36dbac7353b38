#include "surface/triangulation/PlanarFront.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <utility>

namespace velmesh {

namespace {

// Sines of angles below this count as zero: a point so nearly on a line is
// taken to be on it.
constexpr double kFlat = 1e-10;

double orient(const PlanePoint& a, const PlanePoint& b, const PlanePoint& c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

double distance(const PlanePoint& a, const PlanePoint& b) {
    return std::hypot(b.x - a.x, b.y - a.y);
}

// The sine of the angle at a from b to c: positive when c lies left of a->b.
double side(const PlanePoint& a, const PlanePoint& b, const PlanePoint& c) {
    const double scale = distance(a, b) * distance(a, c);
    return scale > 0 ? orient(a, b, c) / scale : 0;
}

constexpr double kTwoPi = 6.283185307179586;

// The angle, counter-clockwise in [0, 2 pi), from the direction apex->u to
// the direction apex->v.
double turn(const PlanePoint& apex, const PlanePoint& u, const PlanePoint& v) {
    const double a = std::atan2(u.y - apex.y, u.x - apex.x);
    double t = std::atan2(v.y - apex.y, v.x - apex.x) - a;
    while (t < 0) t += kTwoPi;
    while (t >= kTwoPi) t -= kTwoPi;
    return t;
}

bool coincide(const PlanePoint& a, const PlanePoint& b) {
    return a.x == b.x && a.y == b.y;
}

}  // namespace

int PlanarFront::add_point(PlanePoint point) {
    points_.push_back(point);
    state_.push_back(State::free);
    open_count_.push_back(0);
    outgoing_.emplace_back();
    return static_cast<int>(points_.size()) - 1;
}

void PlanarFront::add_segment(int a, int b) {
    open(a, b);
}

void PlanarFront::open(int a, int b) {
    const int s = static_cast<int>(segments_.size());
    segments_.push_back({a, b, true});
    outgoing_[a].push_back(s);
    for (const int p : {a, b}) {
        ++open_count_[p];
        state_[p] = State::active;
    }
    stack_.push_back(s);
}

void PlanarFront::close(int s) {
    Segment& segment = segments_[s];
    segment.open = false;
    auto& out = outgoing_[segment.a];
    out.erase(std::find(out.begin(), out.end(), s));
    for (const int p : {segment.a, segment.b})
        if (--open_count_[p] == 0) state_[p] = State::closed;
}

int PlanarFront::open_segment(int from, int to) const {
    for (const int s : outgoing_[from])
        if (segments_[s].b == to) return s;
    return -1;
}

bool PlanarFront::run() {
    // Every segment is opened once and closed once; a front that keeps
    // growing beyond what the points allow has gone wrong.
    const std::size_t limit = 8 * (points_.size() + segments_.size()) + 16;
    while (!stack_.empty()) {
        const int s = stack_.back();
        if (!segments_[s].open) {
            stack_.pop_back();
            continue;
        }
        if (segments_.size() > limit || !close_segment(s)) return false;
    }
    return true;
}

// A segment whose ends share a place closes with a neighbour on the front
// into a triangle without area.
int PlanarFront::degenerate_partner(int a, int b) const {
    if (!outgoing_[b].empty()) return segments_[outgoing_[b].front()].b;
    for (const Segment& s : segments_)
        if (s.open && s.b == a) return s.a;
    return -1;
}

// The point c when (b, c) and (c, a) are open too, -1 otherwise.
int PlanarFront::last_triangle(int a, int b) const {
    for (const int s : outgoing_[b])
        if (open_segment(segments_[s].b, a) >= 0) return segments_[s].b;
    return -1;
}

bool PlanarFront::close_segment(int s) {
    const int a = segments_[s].a;
    const int b = segments_[s].b;
    int x = last_triangle(a, b);
    if (x >= 0 && side(points_[a], points_[b], points_[x]) >= -kFlat) {
        // Three open segments round a triangle: it closes them, whatever its
        // shape, unless they run clockwise round a hole of three points.
    } else if (coincide(points_[a], points_[b])) {
        x = degenerate_partner(a, b);
    } else {
        std::vector<std::uint8_t> tried(points_.size(), 0);
        while (true) {
            x = best_candidate(a, b, tried);
            if (x < 0 || acceptable(a, b, x)) break;
            tried[x] = 1;
        }
    }
    if (x < 0 || x == a || x == b) return false;
    triangles_.push_back({a, b, x});
    close(s);
    for (const auto& [u, v] : {std::array<int, 2>{a, x}, std::array<int, 2>{x, b}}) {
        const int reverse = open_segment(v, u);
        if (reverse >= 0)
            close(reverse);
        else
            open(u, v);
    }
    return true;
}

int PlanarFront::best_candidate(int a, int b, std::vector<std::uint8_t>& tried) const {
    const PlanePoint& pa = points_[a];
    const PlanePoint& pb = points_[b];
    int best = -1;
    double best_cosine = 2;
    for (int x = 0; x < static_cast<int>(points_.size()); ++x) {
        if (x == a || x == b || tried[x] != 0 || state_[x] == State::closed) continue;
        const PlanePoint& px = points_[x];
        if (side(pa, pb, px) <= kFlat) continue;
        const double ax = distance(px, pa);
        const double bx = distance(px, pb);
        const double cosine = ((pa.x - px.x) * (pb.x - px.x) + (pa.y - px.y) * (pb.y - px.y)) / (ax * bx);
        if (cosine < best_cosine) {
            best_cosine = cosine;
            best = x;
        }
    }
    return best;
}

// The region at a front point lies counter-clockwise from the direction of
// the segment leaving it to that of the segment entering it; a new side must
// leave the point inside that sweep, or it would cut through the outside
// where the front is concave. Where the front meets a point more than once
// the tightest sweep is the one of the segment.
bool PlanarFront::inside_sweep(int apex, int before, int after, int x) const {
    const PlanePoint& p = points_[apex];
    if (coincide(points_[x], p)) return true;
    double sweep = -1;
    int neighbour = -1;
    for (const Segment& s : segments_) {
        if (!s.open) continue;
        int other = -1;
        if (before < 0 && s.b == apex) other = s.a;
        if (after < 0 && s.a == apex) other = s.b;
        if (other < 0 || coincide(points_[other], p)) continue;
        const double t = before < 0 ? turn(p, points_[after], points_[other]) : turn(p, points_[other], points_[before]);
        if (sweep < 0 || t < sweep) {
            sweep = t;
            neighbour = other;
        }
    }
    // The neighbour itself, or a point in its place (the far end of a
    // segment of no length), bounds the sweep without leaving it.
    if (sweep < 0 || neighbour == x || coincide(points_[neighbour], points_[x])) return true;
    const double to_x = before < 0 ? turn(p, points_[after], points_[x]) : turn(p, points_[x], points_[before]);
    return to_x > 0 && to_x < sweep;
}

bool PlanarFront::acceptable(int a, int b, int x) const {
    if (point_inside(a, b, x)) return false;
    if (!inside_sweep(a, -1, b, x) || !inside_sweep(b, a, -1, x)) return false;
    if (open_segment(x, a) < 0 && crosses_open_segment(a, x)) return false;
    if (open_segment(b, x) < 0 && crosses_open_segment(x, b)) return false;
    return true;
}

// Whether a live point other than a, b and x lies in the triangle or on its
// sides.
bool PlanarFront::point_inside(int a, int b, int x) const {
    const PlanePoint& pa = points_[a];
    const PlanePoint& pb = points_[b];
    const PlanePoint& px = points_[x];
    const double min_x = std::min({pa.x, pb.x, px.x}), max_x = std::max({pa.x, pb.x, px.x});
    const double min_y = std::min({pa.y, pb.y, px.y}), max_y = std::max({pa.y, pb.y, px.y});
    for (int y = 0; y < static_cast<int>(points_.size()); ++y) {
        if (y == a || y == b || y == x || state_[y] == State::closed) continue;
        const PlanePoint& py = points_[y];
        if (py.x < min_x || py.x > max_x || py.y < min_y || py.y > max_y) continue;
        if (coincide(py, pa) || coincide(py, pb) || coincide(py, px)) continue;
        if (side(pa, pb, py) >= -kFlat && side(pb, px, py) >= -kFlat && side(px, pa, py) >= -kFlat) return true;
    }
    return false;
}

// Whether the side (u, v) crosses an open segment that shares no point with
// it, nor a place (a segment from a point's twin only touches the side).
bool PlanarFront::crosses_open_segment(int u, int v) const {
    const PlanePoint& pu = points_[u];
    const PlanePoint& pv = points_[v];
    for (const Segment& s : segments_) {
        if (!s.open || s.a == u || s.a == v || s.b == u || s.b == v) continue;
        const PlanePoint& ps = points_[s.a];
        const PlanePoint& pt = points_[s.b];
        if (coincide(ps, pu) || coincide(ps, pv) || coincide(pt, pu) || coincide(pt, pv)) continue;
        const double o1 = orient(pu, pv, ps), o2 = orient(pu, pv, pt);
        if ((o1 > 0) == (o2 > 0) && o1 != 0 && o2 != 0) continue;
        const double o3 = orient(ps, pt, pu), o4 = orient(ps, pt, pv);
        if ((o3 > 0) == (o4 > 0) && o3 != 0 && o4 != 0) continue;
        return true;
    }
    return false;
}

int PlanarFront::unused_points() const {
    return static_cast<int>(std::count(state_.begin(), state_.end(), State::free));
}

bool clip_ears(const std::vector<PlanePoint>& points, std::vector<int> cycle,
               std::vector<std::array<int, 3>>& triangles) {
    std::set<std::pair<int, int>> edges;
    const auto key = [](int u, int v) { return std::pair<int, int>(std::min(u, v), std::max(u, v)); };
    const int n0 = static_cast<int>(cycle.size());
    for (int k = 0; k < n0; ++k) edges.insert(key(cycle[k], cycle[(k + 1) % n0]));
    while (cycle.size() > 3) {
        const int n = static_cast<int>(cycle.size());
        int best = -1;
        double best_score = -1e300;
        for (int k = 0; k < n; ++k) {
            const int u = cycle[(k + n - 1) % n], v = cycle[k], w = cycle[(k + 1) % n];
            if (u == w || u == v || v == w || edges.count(key(u, w)) != 0) continue;
            const PlanePoint& pu = points[u];
            const PlanePoint& pv = points[v];
            const PlanePoint& pw = points[w];
            // The smallest sine of the triangle's angles, negative when the
            // corner turns the wrong way.
            double score = std::min({side(pu, pv, pw), side(pv, pw, pu), side(pw, pu, pv)});
            if (orient(pu, pv, pw) <= 0) score = -1 - std::fabs(score);
            if (score > best_score) {
                best_score = score;
                best = k;
            }
        }
        if (best < 0) return false;
        const int u = cycle[(best + n - 1) % n], v = cycle[best], w = cycle[(best + 1) % n];
        triangles.push_back({u, v, w});
        edges.insert(key(u, w));
        cycle.erase(cycle.begin() + best);
    }
    if (cycle.size() == 3 && cycle[0] != cycle[1] && cycle[1] != cycle[2] && cycle[2] != cycle[0]) {
        triangles.push_back({cycle[0], cycle[1], cycle[2]});
        return true;
    }
    return false;
}

}  // namespace velmesh
