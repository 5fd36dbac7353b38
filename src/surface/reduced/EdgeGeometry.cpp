#include "surface/reduced/EdgeGeometry.h"

#include <cmath>

namespace velmesh {

void set_edge_torus(const RSContext& context, RS_edge& edge, const Torus& torus) {
    const double p = context.p;
    const Vec3& t = torus.centre;
    const double big = torus.radius;
    edge.torus_centre = t;
    edge.torus_radius = big;
    const int spheres[2] = {edge.i, edge.j};
    for (int s = 0; s < 2; ++s) {
        const double r = context.radius(spheres[s]);
        edge.contact_points[s] = (p * context.centre(spheres[s]) + r * t) / (r + p);
        edge.contact_radii[s] = r * big / (r + p);
    }
    edge.singular_kind = 0;
    edge.singular_points = {};
    if (!(p > big)) return;
    // The probe reaches the axis between the spheres only when the contact
    // points lie on either side of the torus plane.
    const double side_i = dot(edge.contact_points[0] - t, edge.axis);
    const double side_j = dot(edge.contact_points[1] - t, edge.axis);
    if (!((side_i < 0 && side_j > 0) || (side_i > 0 && side_j < 0))) return;
    const double h = std::sqrt(p * p - big * big);
    const Vec3 near_i = t - h * edge.axis;
    const Vec3 near_j = t + h * edge.axis;
    if (squared_distance(near_i, near_j) < context.run.epsilon) {
        const Vec3f middle = to_float(0.5 * (near_i + near_j));
        edge.singular_points = {middle, middle};
        edge.singular_kind = 1;
    } else {
        edge.singular_points = {to_float(near_i), to_float(near_j)};
        edge.singular_kind = 2;
    }
}

}  // namespace velmesh
