// The analytical SES of shapes and random clusters: the records keep their
// promises (the checker), the genus is that of the shape, the accessible
// area agrees with points counted on the grown spheres, sphere by sphere,
// the spheres' shares add up to their component's areas, and nothing
// depends on where the spheres lie or in which order they come.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "surface/support/AccessibleArea.h"
#include "surface/support/SESChecker.h"
#include "surface/support/SphereSets.h"
#include "surface/support/VelmeshRun.h"

using surface_testing::accessible_area;
using surface_testing::check_analytical_surface;
using surface_testing::compute_analytical_surface;
using surface_testing::random_cluster;
using surface_testing::run_of;
using surface_testing::TestSphere;

namespace {

constexpr double kPi = 3.14159265358979;
constexpr double kAnyGenus = -99;

struct Shape {
    std::string name;
    std::vector<TestSphere> spheres;
    double probe;
    bool all_components;
    double genus;  // of every component
};

std::vector<Shape> shapes() {
    std::vector<Shape> list = {
        {"tetrahedron", surface_testing::tetrahedron(3.0, 1.6), 1.5, false, 0},
        {"cube corners", surface_testing::cube_corners(3.2, 1.5), 1.5, false, 0},
        {"thick ring", surface_testing::thick_ring(12, 6, 1.4, 1.6, 0.2), 1.5, false, 1},
        {"covered hollow shell", surface_testing::hollow_shell(true), 1.5, true, 0},
        {"open hollow shell", surface_testing::hollow_shell(false), 1.5, true, 0},
    };
    // Clusters at the density of a protein's atoms: narrow probes find
    // channels and cavities, wide ones roll over singular edges.
    for (const unsigned seed : {1u, 2u, 3u})
        for (const double probe : {1.0, 1.5, 3.0})
            list.push_back({"cluster " + std::to_string(seed) + " probe " + std::to_string(probe),
                            random_cluster(300, seed), probe, true, kAnyGenus});
    return list;
}

TEST(AnalyticalSurface, ShapesKeepTheRecordsPromisesAndTheirAccessibleArea) {
    for (const Shape& shape : shapes()) {
        SCOPED_TRACE(shape.name);
        velmesh::RunState run = run_of(shape.spheres, shape.probe);
        run.all_components = shape.all_components;
        surface_testing::CapturedConsole console;
        ASSERT_EQ(compute_analytical_surface(run), 0) << console.out() << console.err();
        const auto check = check_analytical_surface(run);
        EXPECT_TRUE(check.ok()) << check.report();

        const int components = run.ses_components.count();
        std::vector<double> ses_of_spheres(components, 0), sas_of_spheres(components, 0);
        for (const auto& atom : run.atoms)
            for (int c = 0; c < components; ++c) {
                ses_of_spheres[c] += atom.areas.ses(c);
                sas_of_spheres[c] += atom.areas.sas(c);
            }
        double sas = 0;
        for (const auto& c : run.ses_components) {
            if (shape.genus != kAnyGenus) {
                EXPECT_EQ(c.analytical_genus, shape.genus) << "component " << c.number;
            }
            EXPECT_GE(c.reentrant_area, 0);
            EXPECT_GE(c.toric_area, 0);
            EXPECT_GT(c.contact_area, 0);
            EXPECT_NEAR(c.ses_area, c.reentrant_area + c.toric_area + c.contact_area, 1e-9);
            EXPECT_NEAR(ses_of_spheres[c.number], c.ses_area, 1e-6 * c.ses_area);
            EXPECT_NEAR(sas_of_spheres[c.number], c.sas_area, 1e-6 * c.sas_area);
            sas += c.sas_area;
        }
        // The outer surface: the probe's centres run further out than the
        // surface it leaves.
        EXPECT_LT(run.ses_components.first()->ses_area, run.ses_components.first()->sas_area);

        // Points on the grown spheres: the whole and each sphere's share.
        const auto estimate = accessible_area(shape.spheres, shape.probe, 3000);
        EXPECT_NEAR(sas, estimate.total, 0.005 * estimate.total);
        for (int s = 0; s < run.atom_count(); ++s) {
            const auto& atom = run.atoms[s];
            const double grown = 4 * kPi * (atom.r + shape.probe) * (atom.r + shape.probe);
            const double own = atom.areas.total_sas();
            EXPECT_NEAR(own, estimate.per_sphere[s], 0.01 * grown) << "sphere " << s;
        }
    }
}

struct Totals {
    double reentrant, toric, contact, sas;
    std::vector<double> ses_of_sphere, sas_of_sphere;
};

Totals totals(const std::vector<TestSphere>& spheres, double probe) {
    velmesh::RunState run = run_of(spheres, probe);
    surface_testing::CapturedConsole console;
    EXPECT_EQ(compute_analytical_surface(run), 0);
    Totals t{0, 0, 0, 0, {}, {}};
    for (const auto& c : run.ses_components) {
        t.reentrant += c.reentrant_area;
        t.toric += c.toric_area;
        t.contact += c.contact_area;
        t.sas += c.sas_area;
    }
    for (const auto& atom : run.atoms) {
        t.ses_of_sphere.push_back(atom.areas.total_ses());
        t.sas_of_sphere.push_back(atom.areas.total_sas());
    }
    return t;
}

void expect_same(const Totals& a, const Totals& b, const std::vector<int>& order) {
    const auto near = [](double x, double y) { return std::fabs(x - y) < 0.01; };
    EXPECT_TRUE(near(a.reentrant, b.reentrant)) << a.reentrant << " " << b.reentrant;
    EXPECT_TRUE(near(a.toric, b.toric)) << a.toric << " " << b.toric;
    EXPECT_TRUE(near(a.contact, b.contact)) << a.contact << " " << b.contact;
    EXPECT_TRUE(near(a.sas, b.sas)) << a.sas << " " << b.sas;
    for (std::size_t s = 0; s < order.size(); ++s) {
        EXPECT_TRUE(near(a.ses_of_sphere[order[s]], b.ses_of_sphere[s])) << "sphere " << order[s];
        EXPECT_TRUE(near(a.sas_of_sphere[order[s]], b.sas_of_sphere[s])) << "sphere " << order[s];
    }
}

// Moved or read in another order, a cluster whose probe spheres overlap (at
// probe 3 widely) keeps every area, of the component and of each sphere, to
// within 0.01.
TEST(AnalyticalSurface, AreasDoNotDependOnPlaceOrOrder) {
    for (const double probe : {1.5, 3.0}) {
        SCOPED_TRACE(probe);
        const auto spheres = random_cluster(200, 7);
        const Totals base = totals(spheres, probe);
        std::vector<int> same(spheres.size());
        std::iota(same.begin(), same.end(), 0);

        auto moved = spheres;
        for (auto& s : moved) {
            s.x += 13.75;
            s.y -= 5.25;
            s.z += 8.5;
        }
        expect_same(base, totals(moved, probe), same);

        std::vector<int> order = same;
        std::shuffle(order.begin(), order.end(), std::mt19937(3));
        std::vector<TestSphere> shuffled;
        for (const int s : order) shuffled.push_back(spheres[s]);
        expect_same(base, totals(shuffled, probe), order);
    }
}

// Three spheres and a probe of 3: A and B, 6 apart with radius 1, have a
// torus of radius sqrt(4^2 - 3^2) = sqrt 7 < 3, so the probe passes through
// their axis; C (radius 1.5) at (0, 2.5, 0). A probe touching all three lies
// at x = 0 with y^2 + z^2 = 7 (|P - A| = 4) and (y - 2.5)^2 + z^2 = 4.5^2, so
// at P+- = (0, -1.4, +-sqrt 5.04). The reentrant face of P+ is the part of
// its probe sphere facing the three spheres, the directions
// a u_A + b u_B + c u_C (a, b, c >= 0, u_k from P+ to the centres), less what
// lies inside the probe sphere at P-, which overlaps it across the axis.
// Points spread evenly over the probe sphere count that part.
double reentrant_face_by_points(double p, int count) {
    const double z = std::sqrt(5.04);
    const double probe[3] = {0, -1.4, z};
    const double other[3] = {0, -1.4, -z};
    const double centres[3][3] = {{-3, 0, 0}, {3, 0, 0}, {0, 2.5, 0}};
    double u[3][3];
    for (int k = 0; k < 3; ++k) {
        double length = 0;
        for (int c = 0; c < 3; ++c) length += (centres[k][c] - probe[c]) * (centres[k][c] - probe[c]);
        for (int c = 0; c < 3; ++c) u[k][c] = (centres[k][c] - probe[c]) / std::sqrt(length);
    }
    const auto det = [](const double* a, const double* b, const double* c) {
        return a[0] * (b[1] * c[2] - b[2] * c[1]) - a[1] * (b[0] * c[2] - b[2] * c[0]) + a[2] * (b[0] * c[1] - b[1] * c[0]);
    };
    const double whole = det(u[0], u[1], u[2]);
    const double turn = kPi * (3 - std::sqrt(5.0));
    int inside = 0;
    for (int k = 0; k < count; ++k) {
        const double dz = 1 - (2 * k + 1.0) / count;
        const double ring = std::sqrt(1 - dz * dz);
        const double d[3] = {ring * std::cos(turn * k), ring * std::sin(turn * k), dz};
        // Cramer's rule for d = a u_A + b u_B + c u_C.
        if (det(d, u[1], u[2]) / whole < 0 || det(u[0], d, u[2]) / whole < 0 || det(u[0], u[1], d) / whole < 0) continue;
        double gap = 0;
        for (int c = 0; c < 3; ++c) gap += (probe[c] + p * d[c] - other[c]) * (probe[c] + p * d[c] - other[c]);
        if (gap >= p * p) ++inside;
    }
    return 4 * kPi * p * p * inside / count;
}

TEST(AnalyticalSurface, ASingularEdgeCutsItsReentrantFacesWhereTheTwoProbesOverlap) {
    const std::vector<TestSphere> spheres = {{-3, 0, 0, 1}, {3, 0, 0, 1}, {0, 2.5, 0, 1.5}};
    velmesh::RunState run = run_of(spheres, 3);
    surface_testing::CapturedConsole console;
    ASSERT_EQ(compute_analytical_surface(run), 0);
    const auto check = check_analytical_surface(run);
    EXPECT_TRUE(check.ok()) << check.report();
    int singular = 0;
    for (const auto& edge : run.rs_components.first()->edges) singular += edge.singular_kind == 2 ? 1 : 0;
    ASSERT_EQ(singular, 1);
    // The corners where the singular arc meets the great circles turn by the
    // angle between the arcs' directions there; the angle between their
    // planes' normals would make this area -7.07.
    const double both_faces = 2 * reentrant_face_by_points(3, 400000);
    EXPECT_NEAR(run.ses_components.first()->reentrant_area, both_faces, 0.005 * both_faces);
}

TEST(AnalyticalSurface, CollisionOnlySpheresBlockTheProbeButGetNoSurfaceOfTheirOwn) {
    // The tetrahedron with one sphere, then with the three spheres of one
    // face, collision-only; that face then has no reentrant face, and the
    // toric faces along its edges are completed from the other side.
    for (const int blocked : {1, 3}) {
        SCOPED_TRACE(blocked);
        auto spheres = surface_testing::tetrahedron(3.0, 1.6);
        for (int s = 0; s < blocked; ++s) spheres[s].flags = 0;
        velmesh::RunState run = run_of(spheres, 1.5);
        surface_testing::CapturedConsole console;
        ASSERT_EQ(compute_analytical_surface(run), 0);
        const auto check = check_analytical_surface(run);
        EXPECT_TRUE(check.ok()) << check.report();
        const auto& ses = *run.ses_components.first();
        EXPECT_EQ(ses.faces_of_type[velmesh::kReentrantFace], blocked == 3 ? 3 : 4);
        EXPECT_EQ(ses.faces_of_type[velmesh::kToricFace], 6);
        const auto estimate = accessible_area(spheres, 1.5, 20000);
        for (int s = 0; s < 4; ++s) {
            EXPECT_EQ(run.atoms[s].contact_faces.empty(), s < blocked);
            EXPECT_NEAR(run.atoms[s].areas.sas(0), estimate.per_sphere[s], 0.05) << "sphere " << s;
        }
    }
}

}  // namespace
