#include "surface/support/RSChecker.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <numeric>
#include <set>
#include <sstream>
#include <unordered_map>

#include "surface/support/UnionFind.h"

namespace surface_testing {

namespace {

using Point = std::array<double, 3>;
using velmesh::RS_component;
using velmesh::RS_edge;
using velmesh::RS_face;
using velmesh::RunState;

constexpr double kTwoPi = 6.283185307179586;

Point plus(const Point& a, const Point& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
Point minus(const Point& a, const Point& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Point times(double s, const Point& a) { return {s * a[0], s * a[1], s * a[2]}; }
double dot(const Point& a, const Point& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Point cross(const Point& a, const Point& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double length(const Point& a) { return std::sqrt(dot(a, a)); }
double distance(const Point& a, const Point& b) { return length(minus(a, b)); }
Point unit(const Point& a) {
    const double l = length(a);
    return l > 0 ? times(1 / l, a) : a;
}
Point point(const velmesh::Vec3& v) { return {v.x, v.y, v.z}; }

// The spheres in cells of a uniform grid, for the spheres near a point.
class SphereGrid {
public:
    explicit SphereGrid(const RunState& run) : run_(run) {
        double rmax = 0;
        for (const auto& a : run.atoms) rmax = std::max<double>(rmax, a.r);
        cell_ = std::max(1.0, rmax + run.probe_radius);
        for (int s = 0; s < run.atom_count(); ++s) cells_[key(cell_of(centre(s)))].push_back(s);
    }

    Point centre(int s) const { return {run_.atoms[s].x, run_.atoms[s].y, run_.atoms[s].z}; }
    double radius(int s) const { return run_.atoms[s].r; }

    // The spheres whose centres may lie within rmax + p of the point.
    template <class Visit>
    void near(const Point& at, Visit visit) const {
        const auto c = cell_of(at);
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                for (int dz = -1; dz <= 1; ++dz) {
                    const auto found = cells_.find(key({c[0] + dx, c[1] + dy, c[2] + dz}));
                    if (found == cells_.end()) continue;
                    for (const int s : found->second) visit(s);
                }
    }

    // The sphere that a probe at the point overlaps by more than the slack
    // (other than the excluded ones), or -1.
    int clash(const Point& probe, double slack, int a = -1, int b = -1, int c = -1) const {
        int found = -1;
        near(probe, [&](int s) {
            if (found >= 0 || s == a || s == b || s == c) return;
            if (distance(probe, centre(s)) < radius(s) + run_.probe_radius - slack) found = s;
        });
        return found;
    }

private:
    std::array<long, 3> cell_of(const Point& p) const {
        return {static_cast<long>(std::floor(p[0] / cell_)), static_cast<long>(std::floor(p[1] / cell_)),
                static_cast<long>(std::floor(p[2] / cell_))};
    }
    static long key(const std::array<long, 3>& c) {
        return (c[0] * 73856093L) ^ (c[1] * 19349663L) ^ (c[2] * 83492791L);
    }

    const RunState& run_;
    double cell_ = 1;
    std::unordered_map<long, std::vector<int>> cells_;
};

class Checker {
public:
    Checker(const RunState& run, double tolerance) : run_(run), grid_(run), tol_(tolerance), p_(run.probe_radius) {}

    RSCheck check() {
        for (const RS_component& component : run_.rs_components) {
            for (const RS_edge& e : component.edges) all_edges_.insert(&e);
            for (const RS_edge& e : component.free_edges) all_edges_.insert(&e);
        }
        int number = 0;
        for (const RS_component& component : run_.rs_components) {
            if (component.number != number)
                problem("component in place %d has the number %d", number, component.number);
            check_component(component);
            ++number;
        }
        check_sphere_lists();
        return result_;
    }

private:
    template <class... Args>
    void problem(const char* format, Args... args) {
        if (result_.problems.size() >= 30) return;
        char text[512];
        std::snprintf(text, sizeof text, format, args...);
        result_.problems.emplace_back(text);
    }

    Point centre(int s) const { return grid_.centre(s); }
    double radius(int s) const { return grid_.radius(s); }

    static int slot_of(const RS_face& face, const RS_edge* edge) {
        for (int s = 0; s < 3; ++s)
            if (face.edges[s] == edge) return s;
        return -1;
    }

    void check_component(const RS_component& component) {
        RSComponentSummary summary;
        summary.number = component.number;
        summary.faces = component.faces.count();
        summary.edges = component.edges.count();
        summary.free_edges = component.free_edges.count();
        const RS_edge* first = component.edges.first();
        summary.free_vertex = component.edges.count() == 1 && first->i == first->j;
        if (summary.free_vertex) {
            check_free_vertex(component);
            summary.edges = 0;
            summary.vertices = summary.fans = summary.surfaces = 0;
            result_.components.push_back(summary);
            return;
        }
        if (component.faces.empty() && component.free_edges.empty())
            problem("component %d holds neither faces nor free edges", component.number);

        std::set<int> ids;
        int singular = 0;
        int twins = 0;
        for (const RS_face& face : component.faces) {
            if (!ids.insert(face.id).second) problem("component %d: two faces with id %d", component.number, face.id);
            singular += face.singular;
            if (face.twin != nullptr) ++twins;
            check_face(component, face);
        }
        if (singular != component.singular_face_count)
            problem("component %d: singular face count %d, faces marked %d", component.number,
                    component.singular_face_count, singular);
        if (twins != 2 * component.face_pair_count)
            problem("component %d: face pair count %d, faces with a twin %d", component.number,
                    component.face_pair_count, twins);
        for (const RS_edge& edge : component.edges) check_edge(component, edge);
        for (const RS_edge& edge : component.free_edges) check_free_edge(component, edge);
        topology(component, summary);
        check_sphere_count(component);
        result_.components.push_back(summary);
    }

    void check_free_vertex(const RS_component& component) {
        const RS_edge& edge = *component.edges.first();
        if (!component.faces.empty() || !component.free_edges.empty())
            problem("free vertex component %d holds faces or free edges", component.number);
        if (component.sphere_count != 1)
            problem("free vertex component %d counts %d spheres", component.number, component.sphere_count);
        if (edge.face1 != nullptr || edge.face2 != nullptr)
            problem("free vertex component %d: its edge has faces", component.number);
        // No other sphere within reach of a probe touching it.
        for (int s = 0; s < run_.atom_count(); ++s)
            if (s != edge.i && distance(centre(s), centre(edge.i)) < radius(s) + radius(edge.i) + 2 * p_)
                problem("free vertex %d is within reach of sphere %d", edge.i, s);
    }

    void check_face(const RS_component& component, const RS_face& face) {
        const int spheres[3] = {face.i, face.j, face.k};
        if (face.i == face.j || face.j == face.k || face.k == face.i)
            problem("face %d (%d %d %d) repeats a sphere", face.id, face.i, face.j, face.k);
        if (face.component_number != component.number)
            problem("face %d of component %d carries the number %d", face.id, component.number, face.component_number);
        for (int slot = 0; slot < 3; ++slot) {
            const RS_edge* edge = face.edges[slot];
            const int a = spheres[slot];
            const int b = spheres[(slot + 1) % 3];
            if (edge == nullptr) {
                problem("face %d (%d %d %d) has no edge in slot %d", face.id, face.i, face.j, face.k, slot);
                continue;
            }
            if (!all_edges_.count(edge)) {
                problem("face %d: edge in slot %d is in no component", face.id, slot);
                continue;
            }
            if (!((edge->i == a && edge->j == b) || (edge->i == b && edge->j == a)))
                problem("face %d: edge in slot %d joins %d %d, not %d %d", face.id, slot, edge->i, edge->j, a, b);
            if (face.edge_orientations[slot] != (edge->i == a ? 1 : 0))
                problem("face %d: orientation of slot %d is %d", face.id, slot, face.edge_orientations[slot]);
            if (edge->face1 != &face && edge->face2 != &face)
                problem("face %d (%d %d %d): its edge in slot %d does not name it", face.id, face.i, face.j, face.k,
                        slot);
        }
        const Point ci = centre(face.i), cj = centre(face.j), ck = centre(face.k);
        const Point normal = unit(cross(minus(cj, ci), minus(ck, cj)));
        if (distance(normal, point(face.normal)) > tol_)
            problem("face %d (%d %d %d): normal is not that of its triangle", face.id, face.i, face.j, face.k);
        const Point probe = point(face.probe);
        for (const int s : spheres)
            if (std::fabs(distance(probe, centre(s)) - radius(s) - p_) > tol_)
                problem("face %d (%d %d %d): probe is %.6f from sphere %d, not r + p = %.6f", face.id, face.i, face.j,
                        face.k, distance(probe, centre(s)), s, radius(s) + p_);
        if (dot(minus(probe, ci), normal) < -tol_)
            problem("face %d (%d %d %d): probe lies on the far side of its normal", face.id, face.i, face.j, face.k);
        const int blocker = grid_.clash(probe, tol_, face.i, face.j, face.k);
        if (blocker >= 0)
            problem("face %d (%d %d %d): probe overlaps sphere %d", face.id, face.i, face.j, face.k, blocker);
        if (face.twin != nullptr) {
            const RS_face& twin = *face.twin;
            if (twin.twin != &face) problem("face %d: its twin does not name it back", face.id);
            if (canonical_face(twin.i, twin.j, twin.k) != canonical_face(face.i, face.k, face.j))
                problem("face %d: its twin is not on its spheres reversed", face.id);
        }
    }

    void check_torus(const RS_edge& edge, const char* what) {
        const Point ci = centre(edge.i), cj = centre(edge.j);
        const Point axis = unit(minus(cj, ci));
        if (distance(axis, point(edge.axis)) > tol_) problem("%s %d-%d: axis is not from i to j", what, edge.i, edge.j);
        const Point t = point(edge.torus_centre);
        // The torus circle: probes touching both spheres.
        const double ri = radius(edge.i) + p_;
        const double rj = radius(edge.j) + p_;
        const double d = distance(ci, cj);
        const double along = (d * d + ri * ri - rj * rj) / (2 * d);
        const Point expected_centre = plus(ci, times(along, axis));
        const double expected_radius = std::sqrt(std::max(0.0, ri * ri - along * along));
        if (distance(t, expected_centre) > tol_ || std::fabs(edge.torus_radius - expected_radius) > tol_)
            problem("%s %d-%d: torus centre or radius is wrong", what, edge.i, edge.j);
        for (int s = 0; s < 2; ++s) {
            const int sphere = s == 0 ? edge.i : edge.j;
            const double r = radius(sphere);
            const Point contact = times(1 / (r + p_), plus(times(p_, centre(sphere)), times(r, t)));
            if (distance(contact, point(edge.contact_points[s])) > tol_ ||
                std::fabs(edge.contact_radii[s] - r * expected_radius / (r + p_)) > tol_)
                problem("%s %d-%d: contact circle on sphere %d is wrong", what, edge.i, edge.j, sphere);
        }
        const bool crosses = p_ > expected_radius && along > 0 && along < d;
        if ((edge.singular_kind != 0) != crosses)
            problem("%s %d-%d: singular kind %d, yet the probe %s the axis between the spheres", what, edge.i, edge.j,
                    edge.singular_kind, crosses ? "reaches" : "does not reach");
        if (crosses) {
            const double h = std::sqrt(p_ * p_ - expected_radius * expected_radius);
            const Point near_i = minus(t, times(h, axis));
            const Point got = {edge.singular_points[0].x, edge.singular_points[0].y, edge.singular_points[0].z};
            const Point want = edge.singular_kind == 1 ? t : near_i;
            if (distance(got, want) > 10 * tol_ + 1e-5 * length(t))
                problem("%s %d-%d: first singular point is wrong", what, edge.i, edge.j);
        }
    }

    void check_edge(const RS_component& component, const RS_edge& edge) {
        if (edge.component_number != component.number)
            problem("edge %d-%d of component %d carries the number %d", edge.i, edge.j, component.number,
                    edge.component_number);
        if (edge.face1 == nullptr || edge.face2 == nullptr) {
            problem("edge %d-%d has %s", edge.i, edge.j, edge.face1 == nullptr ? "no face" : "one face only");
            return;
        }
        if (edge.face1 == edge.face2) problem("edge %d-%d has the same face on both sides", edge.i, edge.j);
        const int s1 = slot_of(*edge.face1, &edge);
        const int s2 = slot_of(*edge.face2, &edge);
        if (s1 < 0 || s2 < 0) {
            problem("edge %d-%d: a face of it does not list it", edge.i, edge.j);
            return;
        }
        if (edge.face1->edge_orientations[s1] != 1 || edge.face2->edge_orientations[s2] != 0)
            problem("edge %d-%d: faces %d and %d do not traverse it i to j and j to i", edge.i, edge.j,
                    edge.face1->id, edge.face2->id);
        if (edge.face1->component_number != component.number || edge.face2->component_number != component.number)
            problem("edge %d-%d: a face of it lies in another component", edge.i, edge.j);
        check_torus(edge, "edge");
        // The angle turns the first face's probe into the second's.
        const Point axis = unit(point(edge.axis));
        const Point t = point(edge.torus_centre);
        const Point from = unit(minus(point(edge.face1->probe), t));
        const Point to = unit(minus(point(edge.face2->probe), t));
        if (!(edge.angle >= 0 && edge.angle < kTwoPi)) {
            problem("edge %d-%d: angle %f lies outside [0, 2 pi)", edge.i, edge.j, edge.angle);
            return;
        }
        const double c = std::cos(edge.angle), s = std::sin(edge.angle);
        const Point turned =
            plus(plus(times(c, from), times(s, cross(axis, from))), times(dot(axis, from) * (1 - c), axis));
        if (distance(turned, to) > 100 * tol_)
            problem("edge %d-%d: angle %f does not turn face %d's probe into face %d's", edge.i, edge.j, edge.angle,
                    edge.face1->id, edge.face2->id);
        check_rotation_is_free(edge, from, axis);
    }

    // The probe rolls from the first face's probe to the second's: no sphere
    // may stop it on the way. A sliver pair of faces that the twin cleanup
    // removed lets it into a sphere by at most a thousandth of its radius.
    void check_rotation_is_free(const RS_edge& edge, const Point& from, const Point& axis) {
        const Point t = point(edge.torus_centre);
        const Point v = cross(axis, from);
        const int steps = 1 + static_cast<int>(edge.angle / kTwoPi * 720);
        for (int step = 1; step < steps; ++step) {
            const double a = edge.angle * step / steps;
            const Point probe = plus(t, times(edge.torus_radius, plus(times(std::cos(a), from), times(std::sin(a), v))));
            const int blocker = grid_.clash(probe, tol_ + 0.001 * p_, edge.i, edge.j);
            if (blocker < 0) continue;
            problem("edge %d-%d: sphere %d blocks the rotation between faces %d and %d", edge.i, edge.j, blocker,
                    edge.face1->id, edge.face2->id);
            break;
        }
    }

    void check_free_edge(const RS_component& component, const RS_edge& edge) {
        if (edge.component_number != component.number)
            problem("free edge %d-%d carries the number %d", edge.i, edge.j, edge.component_number);
        if (edge.face1 != nullptr || edge.face2 != nullptr) problem("free edge %d-%d has a face", edge.i, edge.j);
        if (std::fabs(edge.angle - kTwoPi) > 1e-9) problem("free edge %d-%d: angle %f", edge.i, edge.j, edge.angle);
        if (std::fabs(edge.probe_radius - p_) > 1e-6) problem("free edge %d-%d: probe radius", edge.i, edge.j);
        check_torus(edge, "free edge");
        const Point t = point(edge.torus_centre);
        const Point axis = unit(point(edge.axis));
        const Point start = point(edge.start_probe);
        if (std::fabs(distance(start, t) - edge.torus_radius) > tol_ || std::fabs(dot(minus(start, t), axis)) > tol_)
            problem("free edge %d-%d: start probe is off its circle", edge.i, edge.j);
        // The probe rolls all the way round: sample the circle.
        const Point u = unit(minus(start, t));
        const Point v = cross(axis, u);
        for (int step = 0; step < 720; ++step) {
            const double a = kTwoPi * step / 720;
            const Point probe = plus(t, times(edge.torus_radius, plus(times(std::cos(a), u), times(std::sin(a), v))));
            const int blocker = grid_.clash(probe, tol_, edge.i, edge.j);
            if (blocker < 0) continue;
            problem("free edge %d-%d: sphere %d blocks its torus", edge.i, edge.j, blocker);
            break;
        }
    }

    void check_sphere_count(const RS_component& component) {
        std::set<int> spheres;
        for (const auto* list : {&component.edges, &component.free_edges})
            for (const RS_edge& e : *list) {
                spheres.insert(e.i);
                spheres.insert(e.j);
            }
        if (component.sphere_count != static_cast<int>(spheres.size()))
            problem("component %d counts %d spheres, its edges touch %zu", component.number, component.sphere_count,
                    spheres.size());
    }

    void check_sphere_lists() {
        std::map<int, int> touching;  // sphere -> records that touch it
        for (const RS_edge* e : all_edges_) {
            ++touching[e->i];
            if (e->j != e->i) ++touching[e->j];
        }
        for (int s = 0; s < run_.atom_count(); ++s) {
            const auto& atom = run_.atoms[s];
            for (const RS_edge* e : atom.edges) {
                if (!all_edges_.count(e)) {
                    problem("sphere %d lists an edge that is in no component", s);
                    continue;
                }
                if (e->i != s && e->j != s) problem("sphere %d lists edge %d-%d", s, e->i, e->j);
            }
            const auto found = touching.find(s);
            const int expected = found == touching.end() ? 0 : found->second;
            if (static_cast<int>(atom.edges.size()) != expected)
                problem("sphere %d lists %zu edges, %d touch it", s, atom.edges.size(), expected);
            if (expected > 0 && (atom.component == nullptr || atom.component->number != atom.component_number))
                problem("sphere %d: component pointer and number disagree", s);
            if (expected == 0 && atom.component_number != velmesh::kNoComponent)
                problem("sphere %d has no edge but the component number %d", s, atom.component_number);
        }
    }

    void topology(const RS_component& component, RSComponentSummary& summary) {
        std::map<const RS_face*, int> index;
        for (const RS_face& face : component.faces) index.emplace(&face, static_cast<int>(index.size()));
        const int n = static_cast<int>(index.size());
        UnionFind pieces(n);
        std::map<int, std::vector<const RS_face*>> around;  // sphere -> faces on it
        for (const RS_face& face : component.faces) {
            for (const int s : {face.i, face.j, face.k}) around[s].push_back(&face);
            for (const RS_edge* e : face.edges)
                if (e != nullptr && e->face1 != nullptr && e->face2 != nullptr && index.count(e->face1) &&
                    index.count(e->face2))
                    pieces.join(index[e->face1], index[e->face2]);
        }
        std::vector<int> all(n);
        std::iota(all.begin(), all.end(), 0);
        summary.surfaces = n == 0 ? 0 : pieces.groups(all);
        summary.vertices = static_cast<int>(around.size());
        // The fans of a sphere: its faces joined through the edges at it.
        for (const auto& [sphere, faces] : around) {
            UnionFind fan(n);
            std::vector<int> members;
            for (const RS_face* face : faces) {
                members.push_back(index[face]);
                for (const RS_edge* e : face->edges) {
                    if (e == nullptr || (e->i != sphere && e->j != sphere)) continue;
                    if (e->face1 != nullptr && e->face2 != nullptr && index.count(e->face1) && index.count(e->face2))
                        fan.join(index[e->face1], index[e->face2]);
                }
            }
            summary.fans += fan.groups(members);
        }
        summary.euler = summary.vertices - summary.edges + summary.faces;
        summary.euler_of_fans = summary.fans - summary.edges + summary.faces;
    }

    const RunState& run_;
    SphereGrid grid_;
    double tol_;
    double p_;
    std::set<const RS_edge*> all_edges_;
    RSCheck result_;
};

// The points at distances ra, rb, rc from a, b, c; 0, 1 or 2 of them.
int trilaterate(const Point& a, double ra, const Point& b, double rb, const Point& c, double rc,
                std::array<Point, 2>& out) {
    const double d = distance(a, b);
    if (d == 0) return 0;
    const Point ex = times(1 / d, minus(b, a));
    const double i = dot(ex, minus(c, a));
    const Point rest = minus(minus(c, a), times(i, ex));
    const double j = length(rest);
    if (j < 1e-9) return 0;
    const Point ey = times(1 / j, rest);
    const Point ez = cross(ex, ey);
    const double x = (ra * ra - rb * rb + d * d) / (2 * d);
    const double y = (ra * ra - rc * rc + i * i + j * j) / (2 * j) - i * x / j;
    const double z2 = ra * ra - x * x - y * y;
    if (z2 < 0) return 0;
    const double z = std::sqrt(z2);
    const Point base = plus(a, plus(times(x, ex), times(y, ey)));
    out[0] = plus(base, times(z, ez));
    out[1] = minus(base, times(z, ez));
    return z == 0 ? 1 : 2;
}

}  // namespace

std::string RSCheck::report() const {
    std::ostringstream out;
    for (const std::string& p : problems) out << p << "\n";
    return out.str();
}

RSCheck check_reduced_surface(const velmesh::RunState& run, double tolerance) {
    return Checker(run, tolerance).check();
}

std::array<int, 3> canonical_face(int i, int j, int k) {
    if (i < j && i < k) return {i, j, k};
    if (j < i && j < k) return {j, k, i};
    return {k, i, j};
}

std::vector<FreeProbe> all_free_probes(const velmesh::RunState& run) {
    const SphereGrid grid(run);
    const double p = run.probe_radius;
    const auto reach = [&](int s, int t) {
        return distance(grid.centre(s), grid.centre(t)) < grid.radius(s) + grid.radius(t) + 2 * p;
    };
    std::vector<FreeProbe> found;
    std::vector<int> near;
    for (int a = 0; a < run.atom_count(); ++a) {
        near.clear();
        // Spheres within reach of a all lie within 2 (rmax + p) of its centre:
        // look two grid cells out through the probe positions instead.
        for (int b = a + 1; b < run.atom_count(); ++b)
            if (reach(a, b)) near.push_back(b);
        for (std::size_t x = 0; x < near.size(); ++x)
            for (std::size_t y = x + 1; y < near.size(); ++y) {
                const int b = near[x], c = near[y];
                if (!reach(b, c)) continue;
                std::array<Point, 2> probes;
                const int count = trilaterate(grid.centre(a), grid.radius(a) + p, grid.centre(b), grid.radius(b) + p,
                                              grid.centre(c), grid.radius(c) + p, probes);
                for (int n = 0; n < count; ++n) {
                    if (grid.clash(probes[n], 0.00001, a, b, c) >= 0) continue;
                    const Point normal =
                        cross(minus(grid.centre(b), grid.centre(a)), minus(grid.centre(c), grid.centre(b)));
                    const bool forwards = dot(minus(probes[n], grid.centre(a)), normal) >= 0;
                    found.push_back({forwards ? canonical_face(a, b, c) : canonical_face(a, c, b), probes[n]});
                }
            }
    }
    return found;
}

}  // namespace surface_testing
