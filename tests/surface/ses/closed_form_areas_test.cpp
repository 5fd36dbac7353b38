// The analytical areas that velmesh prints for shapes whose surfaces are
// known in closed form, each derived here from the geometry alone.
//
// Notation: spheres (c_i, r_i), probe radius p, grown radii e_i = r_i + p.
//
// One sphere: SES 4 pi r^2 (all contact), SAS 4 pi e^2.
//
// Two spheres at distance d that a probe can touch together: the probe
// centres touching both lie on the circle where the two grown spheres meet,
// in the plane at a_1 = (d^2 + e_1^2 - e_2^2) / (2 d) from c_1 along the line
// of centres (a_2 = d - a_1 from c_2), of radius R = sqrt(e_1^2 - a_1^2).
// - SAS of sphere i: the grown sphere less its cap inside the other one, a
//   zone of height e_i + a_i, so 2 pi e_i (e_i + a_i) (Archimedes).
// - Contact area of sphere i: the radial image of that zone on the sphere
//   itself, (r_i / e_i)^2 times it: 2 pi r_i^2 (1 + a_i / e_i).
// - Toric area: seen from a probe centre, the contact point on sphere i lies
//   at the angle theta_i from the direction towards the axis, with
//   sin theta_i = a_i / e_i. The surface is the arc of the probe circle from
//   -theta_1 to theta_2 turned about the axis; a point at angle alpha lies
//   R - p cos alpha from the axis, so (Pappus) the area is
//   2 pi p [R (theta_1 + theta_2) - p (sin theta_1 + sin theta_2)].
// - When R < p the probe passes through the axis (a singular torus); the
//   probe circle meets the axis at alpha = +-c, cos c = R / p, and only the
//   arcs from each contact to its crossing belong to the surface:
//   2 pi p sum_i [R (theta_i - c) - p (sin theta_i - sin c)].
//
// A sphere (radius R) with two small ones (radius r) at the same distance d,
// 60 degrees apart as seen from it and too far from each other for a probe
// to touch both: two free tori as above, each small sphere keeps the part
// beyond its torus (2 pi r^2 (1 + a / e)), and the large one loses one cap
// 2 pi R^2 (1 - a_R / e_R) to each torus; the caps do not meet, their
// angular radii (acos(a_R / e_R) each) adding up to less than 60 degrees.
// Its contact face is one face with two boundary circles.
//
// Three spheres of radius r at the corners of an equilateral triangle of
// side s (circumradius rho = s / sqrt 3), centred at the origin in z = 0:
// - The probe touches all three at P = (0, 0, +-h), h = sqrt(e^2 - rho^2).
// - Reentrant faces (two): the part of the probe sphere facing the three
//   spheres, the spherical triangle whose corners point to the centres,
//   u_k = (c_k - P) / e; p^2 times its spherical excess E, with
//   tan(E / 2) = |u_1 . (u_2 x u_3)| / (1 + u_1.u_2 + u_2.u_3 + u_3.u_1).
// - Toric faces (three): as for two spheres with a = s / 2, but the probe
//   turns only from the upper position to the lower one, round the outside.
//   In the plane across an edge through its midpoint the two positions lie
//   at (m, +-h), m = s / (2 sqrt 3) towards the centroid, so the probe turns
//   by phi = 2 pi - 2 atan2(h, m): phi p [2 R theta - 2 p sin theta] each.
// - SAS of each sphere: its grown sphere less the caps inside its two
//   neighbours' grown spheres. Each cap has the angular radius alpha,
//   cos alpha = (s / 2) / e, and their centres lie gamma = 60 degrees apart,
//   so on the unit sphere the area is 4 pi - 2 (2 pi (1 - cos alpha)) + L,
//   L the lens where the two caps overlap. The lens by Gauss-Bonnet: its two
//   corners X lie alpha from both cap centres C_1, C_2; in the spherical
//   triangle C_1 C_2 X the angle at X is xi, cos xi = (cos gamma - cos^2
//   alpha) / sin^2 alpha, and the angle at C_i is beta, cos beta = (cos alpha
//   - cos alpha cos gamma) / (sin alpha sin gamma). The lens turns by xi at
//   each corner and each of its arcs (2 beta of a circle of geodesic
//   curvature cot alpha and radius sin alpha) turns by 2 beta cos alpha:
//   L = 2 pi - 2 xi - 4 beta cos alpha. Contact area: (r / e)^2 times SAS.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "support/TempDir.h"
#include "surface/support/VelmeshRun.h"

using surface_testing::parse_report;
using surface_testing::run_capture;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

constexpr double kPi = 3.14159265358979;

struct Areas {
    double reentrant = 0, toric = 0, contact = 0, sas = 0;
};

struct Ball {
    double x, y, z, r;
};

struct Case {
    std::string name;
    std::vector<Ball> spheres;
    double probe;
    Areas expected;
};

Case one_sphere(double r, double p) {
    return {"one sphere", {{1, 2, 3, r}}, p, {0, 0, 4 * kPi * r * r, 4 * kPi * (r + p) * (r + p)}};
}

Areas two_sphere_areas(double r1, double r2, double d, double p) {
    const double e1 = r1 + p, e2 = r2 + p;
    const double a1 = (d * d + e1 * e1 - e2 * e2) / (2 * d);
    const double a2 = d - a1;
    const double big = std::sqrt(e1 * e1 - a1 * a1);
    const double t1 = std::asin(a1 / e1), t2 = std::asin(a2 / e2);
    Areas areas;
    areas.sas = 2 * kPi * e1 * (e1 + a1) + 2 * kPi * e2 * (e2 + a2);
    areas.contact = 2 * kPi * r1 * r1 * (1 + a1 / e1) + 2 * kPi * r2 * r2 * (1 + a2 / e2);
    if (big >= p) {
        areas.toric = 2 * kPi * p * (big * (t1 + t2) - p * (std::sin(t1) + std::sin(t2)));
    } else {
        const double c = std::acos(big / p);
        for (const double t : {t1, t2}) areas.toric += 2 * kPi * p * (big * (t - c) - p * (std::sin(t) - std::sin(c)));
    }
    return areas;
}

Case two_spheres(const std::string& name, double r1, double r2, double d, double p) {
    return {name, {{0, 0, 0, r1}, {d, 0, 0, r2}}, p, two_sphere_areas(r1, r2, d, p)};
}

// Each torus takes its own cap of the large sphere: twice the pair of
// spheres, less the large sphere once.
Case sphere_between_two_tori(double big_r, double r, double d, double p) {
    const Areas pair = two_sphere_areas(big_r, r, d, p);
    Areas areas;
    areas.toric = 2 * pair.toric;
    areas.contact = 2 * pair.contact - 4 * kPi * big_r * big_r;
    areas.sas = 2 * pair.sas - 4 * kPi * (big_r + p) * (big_r + p);
    const double c60 = 0.5, s60 = std::sqrt(3.0) / 2;
    return {"a sphere between two free tori", {{0, 0, 0, big_r}, {d, 0, 0, r}, {d * c60, d * s60, 0, r}}, p, areas};
}

double dot(const Ball& a, const Ball& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Case three_spheres(double r, double s, double p) {
    const double e = r + p;
    const double rho = s / std::sqrt(3.0);
    const double h = std::sqrt(e * e - rho * rho);
    std::vector<Ball> spheres;
    std::vector<Ball> u;  // from the upper probe to the centres, unit length
    for (int k = 0; k < 3; ++k) {
        const double angle = 2 * kPi * k / 3;
        spheres.push_back({rho * std::cos(angle), rho * std::sin(angle), 0, r});
        u.push_back({spheres[k].x / e, spheres[k].y / e, -h / e, 1});
    }
    const Ball u12{u[1].y * u[2].z - u[1].z * u[2].y, u[1].z * u[2].x - u[1].x * u[2].z, u[1].x * u[2].y - u[1].y * u[2].x, 0};
    const double excess = 2 * std::atan2(std::fabs(dot(u[0], u12)), 1 + dot(u[0], u[1]) + dot(u[1], u[2]) + dot(u[2], u[0]));

    const double a = s / 2;
    const double big = std::sqrt(e * e - a * a);
    const double theta = std::asin(a / e);
    const double phi = 2 * kPi - 2 * std::atan2(h, s / (2 * std::sqrt(3.0)));

    const double alpha = std::acos(a / e);
    const double gamma = kPi / 3;
    const double xi = std::acos((std::cos(gamma) - std::cos(alpha) * std::cos(alpha)) / (std::sin(alpha) * std::sin(alpha)));
    const double beta = std::acos((std::cos(alpha) - std::cos(alpha) * std::cos(gamma)) / (std::sin(alpha) * std::sin(gamma)));
    const double lens = 2 * kPi - 2 * xi - 4 * beta * std::cos(alpha);
    const double sas_each = e * e * (4 * kPi - 4 * kPi * (1 - std::cos(alpha)) + lens);

    Areas areas;
    areas.reentrant = 2 * p * p * excess;
    areas.toric = 3 * phi * (2 * p * big * theta - 2 * p * p * std::sin(theta));
    areas.sas = 3 * sas_each;
    areas.contact = areas.sas * (r / e) * (r / e);
    return {"three spheres", spheres, p, areas};
}

std::string sphere_file(const std::vector<Ball>& spheres) {
    std::string text;
    char line[128];
    for (const Ball& b : spheres) {
        std::snprintf(line, sizeof line, "%.9g %.9g %.9g %.9g\n", b.x, b.y, b.z, b.r);
        text += line;
    }
    return text;
}

TEST(ClosedFormAreas, AnalyticalSurfaceAgreesWithTheGeometry) {
    const Case cases[] = {
        one_sphere(1.8, 1.5),
        // A toric area of 16.77; with the complement of the contact angle
        // (pi / 2 - theta) in the band it would come to 28.9.
        two_spheres("two touching spheres, regular torus", 2, 2, 4, 1.5),
        two_spheres("two overlapping spheres, regular torus", 2, 1.6, 3, 1.5),
        two_spheres("two spheres apart, singular torus", 1.5, 1.5, 5.5, 1.5),
        two_spheres("two unequal spheres apart, singular torus", 1.2, 1.9, 6.5, 2),
        sphere_between_two_tori(5, 1, 6, 1.5),
        three_spheres(1.5, 3.5, 1.5),
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        write_file(dir.file("s.xyz"), sphere_file(c.spheres));
        char probe[32];
        std::snprintf(probe, sizeof probe, "%g", c.probe);
        const auto result = run_capture({"-if", dir.file("s.xyz"), "-surface", "ases", "-probe_radius", probe});
        ASSERT_EQ(result.status, 0) << result.out << result.err;
        const auto report = parse_report(result.out);
        ASSERT_EQ(report.areas.size(), 1u) << result.out;
        const auto& got = report.areas[0];
        const Areas& want = c.expected;
        EXPECT_NEAR(got.reentrant, want.reentrant, 0.01);
        EXPECT_NEAR(got.toric, want.toric, 0.01);
        EXPECT_NEAR(got.contact, want.contact, 0.01);
        EXPECT_NEAR(got.ses, want.reentrant + want.toric + want.contact, 0.01);
        EXPECT_NEAR(got.sas, want.sas, 0.01);
    }
}

}  // namespace
