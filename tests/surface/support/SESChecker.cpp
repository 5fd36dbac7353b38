#include "surface/support/SESChecker.h"

#include <cmath>
#include <set>
#include <sstream>

#include "surface/reduced/ReducedSurface.h"
#include "surface/ses/Areas.h"
#include "surface/ses/ComputeSES.h"

namespace surface_testing {

namespace {

using velmesh::SES_component;
using velmesh::SES_edge;
using velmesh::SES_face;
using velmesh::SES_vertex;
using velmesh::RunState;

using Point = std::array<double, 3>;

constexpr double kTwoPi = 6.283185307179586;

Point minus(const Point& a, const Point& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
double dot(const Point& a, const Point& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Point cross(const Point& a, const Point& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double length(const Point& a) { return std::sqrt(dot(a, a)); }
Point point(const velmesh::Vec3f& v) { return {v.x, v.y, v.z}; }
Point point(const velmesh::Vec3& v) { return {v.x, v.y, v.z}; }
Point normal_of(const SES_edge& e) { return {e.centre_data[0], e.centre_data[1], e.centre_data[2]}; }

const SES_vertex* from_of(const SES_face& f, std::size_t k) { return f.orientations[k] ? f.edges[k]->start : f.edges[k]->end; }
const SES_vertex* to_of(const SES_face& f, std::size_t k) { return f.orientations[k] ? f.edges[k]->end : f.edges[k]->start; }

// The angle that turns unit a into unit b counter-clockwise about axis n.
double turn(const Point& a, const Point& b, const Point& n) {
    return std::atan2(dot(cross(a, b), n), dot(a, b));
}

class Checker {
public:
    Checker(const RunState& run, double tolerance) : run_(run), tol_(tolerance) {}

    void component(const SES_component& c) {
        component_ = &c;
        faces_.clear();
        std::set<int> ids;
        for (const SES_face& f : c.faces) {
            faces_.insert(&f);
            if (!ids.insert(f.id).second) fail("face id " + std::to_string(f.id) + " repeated");
        }
        int index = 0;
        for (const SES_vertex& v : c.vertices)
            if (v.id != index++) fail("vertex ids are not 0, 1, 2, ...");
        for (const SES_edge& e : c.edges) edge(e);
        for (const SES_face& f : c.faces) face(f);
        // Collision-only spheres leave the surface open, and its genus a half.
        if (run_.collision_only_count == 0 && std::fabs(c.analytical_genus - std::round(c.analytical_genus)) > 1e-6)
            fail("genus " + std::to_string(c.analytical_genus) + " is not whole");
    }

    void spheres() {
        for (int s = 0; s < run_.atom_count(); ++s)
            for (const SES_face* f : run_.atoms[s].contact_faces)
                if (f->sphere != s || f->type != velmesh::kContactFace) fail("sphere " + std::to_string(s) + " lists a face not its own");
    }

    std::vector<std::string> problems;

private:
    void fail(const std::string& what) {
        if (problems.size() < 50)
            problems.push_back("component " + std::to_string(component_ ? component_->number : -1) + ": " + what);
    }

    Point centre(int s) const { return {run_.atoms[s].x, run_.atoms[s].y, run_.atoms[s].z}; }
    double radius(int s) const { return run_.atoms[s].r; }
    double p() const { return component_->probe_radius; }

    static int count_in(const SES_face& f, const SES_edge& e, int orientation) {
        int n = 0;
        for (std::size_t k = 0; k < f.edges.size(); ++k)
            if (f.edges[k] == &e && f.orientations[k] == orientation) ++n;
        return n;
    }

    void edge(const SES_edge& e) {
        const std::string name = "edge " + std::to_string(e.start ? e.start->id : -1) + "-" +
                                 std::to_string(e.end ? e.end->id : -1) + " type " + std::to_string(e.type);
        if (e.start == nullptr || e.end == nullptr) return fail(name + " without both vertices");
        if (e.first_face == nullptr && e.second_face == nullptr) return fail(name + " in no face");
        if (e.first_face != nullptr && (!faces_.contains(e.first_face) || count_in(*e.first_face, e, 1) != 1))
            fail(name + ": its first face does not traverse it forwards once");
        const bool seam = e.first_face == e.second_face;
        if (e.second_face != nullptr && !seam && (!faces_.contains(e.second_face) || count_in(*e.second_face, e, 0) != 1))
            fail(name + ": its second face does not traverse it backwards once");
        if (seam && e.first_face->type != velmesh::kFullTorusFace && e.first_face->type != velmesh::kSingularTorusHalfFace)
            fail(name + ": the same face on both sides, not a full torus");
        if (e.first_face == nullptr && (e.type != velmesh::kReentrantArc && e.type != velmesh::kSingularArc))
            fail(name + ": no first face");

        const Point n = normal_of(e);
        const Point m = point(e.circle_centre);
        if (std::fabs(length(n) - 1) > 1e-6) fail(name + ": normal not of unit length");
        for (const SES_vertex* v : {e.start, e.end}) {
            const Point d = minus(point(v->position), m);
            if (std::fabs(length(d) - e.radius) > tol_ || std::fabs(dot(d, n)) > tol_)
                fail(name + ": vertex " + std::to_string(v->id) + " off its circle");
        }
        if (e.type & velmesh::kContactArc) contact_arc(e, name);
        if (e.type == velmesh::kReentrantArc && std::fabs(e.radius - p()) > tol_) fail(name + ": not on a probe sphere");
    }

    void contact_arc(const SES_edge& e, const std::string& name) {
        const int s = e.start->sphere;
        if (e.end->sphere != s) return fail(name + ": ends on two spheres");
        for (const SES_vertex* v : {e.start, e.end})
            if (std::fabs(length(minus(point(v->position), centre(s))) - radius(s)) > tol_)
                fail(name + ": vertex off its sphere");
        const Point n = normal_of(e);
        const Point to_circle = minus(point(e.circle_centre), centre(s));
        if (std::fabs(std::sin(e.angle) + dot(n, to_circle) / radius(s)) > tol_) fail(name + ": latitude");
        const int other = e.rs_edge->i == s ? e.rs_edge->j : e.rs_edge->i;
        if (dot(n, minus(centre(s), centre(other))) <= 0) fail(name + ": normal towards the other sphere");
        if (std::fabs(e.torus_angle - e.rs_edge->angle) > 1e-5) fail(name + ": torus angle");
        if (!e.full_circle()) {
            const Point a = minus(point(e.start->position), point(e.circle_centre));
            const Point b = minus(point(e.end->position), point(e.circle_centre));
            double sweep = turn(a, b, Point{-n[0], -n[1], -n[2]});
            if (sweep < 0) sweep += kTwoPi;
            const double gap = std::fabs(sweep - e.torus_angle);
            if (std::min(gap, kTwoPi - gap) * e.radius > tol_) fail(name + ": does not turn by its torus's angle");
        }
        const bool in_face = e.second_face != nullptr && e.second_face->type == velmesh::kContactFace;
        if (in_face != ((e.type & velmesh::kInContactFace) != 0)) fail(name + ": contact-face mark");
        if (!run_.atoms[s].collision_only() && !in_face) fail(name + ": in no contact face");
        if (run_.atoms[s].collision_only() && in_face) fail(name + ": a collision-only sphere has a contact face");
    }

    void face(const SES_face& f) {
        const std::string name = "face " + std::to_string(f.id) + " type " + std::to_string(f.type);
        if (f.edges.size() != f.orientations.size()) return fail(name + ": edge and orientation lists differ");
        for (std::size_t k = 0; k < f.edges.size(); ++k) {
            const SES_edge& e = *f.edges[k];
            if ((f.orientations[k] ? e.first_face : e.second_face) != &f) fail(name + ": edge does not name the face");
        }
        if (f.type == velmesh::kFullTorusFace || f.type == velmesh::kSingularTorusHalfFace) {
            if (f.rs_edge == nullptr || f.rs_edge->face1 != nullptr) fail(name + ": not of a free edge");
            return;
        }
        // A lone sphere's contact face is its whole surface: no boundary.
        if (f.type == velmesh::kContactFace && f.edges.empty()) return;
        const int cycles = closed_cycles(f, name);
        const int expected = f.type == velmesh::kToricFace ? 1 : f.cycle_count;
        if (cycles != expected) fail(name + ": " + std::to_string(cycles) + " cycles, expected " + std::to_string(expected));
        if (f.type == velmesh::kReentrantFace) reentrant(f, name);
        if (f.type == velmesh::kContactFace) contact(f, name);
        if (f.type == velmesh::kToricFace && (f.rs_edge == nullptr || (f.edges.size() != 4 && f.edges.size() != 3)))
            fail(name + ": not a toric face of an edge");
    }

    int closed_cycles(const SES_face& f, const std::string& name) {
        int cycles = 0;
        std::size_t begin = 0;
        while (begin < f.edges.size()) {
            std::size_t k = begin;
            while (to_of(f, k) != from_of(f, begin)) {
                if (k + 1 == f.edges.size() || from_of(f, k + 1) != to_of(f, k)) {
                    fail(name + ": a cycle does not close");
                    return -1;
                }
                ++k;
            }
            ++cycles;
            begin = k + 1;
        }
        return cycles;
    }

    void reentrant(const SES_face& f, const std::string& name) {
        if (f.rs_face == nullptr) return fail(name + ": no reduced-surface face");
        const Point probe = point(f.rs_face->probe);
        for (std::size_t k = 0; k < f.edges.size(); ++k) {
            const SES_edge& e = *f.edges[k];
            const double side = f.orientations[k] ? 1 : -1;
            for (std::size_t v = 0; v < f.edges.size(); ++v) {
                const Point at = point(from_of(f, v)->position);
                if (std::fabs(length(minus(at, probe)) - p()) > tol_) fail(name + ": vertex off the probe sphere");
                if (side * dot(minus(at, point(e.circle_centre)), normal_of(e)) < -tol_)
                    fail(name + ": vertex outside the plane of one of its arcs");
            }
        }
    }

    void contact(const SES_face& f, const std::string& name) {
        if (f.sphere < 0) return fail(name + ": no sphere");
        bool listed = false;
        for (const SES_face* g : run_.atoms[f.sphere].contact_faces) listed |= g == &f;
        if (!listed) fail(name + ": not listed by its sphere");
        for (std::size_t k = 0; k < f.edges.size(); ++k)
            if (!(f.edges[k]->type & velmesh::kContactArc) || f.orientations[k] != 0 || f.edges[k]->start->sphere != f.sphere)
                fail(name + ": holds an edge that is not a contact arc of its sphere");
    }

    const RunState& run_;
    const double tol_;
    const SES_component* component_ = nullptr;
    std::set<const SES_face*> faces_;
};

}  // namespace

std::string SESCheck::report() const {
    std::ostringstream out;
    for (const std::string& p : problems) out << p << "\n";
    return out.str();
}

SESCheck check_analytical_surface(const velmesh::RunState& run, double tolerance) {
    Checker checker(run, tolerance);
    for (const SES_component& c : run.ses_components) checker.component(c);
    checker.spheres();
    return {checker.problems};
}

int compute_analytical_surface(velmesh::RunState& run) {
    run.want_analytical_ses = {true, true, true};
    if (velmesh::compute_reduced_surface(run) != 1) return -1;
    int problems = 0;
    for (velmesh::RS_component& component : run.rs_components)
        problems += velmesh::compute_SES(run, component, run.probe_radius);
    velmesh::compute_SES_area(run);
    return problems;
}

}  // namespace surface_testing
