// Contact faces: the point-in-region test on regions of known shape, the
// grouping of a sphere's cycles into faces (small ones far from the origin
// too), and the walk of a contact cycle
// on a surface broken on purpose: it stops with its message and marks its
// toric face for a restart instead of running on.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "surface/Restart.h"
#include "surface/reduced/ReducedSurface.h"
#include "surface/ses/ComputeSES.h"
#include "surface/ses/ArcGeometry.h"
#include "surface/ses/ContactFaces.h"
#include "surface/ses/FaceCycles.h"
#include "surface/ses/PointInContactFace.h"
#include "surface/ses/SESRecordMakers.h"
#include "surface/support/SESChecker.h"
#include "surface/support/SphereSets.h"
#include "surface/support/VelmeshRun.h"

using surface_testing::run_of;
using velmesh::BoundaryArc;
using velmesh::SES_component;
using velmesh::SES_edge;
using velmesh::SES_face;
using velmesh::Vec3;

namespace {

constexpr double kPi = 3.14159265358979;

Vec3 on_unit_sphere(double polar, double azimuth) {
    return {std::sin(polar) * std::cos(azimuth), std::sin(polar) * std::sin(azimuth), std::cos(polar)};
}

// Arcs on the unit sphere around the origin, each traversed with the region
// on its left seen from outside.
class Regions {
public:
    // The circle at the polar angle about +z, the region on the side of the
    // north pole (north) or of the south pole.
    BoundaryArc circle(double polar, bool north) {
        auto& v = velmesh::new_ses_vertex(ses_, 0, on_unit_sphere(polar, 0.3), -1, {});
        // The normal points into the region; the region traverses the arc
        // about the normal (orientation 0).
        const Vec3 n = north ? Vec3{0, 0, 1} : Vec3{0, 0, -1};
        auto& e = velmesh::new_ses_edge(ses_, velmesh::kContactArc, &v, &v, nullptr, {0, 0, std::cos(polar)},
                                        std::sin(polar), n);
        return {&e, 0};
    }

    // The great-circle arc from a to b (less than half a turn), the region
    // on its left.
    BoundaryArc great_arc(const Vec3& a, const Vec3& b) {
        auto& va = velmesh::new_ses_vertex(ses_, 0, a, -1, {});
        auto& vb = velmesh::new_ses_vertex(ses_, 0, b, -1, {});
        // The arc runs counter-clockwise about -n, n = b x a.
        Vec3 n{b.y * a.z - b.z * a.y, b.z * a.x - b.x * a.z, b.x * a.y - b.y * a.x};
        const double l = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
        n = n / l;
        auto& e = velmesh::new_ses_edge(ses_, velmesh::kReentrantArc, &va, &vb, nullptr, {}, 1, n);
        return {&e, 1};
    }

private:
    SES_component ses_;
};

int inside(const std::vector<BoundaryArc>& region, const Vec3& point, double tolerance = 0) {
    return velmesh::point_in_spherical_region(point, {0, 0, 0}, 1, region, tolerance);
}

TEST(PointInContactFace, RegionsOfKnownShape) {
    Regions make;
    // A cap of 40 degrees about the north pole, and the rest of the sphere.
    const std::vector<BoundaryArc> cap = {make.circle(0.7, true)};
    const std::vector<BoundaryArc> rest = {make.circle(0.7, false)};
    // A band from 40 to 120 degrees.
    const std::vector<BoundaryArc> band = {make.circle(0.7, false), make.circle(2.1, true)};
    // The spherical triangle x, y, z > 0, traversed counter-clockwise seen
    // from outside.
    const Vec3 x{1, 0, 0}, y{0, 1, 0}, z{0, 0, 1};
    const std::vector<BoundaryArc> octant = {make.great_arc(x, y), make.great_arc(y, z), make.great_arc(z, x)};

    struct Case {
        std::string name;
        const std::vector<BoundaryArc>* region;
        Vec3 point;
        int expected;
    };
    const Case cases[] = {
        {"cap: near the pole", &cap, on_unit_sphere(0.1, 2), 1},
        {"cap: beyond its circle", &cap, on_unit_sphere(0.8, 4), -1},
        {"cap: antipode", &cap, on_unit_sphere(kPi, 0), -1},
        {"cap: on its circle", &cap, on_unit_sphere(0.7, 1.1), 0},
        {"cap: within 0.001 of its circle", &cap, on_unit_sphere(0.7 - 0.0005, 0.3), 0},
        {"cap: 0.002 inside its circle", &cap, on_unit_sphere(0.7 - 0.002, 0.3), 1},
        {"rest: near the south pole", &rest, on_unit_sphere(3, 1), 1},
        {"rest: near the north pole", &rest, on_unit_sphere(0.2, 1), -1},
        {"band: its middle", &band, on_unit_sphere(1.4, 0.5), 1},
        {"band: north of it", &band, on_unit_sphere(0.3, 0.5), -1},
        {"band: south of it", &band, on_unit_sphere(2.8, 3.5), -1},
        {"octant: its centre", &octant, on_unit_sphere(std::acos(1 / std::sqrt(3.0)), kPi / 4), 1},
        {"octant: near a corner", &octant, on_unit_sphere(0.05, 0.7), 1},
        {"octant: the next octant", &octant, on_unit_sphere(1, -0.7), -1},
        {"octant: the opposite one", &octant, on_unit_sphere(2.2, kPi + 0.7), -1},
        {"octant: on an edge", &octant, on_unit_sphere(kPi / 2, 0.6), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(inside(*c.region, c.point), c.expected) << c.name;
    // A wider tolerance widens the undecided strip.
    EXPECT_EQ(inside(cap, on_unit_sphere(0.7 - 0.002, 0.3), 0.01), 0);
}

// Boundaries shorter than the test's resolution: a triangle a hundred
// thousandth of a radian across, as a region and as a hole, and a cap of that
// size. No great circle crosses them reliably; their turning tells which
// side is small.
TEST(PointInContactFace, RegionsTooSmallToCross) {
    Regions make;
    const double d = 1e-5;
    const Vec3 a = on_unit_sphere(1, 1), b = on_unit_sphere(1 + d, 1), c = on_unit_sphere(1, 1 + d);
    // Counter-clockwise seen from outside: a, then south to b, then c.
    const std::vector<BoundaryArc> triangle = {make.great_arc(a, b), make.great_arc(b, c), make.great_arc(c, a)};
    const std::vector<BoundaryArc> hole = {make.great_arc(a, c), make.great_arc(c, b), make.great_arc(b, a)};
    const std::vector<BoundaryArc> cap = {make.circle(d, true)};
    const std::vector<BoundaryArc> capped = {make.circle(d, false)};

    struct Case {
        std::string name;
        const std::vector<BoundaryArc>* region;
        Vec3 point;
        int expected;
    };
    const Case cases[] = {
        {"triangle: a point far off", &triangle, on_unit_sphere(2, 3), -1},
        {"triangle: a point 0.01 off", &triangle, on_unit_sphere(1.01, 1), -1},
        {"triangle: its own corner", &triangle, a, 0},
        {"hole: a point far off", &hole, on_unit_sphere(2, 3), 1},
        {"hole: a point 0.01 off", &hole, on_unit_sphere(1, 1.01), 1},
        {"hole: next to it", &hole, on_unit_sphere(1 + d / 2, 1 + d / 2), 0},
        {"cap: the antipode", &cap, on_unit_sphere(kPi, 0), -1},
        {"the rest: the antipode", &capped, on_unit_sphere(kPi, 0), 1},
        {"the rest: the pole", &capped, on_unit_sphere(0, 0), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(inside(*c.region, c.point), c.expected) << c.name;
}

// Three spheres whose contact cycles are each two arcs long, with the
// contact faces not yet built.
struct ThreeSpheres {
    velmesh::RunState run;
    SES_component* ses;

    ThreeSpheres() : run(run_of({{1.5, 0, 0, 1.5}, {-0.75, 1.3, 0, 1.5}, {-0.75, -1.3, 0, 1.5}}, 1.5)) {
        surface_testing::CapturedConsole console;
        EXPECT_EQ(velmesh::compute_reduced_surface(run), 1);
        // Neither surface asked for: no contact faces yet.
        EXPECT_EQ(velmesh::compute_SES(run, *run.rs_components.first(), run.probe_radius), 0);
        ses = run.ses_components.first();
    }

    SES_face& first_toric() {
        for (SES_face& f : ses->faces)
            if (f.type == velmesh::kToricFace) return f;
        throw std::logic_error("no toric face");
    }

    int find_contact_faces(std::string& err) {
        std::string out;
        return find_contact_faces(err, out);
    }
    int find_contact_faces(std::string& err, std::string& out) {
        velmesh::SESContext context{run, *ses, run.probe_radius};
        surface_testing::CapturedConsole console;
        const int problems = velmesh::find_SES_contact_faces(context);
        err = console.err();
        out = console.out();
        return problems;
    }
};

TEST(ContactFaces, EachSphereOfThreeGetsOneFaceOfOneCycleOfTwoArcs) {
    ThreeSpheres three;
    std::string err;
    EXPECT_EQ(three.find_contact_faces(err), 0);
    EXPECT_EQ(err, "");
    for (const auto& atom : three.run.atoms) {
        ASSERT_EQ(atom.contact_faces.size(), 1u);
        EXPECT_EQ(atom.contact_faces[0]->cycle_count, 1);
        EXPECT_EQ(atom.contact_faces[0]->edges.size(), 2u);
    }
    // A cycle of two arcs makes the toric face it starts from narrow: the
    // first torus starts the cycles of both its spheres, the second that of
    // the third sphere.
    std::vector<std::uint8_t> narrow;
    for (const SES_face& f : three.ses->faces)
        if (f.type == velmesh::kToricFace) narrow.push_back(f.narrow);
    EXPECT_EQ(narrow, (std::vector<std::uint8_t>{1, 1, 0}));
}

TEST(ContactFaces, ASphereBetweenTwoFreeToriHasOneFaceWithTwoCycles) {
    velmesh::RunState run = run_of({{0, 0, 0, 5}, {6, 0, 0, 1}, {3, 3 * std::sqrt(3.0), 0, 1}}, 1.5);
    surface_testing::CapturedConsole console;
    ASSERT_EQ(surface_testing::compute_analytical_surface(run), 0);
    const auto check = surface_testing::check_analytical_surface(run);
    EXPECT_TRUE(check.ok()) << check.report();
    ASSERT_EQ(run.atoms[0].contact_faces.size(), 1u);
    EXPECT_EQ(run.atoms[0].contact_faces[0]->cycle_count, 2);
    const SES_component& ses = *run.ses_components.first();
    EXPECT_EQ(ses.contact_cycle_adjustment, 1);
    EXPECT_EQ(ses.analytical_genus, 0);
}

// Five spheres of a protein, far from the origin, at probe 3: the fifth
// carries two small three-arc cycles 0.35 radians apart, each its own face.
// Every great circle from the first cycle's arcs to the second's start points
// crosses the arc it was drawn from a few millionths of a radian off its
// point (the arcs' data are single precision), which must still count as
// that point, or the grouping cannot decide.
TEST(ContactFaces, SmallCyclesFarFromTheOriginAreGroupedApart) {
    velmesh::RunState run =
        run_of(surface_testing::read_spheres(std::string(ZELMAR_FIXTURES) + "/spheres/tiny_contact_faces.xyz"), 3.0);
    surface_testing::CapturedConsole console;
    ASSERT_EQ(surface_testing::compute_analytical_surface(run), 0);
    EXPECT_EQ(console.err(), "");
    const auto check = surface_testing::check_analytical_surface(run);
    EXPECT_TRUE(check.ok()) << check.report();
    int small = 0;
    for (const SES_face* face : run.atoms[4].contact_faces) {
        EXPECT_EQ(face->cycle_count, 1);
        if (face->edges.size() == 3) ++small;
    }
    EXPECT_EQ(small, 2);
}

// Spheres behind thin walls line the outside and a cavity: the cycles each
// surface leaves on them are grouped among that surface's faces only, never
// as further cycles of a face of the other surface.
TEST(ContactFaces, ASphereLiningTwoSurfacesKeepsTheFacesOfEachApart) {
    velmesh::RunState run = run_of(surface_testing::random_cluster(300, 6), 0.8);
    run.all_components = true;
    surface_testing::CapturedConsole console;
    ASSERT_EQ(surface_testing::compute_analytical_surface(run), 0) << console.out() << console.err();
    const auto check = surface_testing::check_analytical_surface(run);
    EXPECT_TRUE(check.ok()) << check.report();
    std::map<const SES_face*, int> component_of;
    for (const SES_component& c : run.ses_components)
        for (const SES_face& face : c.faces) component_of[&face] = c.number;
    int lining_two = 0;
    for (const velmesh::Atom& atom : run.atoms) {
        std::set<int> components;
        for (const SES_face* face : atom.contact_faces) components.insert(component_of.at(face));
        if (components.size() > 1) ++lining_two;
    }
    EXPECT_GT(lining_two, 0) << "the case in point";
}

// Forty-four spheres of a random set at probe 1: three probes that nearly
// coincide leave a contact face of three arcs a millionth of a radian long
// on one sphere, beside a larger cycle on the same sphere through the same
// two toric circles. The larger cycle is its own face: outside the small
// one, which is decided from the small face's turning since no great circle
// crosses it reliably.
TEST(ContactFaces, AFaceTooSmallToCrossIsGroupedApart) {
    velmesh::RunState run = run_of(
        surface_testing::read_spheres(std::string(ZELMAR_FIXTURES) + "/spheres/near_coincident_probes.xyz"), 1.0);
    surface_testing::CapturedConsole console;
    ASSERT_EQ(surface_testing::compute_analytical_surface(run), 0);
    EXPECT_EQ(console.err(), "");
    const auto check = surface_testing::check_analytical_surface(run);
    EXPECT_TRUE(check.ok()) << check.report();
    int small = 0;
    for (const auto& atom : run.atoms)
        for (const SES_face* face : atom.contact_faces) {
            double sweep = 0;
            for (const SES_edge* arc : face->edges) sweep += velmesh::arc_sweep(*arc);
            if (face->edges.size() == 3 && sweep < 1e-4) {
                ++small;
                EXPECT_EQ(face->cycle_count, 1);
                EXPECT_EQ(atom.contact_faces.size(), 2u);
            }
        }
    EXPECT_EQ(small, 1);
}

// Sixty random spheres at probe 0.8: sphere 51 carries a contact cycle of
// three arcs a ten-thousandth of a radian long beside a larger one, found
// after it. Neither lies inside the other (the reduced surface has two fans
// of faces there), so the sphere has two faces and the surface genus 1, as
// its triangulation.
TEST(ContactFaces, ASmallCycleFoundAfterALargeOneIsAFaceOfItsOwn) {
    velmesh::RunState run = run_of(surface_testing::random_cluster(60, 4), 0.8);
    surface_testing::CapturedConsole console;
    ASSERT_EQ(surface_testing::compute_analytical_surface(run), 0);
    EXPECT_EQ(console.err(), "");
    ASSERT_EQ(run.atoms[51].contact_faces.size(), 2u);
    for (const SES_face* face : run.atoms[51].contact_faces) EXPECT_EQ(face->cycle_count, 1);
    EXPECT_EQ(run.ses_components.first()->analytical_genus, 1);
}

// Five random spheres at probe 1 with every component: the outer surface and
// a second component both touch spheres 0, 1 and 3. Each component groups
// only its own cycles: an arc of one never bounds a contact face of the
// other.
TEST(ContactFaces, ComponentsSharingASphereKeepTheirFacesApart) {
    velmesh::RunState run = run_of({{1.26440185, -1.32572231, 1.79737326, 1.56990055},
                                    {-2.9428981, -1.33999838, -1.05021442, 1.64946826},
                                    {-0.293550268, -4.3730805, -2.5130632, 1.71312474},
                                    {-1.47353501, -1.45773258, -0.22361419, 1.50871358},
                                    {-5.35071733, -1.77971334, 5.96123439, 1.64678703}},
                                   1.0);
    run.all_components = true;
    surface_testing::CapturedConsole console;
    ASSERT_EQ(surface_testing::compute_analytical_surface(run), 0);
    EXPECT_EQ(console.err(), "");
    ASSERT_GE(run.ses_components.count(), 2);
    for (const SES_component& ses : run.ses_components) {
        std::set<const SES_face*> own;
        for (const SES_face& face : ses.faces) own.insert(&face);
        for (const SES_edge& edge : ses.edges)
            for (const SES_face* face : {edge.first_face, edge.second_face})
                EXPECT_TRUE(face == nullptr || own.contains(face)) << "component " << ses.number;
    }
    const auto check = surface_testing::check_analytical_surface(run);
    EXPECT_TRUE(check.ok()) << check.report();
}

// A sphere between two free tori, its two contact circles laid on top of
// each other: neither cycle can tell whether the other lies in its face,
// which is a problem of the torus for the restart, not a face built on a
// guess.
TEST(ContactFaces, ACycleThatCannotBePlacedMarksItsToricFace) {
    velmesh::RunState run = run_of({{0, 0, 0, 5}, {6, 0, 0, 1}, {3, 3 * std::sqrt(3.0), 0, 1}}, 1.5);
    surface_testing::CapturedConsole console;
    ASSERT_EQ(velmesh::compute_reduced_surface(run), 1);
    // Neither surface asked for: no contact faces yet.
    ASSERT_EQ(velmesh::compute_SES(run, *run.rs_components.first(), run.probe_radius), 0);
    SES_component& ses = *run.ses_components.first();
    std::vector<SES_edge*> circles;
    for (SES_edge& edge : ses.edges)
        if ((edge.type & velmesh::kContactArc) != 0 && edge.start->sphere == 0) circles.push_back(&edge);
    ASSERT_EQ(circles.size(), 2u);
    SES_edge& moved = *circles[1];
    const SES_edge& kept = *circles[0];
    moved.circle_centre = kept.circle_centre;
    moved.radius = kept.radius;
    moved.centre_data = kept.centre_data;
    moved.start->position = kept.start->position;

    velmesh::SESContext context{run, ses, run.probe_radius};
    EXPECT_EQ(velmesh::find_SES_contact_faces(context), 1);
    EXPECT_NE(console.err().find("ERROR: find_SES_contact_faces: inf==0 for face"), std::string::npos);
    const SES_face* bad = nullptr;
    for (const SES_face& f : ses.faces)
        if (f.bad != 0) bad = &f;
    ASSERT_NE(bad, nullptr);
    EXPECT_EQ(bad->type, velmesh::kFullTorusFace);
}

// What a walk from the contact arc at `arc` of the toric face meets: the
// next edge of that face leads into a reentrant face, whose next edge leads
// into the next toric face, whose next edge is the next contact arc.
struct Steps {
    SES_face* reentrant;
    SES_edge* into_reentrant;
    SES_face* toric;
    SES_edge* into_toric;
    SES_edge* next_arc;
};

Steps steps_from(SES_face& face, int arc) {
    Steps s;
    s.into_reentrant = face.edges[velmesh::next_in_cycle(face, arc)];
    s.reentrant = velmesh::other_face(*s.into_reentrant, &face);
    s.into_toric = s.reentrant->edges[velmesh::next_in_cycle(*s.reentrant, velmesh::find_edge(*s.reentrant, s.into_reentrant))];
    s.toric = velmesh::other_face(*s.into_toric, s.reentrant);
    s.next_arc = s.toric->edges[velmesh::next_in_cycle(*s.toric, velmesh::find_edge(*s.toric, s.into_toric))];
    return s;
}

void erase_edge(SES_face& face, const SES_edge* edge) {
    const int at = velmesh::find_edge(face, edge);
    face.edges.erase(face.edges.begin() + at);
    face.orientations.erase(face.orientations.begin() + at);
}

struct Corruption {
    std::string name;
    // Breaks the surface around the contact arc `arc` of the toric face.
    std::function<void(ThreeSpheres&, SES_face& face, int arc)> apply;
    std::string message;
};

TEST(ContactFaces, ABrokenCycleStopsWithItsMessageAndMarksItsToricFace) {
    const Corruption corruptions[] = {
        {"the first arc starts nowhere on its cycle",
         [](ThreeSpheres& t, SES_face& face, int arc) {
             face.edges[arc]->start = &velmesh::new_ses_vertex(*t.ses, 0, {9, 9, 9}, face.edges[arc]->start->sphere, {});
         },
         "does not close"},
        {"the reentrant face has lost its arc",
         [](ThreeSpheres&, SES_face& face, int arc) {
             const Steps s = steps_from(face, arc);
             erase_edge(*s.reentrant, s.into_reentrant);
         },
         "pb1"},
        {"the next toric face has lost its arc",
         [](ThreeSpheres&, SES_face& face, int arc) {
             const Steps s = steps_from(face, arc);
             erase_edge(*s.toric, s.into_toric);
         },
         "pb2"},
        {"the next toric face leads to no contact arc",
         [](ThreeSpheres&, SES_face& face, int arc) { steps_from(face, arc).next_arc->type = velmesh::kReentrantArc; },
         "pb3"},
    };
    for (const Corruption& c : corruptions) {
        SCOPED_TRACE(c.name);
        ThreeSpheres three;
        SES_face& face = three.first_toric();
        c.apply(three, face, 1);
        std::string err, out;
        EXPECT_GE(three.find_contact_faces(err, out), 1);
        EXPECT_EQ(face.bad, 1);
        EXPECT_NE(out.find("    problem in the surface: the contact cycle of sphere " +
                           std::to_string(face.edges[1]->start->sphere) + " from toric face " +
                           std::to_string(face.id) + " does not close\n"),
                  std::string::npos)
            << out;
        const std::string expected = c.message == "does not close"
                                         ? "find_SES_contact_faces: contact cycle from face #" + std::to_string(face.id) +
                                               " does not close\n"
                                         : "find_SES_contact_faces: " + c.message + " while treating face #" +
                                               std::to_string(face.id) + "\n";
        EXPECT_EQ(err.substr(0, expected.size()), expected);
        // The restart grows the two spheres of the marked torus.
        surface_testing::CapturedConsole console;
        velmesh::enlarge_marked_radii(three.run);
        EXPECT_NE(console.out().find("radius of atom " + std::to_string(face.rs_edge->i) + " goes from"), std::string::npos);
        EXPECT_NE(console.out().find("radius of atom " + std::to_string(face.rs_edge->j) + " goes from"), std::string::npos);
    }
}

}  // namespace
