#include "surface/ses/PointInContactFace.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "surface/ses/ArcGeometry.h"
#include "surface/tree/Geometry.h"

namespace velmesh {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
// Angles closer than this to a vertex or to the reference point are not
// trusted to fall on one side.
constexpr double kAngleSlack = 1e-6;
// Crossings of nearly tangent circles are not trusted either.
constexpr double kTangentSlack = 1e-9;
// How far the reference arc's crossing may lie from the point of the arc it
// was drawn through.
constexpr double kReferenceSlack = 1e-4;
// The least distance from the boundary, in radians, at which a point counts
// as decided.
constexpr double kBoundary = 0.001;

double sweep_of(const SES_edge& edge) {
    return edge.full_circle() ? kTwoPi : arc_sweep(edge);
}

// The great circle through the sphere's centre with unit normal g, and the
// crossings with it met by a walk that starts at the unit direction `from`
// and turns about g.
class GreatCircle {
public:
    GreatCircle(const Vec3& centre, double radius, const Vec3& g, const Vec3& from)
        : centre_(centre), radius_(radius), g_(g), from_(from) {}

    // Adds the angles (from `from`, about g) at which the arc crosses the
    // circle; false when a crossing cannot be trusted.
    bool crossings(const SES_edge& edge, std::vector<double>& angles) const {
        const Vec3 n = edge.normal();
        const Vec3 m = to_double(edge.circle_centre);
        const double h = dot(n, m - centre_);
        const double c = dot(g_, n);
        const double s2 = 1 - c * c;
        if (s2 < kTangentSlack) return std::fabs(h) > kAngleSlack * radius_;  // parallel planes
        const Vec3 foot = (h / s2) * (n - c * g_);
        const double t2 = radius_ * radius_ - dot(foot, foot);
        if (t2 < -kTangentSlack * radius_ * radius_) return true;
        if (t2 < kTangentSlack * radius_ * radius_) return false;
        const Vec3 along = normalised(cross(g_, n));
        const double t = std::sqrt(t2);
        const double sweep = sweep_of(edge);
        const Vec3 start = normalised(to_double(edge.start->position) - m);
        for (const double sign : {-1.0, 1.0}) {
            const Vec3 y = foot + sign * t * along;
            if (!edge.full_circle()) {
                const double a = oriented_angle(start, normalised(centre_ + y - m), -n);
                if (a < kAngleSlack || std::fabs(a - sweep) < kAngleSlack || kTwoPi - a < kAngleSlack) return false;
                if (a > sweep) continue;
            }
            angles.push_back(oriented_angle(from_, normalised(y), g_));
        }
        return true;
    }

private:
    Vec3 centre_;
    double radius_;
    Vec3 g_;
    Vec3 from_;
};

// The reference arc's crossing nearest the reference point, among those from
// `first` on, is the reference point itself: it lies at angle 0 up to the
// rounding of the arc's stored data (single precision, which on a small
// sphere far from the origin is more than kAngleSlack). Removes it; false
// when none lies that near.
bool drop_reference_crossing(std::vector<double>& angles, std::size_t first) {
    std::size_t nearest = angles.size();
    double gap = kReferenceSlack;
    for (std::size_t k = first; k < angles.size(); ++k) {
        const double to_zero = std::min(angles[k], kTwoPi - angles[k]);
        if (to_zero < gap) {
            gap = to_zero;
            nearest = k;
        }
    }
    if (nearest == angles.size()) return false;
    angles.erase(angles.begin() + static_cast<std::ptrdiff_t>(nearest));
    return true;
}

// The decision along the great circle from a point of the reference arc
// (the fraction `along` of its way) to the point; kTryAnother when this
// reference cannot decide.
constexpr int kTryAnother = 2;

int decide_from(const Vec3& x, const Vec3& centre, double radius, std::span<const BoundaryArc> boundary,
                const BoundaryArc& reference, double along, double tolerance, std::vector<double>& angles) {
    const SES_edge& edge = *reference.edge;
    if (edge.radius <= kTiny) return kTryAnother;
    const Vec3 m = to_double(edge.circle_centre);
    const Vec3 start = normalised(to_double(edge.start->position) - m);
    const Vec3 on_arc = m + static_cast<double>(edge.radius) * rotate(start, -edge.normal(), sweep_of(edge) * along);
    const Vec3 y = normalised(on_arc - centre);
    const Vec3 across = cross(y, x);
    if (norm(across) < 1e-3) return kTryAnother;
    const Vec3 g = normalised(across);
    // Leaving the arc towards the point: into the region when the region
    // lies on that side of the arc.
    const Vec3 heading = cross(g, y);
    const Vec3 region_side = cross(y, arc_tangent(edge, reference.orientation, on_arc));
    const double entering = dot(heading, region_side);
    if (std::fabs(entering) < 1e-3) return kTryAnother;
    const double target = oriented_angle(y, x, g);

    const GreatCircle circle(centre, radius, g, y);
    angles.clear();
    for (const BoundaryArc& arc : boundary) {
        const std::size_t first = angles.size();
        if (!circle.crossings(*arc.edge, angles)) return kTryAnother;
        if (&arc == &reference && !drop_reference_crossing(angles, first)) return kTryAnother;
    }
    // With the reference point's own crossing, the count is even.
    if (angles.size() % 2 == 0) return kTryAnother;
    int before = 0;
    for (const double a : angles) {
        if (a < kAngleSlack || kTwoPi - a < kAngleSlack) return kTryAnother;
        if (std::fabs(a - target) < tolerance) return 0;
        if (a < target) ++before;
    }
    const bool inside = (entering > 0) != (before % 2 != 0);
    return inside ? 1 : -1;
}

// Where the boundary traversed as the region sees it begins and ends.
const SES_vertex& traversal_start(const BoundaryArc& arc) {
    return arc.orientation != 0 ? *arc.edge->start : *arc.edge->end;
}
const SES_vertex& traversal_end(const BoundaryArc& arc) {
    return arc.orientation != 0 ? *arc.edge->end : *arc.edge->start;
}

// The arc that the traversal takes after arc k: the one starting at its
// end vertex, or failing that (separate vertices in one place) nearest to it.
std::size_t next_in_traversal(std::span<const BoundaryArc> boundary, std::size_t k) {
    const SES_vertex& end = traversal_end(boundary[k]);
    std::size_t nearest = (k + 1) % boundary.size();
    double gap = 1e300;
    for (std::size_t m = 0; m < boundary.size(); ++m) {
        const SES_vertex& start = traversal_start(boundary[m]);
        if (&start == &end) return m;
        const double d = norm(to_double(start.position) - to_double(end.position));
        if (d < gap) {
            gap = d;
            nearest = m;
        }
    }
    return nearest;
}

// The length of the whole boundary as an angle on the sphere.
double boundary_angle(std::span<const BoundaryArc> boundary, double radius) {
    double length = 0;
    for (const BoundaryArc& arc : boundary) length += sweep_of(*arc.edge) * arc.edge->radius;
    return length / radius;
}

// A region whose boundary is one cycle too short to cross reliably (three
// probes that nearly coincide leave such a contact face, its arcs a millionth
// of a turn long): every great circle through it meets an arc next to a
// vertex. Gauss-Bonnet tells the small side from the rest of the sphere: the
// turning of the tangent along the cycle (corners plus the geodesic curvature
// of its arcs) is +2 pi round a small region on its left and -2 pi round a
// small hole. A point away from the cycle is outside a small region, inside
// the rest.
int decide_small_boundary(const Vec3& x, const Vec3& centre, double radius, std::span<const BoundaryArc> boundary,
                          double length, double tolerance) {
    const Vec3 corner = to_double(boundary.front().edge->start->position);
    if (std::acos(std::clamp(dot(x, normalised(corner - centre)), -1.0, 1.0)) < length + tolerance) return 0;
    double turning = 0;
    const std::size_t count = boundary.size();
    for (std::size_t k = 0; k < count; ++k) {
        const BoundaryArc& arc = boundary[k];
        const BoundaryArc& next = boundary[next_in_traversal(boundary, k)];
        const Vec3 axis = arc.orientation != 0 ? -arc.edge->normal() : arc.edge->normal();
        turning += sweep_of(*arc.edge) * dot(axis, to_double(arc.edge->circle_centre) - centre) / radius;
        if (count == 1) continue;
        const Vec3 at = to_double(traversal_end(arc).position);
        turning += turning_angle(arc_tangent(*arc.edge, arc.orientation, at),
                                 arc_tangent(*next.edge, next.orientation, to_double(traversal_start(next).position)),
                                 normalised(at - centre));
    }
    if (std::fabs(turning) < std::numbers::pi) return 0;
    return turning > 0 ? -1 : 1;
}

}  // namespace

int point_in_spherical_region(const Vec3& point, const Vec3& centre, double radius,
                              std::span<const BoundaryArc> boundary, double tolerance) {
    const Vec3 x = normalised(point - centre);
    const double slack = std::max(tolerance, kBoundary);
    if (boundary.empty()) return 0;
    if (const double length = boundary_angle(boundary, radius); length < kBoundary)
        return decide_small_boundary(x, centre, radius, boundary, length, slack);
    std::vector<double> angles;
    // Midpoints first; symmetric regions can put a vertex on every great
    // circle from a midpoint to the point.
    for (const double along : {0.5, 0.3, 0.7})
        for (const BoundaryArc& reference : boundary) {
            const int result = decide_from(x, centre, radius, boundary, reference, along, slack, angles);
            if (result != kTryAnother) return result;
        }
    return 0;
}

int is_point_in_contact_face(const RunState& run, const Vec3& point, const SES_face& face, double tolerance) {
    std::vector<BoundaryArc> boundary;
    boundary.reserve(face.edges.size());
    for (std::size_t k = 0; k < face.edges.size(); ++k) boundary.push_back({face.edges[k], face.orientations[k]});
    const Atom& atom = run.atoms[face.sphere];
    return point_in_spherical_region(point, atom.centre(), atom.r, boundary, tolerance);
}

}  // namespace velmesh
