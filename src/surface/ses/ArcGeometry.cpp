#include "surface/ses/ArcGeometry.h"

#include <algorithm>
#include <cmath>

#include "surface/tree/Geometry.h"

namespace velmesh {

double arc_sweep(const SES_edge& edge) {
    const Vec3 centre = to_double(edge.circle_centre);
    Vec3 from = to_double(edge.start->position) - centre;
    Vec3 to = to_double(edge.end->position) - centre;
    normalise(from);
    normalise(to);
    return oriented_angle(from, to, -edge.normal());
}

double arc_latitude(const Vec3& n, const Vec3& c, const Vec3& s, double r) {
    return std::asin(std::clamp(-dot(n, c - s) / r, -1.0, 1.0));
}

Vec3 arc_tangent(const SES_edge& edge, std::uint8_t orientation, const Vec3& x) {
    const Vec3 axis = orientation != 0 ? -edge.normal() : edge.normal();
    Vec3 tangent = cross(axis, x - to_double(edge.circle_centre));
    const double length = norm(tangent);
    return length > kTiny ? tangent / length : Vec3{};
}

double turning_angle(const Vec3& incoming, const Vec3& outgoing, const Vec3& outward) {
    return std::atan2(dot(cross(incoming, outgoing), outward), dot(incoming, outgoing));
}

}  // namespace velmesh
