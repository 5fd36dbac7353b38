// Principal axes and the equivalent ellipsoid of a species, its friction
// coefficients and the principal-axes file.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "dynamics/scene/Rotation.h"
#include "dynamics/species/AxesFile.h"
#include "dynamics/species/Friction.h"
#include "dynamics/species/PrincipalAxes.h"
#include "support/LongAxis.h"
#include "support/ShapeFixtures.h"

namespace {

using dynamics_testing::turned_ellipsoid_atoms;

ATOM atom_at(double x, double y, double z, double mass = 12.0) { return ATOM{x, y, z, 1.7e-10, 0, mass, 1, 1, 0}; }

double total_mass(const std::vector<ATOM>& atoms) {
    double m = 0;
    for (const ATOM& a : atoms) m += a.mass;
    return m;
}

TEST(PrincipalAxes, TheAnglesAre201RepeatedSteps) {
    const std::vector<double>& angles = principal_axes::search_angles();
    ASSERT_EQ(angles.size(), 201u);
    EXPECT_EQ(angles[0], 0.0);
    EXPECT_EQ(angles[1], 0.015707963267948967);
    EXPECT_LT(angles[200], 3.141592653589793);
    EXPECT_GT(angles[200], 3.14);
}

// The search that estimates the moments first finds what the search summing
// every direction atom by atom finds, to the last bit, also where many
// directions tie or a moment is 0.
TEST(PrincipalAxes, SameResultAsSummingEveryDirection) {
    const double identity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    double turned[3][3];
    turn_3a(turned, identity, 0.7, -0.4, 1.9);
    std::vector<ATOM> lattice;
    for (int i = -1; i <= 1; ++i)
        for (int j = -1; j <= 1; ++j)
            for (int k = -1; k <= 1; ++k) lattice.push_back(atom_at(i * 3e-10, j * 3e-10, k * 3e-10));
    struct Case {
        const char* name;
        std::vector<ATOM> atoms;
        bool found;
    };
    const std::vector<Case> cases = {
        {"prolate, turned", turned_ellipsoid_atoms(1, 300, 2e-9, 1e-9, turned), true},
        {"nearly spherical", turned_ellipsoid_atoms(2, 300, 1.01e-9, 1e-9, turned), true},
        {"cube lattice: ties everywhere", lattice, true},
        {"six atoms on the axes",
         {atom_at(1e-10, 0, 0), atom_at(-1e-10, 0, 0), atom_at(0, 1e-10, 0), atom_at(0, -1e-10, 0),
          atom_at(0, 0, 1e-10), atom_at(0, 0, -1e-10)},
         true},
        // A moment of exactly 0 counts as none kept: the next direction replaces it.
        {"a line along z: moment 0", {atom_at(0, 0, 1e-10), atom_at(0, 0, -1e-10)}, true},
        {"a line off the grid", {atom_at(1e-10, 2e-10, 3e-10), atom_at(-1e-10, -2e-10, -3e-10)}, true},
        {"one atom at the centre", {atom_at(0, 0, 0)}, false},
        {"light and heavy atoms",
         {atom_at(1e-10, 0, 0, 1.01), atom_at(-2e-10, 1e-10, 0, 32.1), atom_at(0.5e-10, -3e-10, 2e-10, 16.0),
          atom_at(0, 0, -1e-10, 14.0)},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const double mass = total_mass(c.atoms);
        const principal_axes::AxisSearch fast = principal_axes::search_axes(c.atoms, mass);
        const principal_axes::AxisSearch plain = principal_axes::search_axes_plainly(c.atoms, mass);
        EXPECT_EQ(fast.found, c.found);
        EXPECT_EQ(fast.found, plain.found);
        EXPECT_EQ(fast.phi, plain.phi);
        EXPECT_EQ(fast.theta, plain.theta);
        EXPECT_EQ(fast.least, plain.least);
        EXPECT_EQ(fast.most, plain.most);
        EXPECT_EQ(fast.Ix, plain.Ix);
        EXPECT_EQ(fast.Iy, plain.Iy);
        EXPECT_EQ(fast.Iz, plain.Iz);
        EXPECT_EQ(fast.ell_a, plain.ell_a);
        EXPECT_EQ(fast.ell_b, plain.ell_b);
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) EXPECT_EQ(fast.rot[i][j], plain.rot[i][j]);
    }
}

// A prolate body placed under a known rotation: its long axis is found
// within a degree, its semi-axes within a few per cent, and the frame found
// is a rotation whose third column is the long axis.
TEST(PrincipalAxes, FindsTheLongAxisOfATurnedProlateBody) {
    struct Case {
        double alpha, beta, gamma;
    };
    const double identity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (const Case& c : {Case{0.0, 0.0, 0.0}, Case{0.3, 1.1, -0.7}, Case{2.5, -0.2, 0.9}, Case{-1.3, 0.8, 2.8}}) {
        SCOPED_TRACE(::testing::Message() << c.alpha << " " << c.beta << " " << c.gamma);
        double rot[3][3];
        turn_3a(rot, identity, c.alpha, c.beta, c.gamma);
        const double a = 3e-9, b = 1.2e-9;
        const std::vector<ATOM> atoms = turned_ellipsoid_atoms(7, 4000, a, b, rot);
        const principal_axes::AxisSearch found = principal_axes::search_axes(atoms, total_mass(atoms));
        ASSERT_TRUE(found.found);
        // The long axis found: within a degree of the body's (rotᵀ · z, the
        // third row of rot), and within the grid's spacing of the atoms' own.
        const std::array<double, 3> found_axis = {found.rot[0][2], found.rot[1][2], found.rot[2][2]};
        EXPECT_LT(dynamics_testing::axis_angle(found_axis, {rot[2][0], rot[2][1], rot[2][2]}), 1.0);
        EXPECT_LT(dynamics_testing::axis_angle(found_axis, dynamics_testing::long_axis(atoms)), 0.8);
        EXPECT_NEAR(found.ell_a / a, 1.0, 0.03);
        EXPECT_NEAR(found.ell_b / b, 1.0, 0.03);
        EXPECT_TRUE(axes_file::is_rotation(found.rot));
        EXPECT_EQ(found.Iz, found.least);
        EXPECT_LE(found.least, found.Ix);
        EXPECT_LE(found.Ix, found.most);
    }
}

TEST(PrincipalAxes, MomentsAboutTheBodyAxes) {
    const std::vector<ATOM> atoms = {atom_at(1, 2, 3, 2.0), atom_at(-1, 0, 2, 1.0)};
    const principal_axes::BodyMoments m = principal_axes::body_moments(atoms);
    EXPECT_EQ(m.Ix, 2.0 * 13 + 4);
    EXPECT_EQ(m.Iy, 2.0 * 10 + 5);
    EXPECT_EQ(m.Iz, 2.0 * 5 + 1);
}

// Perrin's coefficients against values computed apart from the engine, as
// ratios to Stokes' sphere of equal volume (6πηR, 8πηR³); they tend to 1 as
// the body becomes spherical, and within 1 % of p = 1 Stokes' values are
// used.
TEST(Friction, PerrinCoefficientsTendToStokesValues) {
    struct Case {
        double p;
        double trans_a, trans_b, rot_a, rot_b;  // ratios to Stokes
        double tolerance;
    };
    const std::vector<Case> cases = {
        {1.5, 0.9623923904132218, 1.0432455214933956, 0.8691662983803639, 1.1934696325835379, 1e-9},
        {1.1, 0.9882028786807657, 1.0072349376270282, 0.9637878412376438, 1.024739009797523, 1e-9},
        {1.02, 0.9973989854399881, 1.00135805767286, 0.9921635468320487, 1.0042013328575239, 1e-8},
        {1.011, 0.9985533470265602, 1.0007408859395297, 0.9956499186118665, 1.0022613392232067, 1e-7},
        {1.0099, 1.0, 1.0, 1.0, 1.0, 1e-15},
        {1.0, 1.0, 1.0, 1.0, 1.0, 1e-15},
        {0.995, 1.0, 1.0, 1.0, 1.0, 1e-15},
    };
    const double eta = 0.001004, b = 1.5e-9;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.p);
        const double a = c.p * b, r = std::cbrt(a * b * b);
        const friction::Coefficients f = friction::ellipsoid(a, b, eta);
        EXPECT_EQ(f.sphere, std::fabs(c.p - 1.0) < 0.01);
        EXPECT_TRUE(friction::usable(f));
        const double trans = 6 * M_PI * eta * r, rot = 8 * M_PI * eta * r * r * r;
        EXPECT_NEAR(f.trans_a / trans, c.trans_a, c.tolerance);
        EXPECT_NEAR(f.trans_b / trans, c.trans_b, c.tolerance);
        EXPECT_NEAR(f.rot_a / rot, c.rot_a, c.tolerance);
        EXPECT_NEAR(f.rot_b / rot, c.rot_b, c.tolerance);
    }
}

TEST(Friction, DegenerateEllipsoidsGiveNoCoefficients) {
    struct Case {
        const char* name;
        double a, b;
    };
    const std::vector<Case> cases = {
        {"oblate", 1e-9, 2e-9},     {"no axes", 0.0, 0.0},       {"no short axis", 1e-9, 0.0},
        {"negative", -1e-9, -1e-9}, {"not a number", NAN, 1e-9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(friction::usable(friction::ellipsoid(c.a, c.b, 0.001)));
    }
}

TEST(AxesFile, MatrixThenSemiAxesInAnyWhiteSpace) {
    struct Case {
        const char* name;
        const char* text;
        int matrix_numbers, ellipsoid_numbers;
        double r12, r22;  // rot[1][2] and rot[2][2] as read (identity where not read)
        double ell_a, ell_b;
    };
    const std::vector<Case> cases = {
        {"as written", "1\t0\t0\n0\t0.6\t0.8\n0\t-0.8\t0.6\n3e-9\t1e-9\n1e-9\t2e-9\t3e-9\n", 9, 2, 0.8, 0.6, 3e-9,
         1e-9},
        {"one line", "1 0 0 0 0.6 0.8 0 -0.8 0.6 3e-9 1e-9", 9, 2, 0.8, 0.6, 3e-9, 1e-9},
        {"one semi-axis", "1 0 0 0 0.6 0.8 0 -0.8 0.6 3e-9", 9, 1, 0.8, 0.6, 0, 0},
        {"eight numbers", "1 0 0 0 0.6 0.8 0 -0.8", 8, 0, 0.8, 1.0, 0, 0},
        {"cut by text", "1 0 0 0 0.6 x 0 -0.8 0.6 3e-9 1e-9", 5, 0, 0.0, 1.0, 0, 0},
        {"empty", "", 0, 0, 0.0, 1.0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const axes_file::Content content = axes_file::parse(c.text);
        EXPECT_EQ(content.matrix_numbers, c.matrix_numbers);
        EXPECT_EQ(content.ellipsoid_numbers, c.ellipsoid_numbers);
        EXPECT_EQ(content.rot[1][2], c.r12);
        EXPECT_EQ(content.rot[2][2], c.r22);
        EXPECT_EQ(content.ell_a, c.ell_a);
        EXPECT_EQ(content.ell_b, c.ell_b);
    }
}

TEST(AxesFile, WrittenTextReadsBackAsARotation) {
    const double identity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    double rot[3][3];
    turn_3a(rot, identity, 0.4, 1.2, -2.2);
    const std::string text = axes_file::text(rot, 3.5e-9, 1.25e-9, POINT3D{12.5, -4.0, 0.25});
    char expected[400];
    std::snprintf(expected, sizeof expected, "%e\t%e\t%e\n%e\t%e\t%e\n%e\t%e\t%e\n%e\t%e\n%e\t%e\t%e\n", rot[0][0],
                  rot[0][1], rot[0][2], rot[1][0], rot[1][1], rot[1][2], rot[2][0], rot[2][1], rot[2][2], 3.5e-9,
                  1.25e-9, 12.5e-10, -4.0e-10, 0.25e-10);
    EXPECT_EQ(text, expected);
    const axes_file::Content back = axes_file::parse(text);
    EXPECT_EQ(back.matrix_numbers, 9);
    EXPECT_TRUE(axes_file::is_rotation(back.rot));
    EXPECT_EQ(back.ell_a, 3.5e-9);
}

TEST(AxesFile, OnlyProperRotationsCount) {
    const double identity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    double turned[3][3];
    turn_3a(turned, identity, 0.4, 1.2, -2.2);
    struct Case {
        const char* name;
        double rot[3][3];
        bool rotation;
    };
    const std::vector<Case> cases = {
        {"identity", {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, true},
        {"turned",
         {{turned[0][0], turned[0][1], turned[0][2]},
          {turned[1][0], turned[1][1], turned[1][2]},
          {turned[2][0], turned[2][1], turned[2][2]}},
         true},
        {"half read", {{0.6, 0.8, 0}, {-0.8, 0.6, 0}, {0.6, 0, 1}}, false},
        {"a mirror", {{1, 0, 0}, {0, 1, 0}, {0, 0, -1}}, false},
        {"scaled", {{1.01, 0, 0}, {0, 1.01, 0}, {0, 0, 1.01}}, false},
        {"slightly skewed", {{1, 1e-3, 0}, {0, 1, 0}, {0, 0, 1}}, false},
        {"not a number", {{NAN, 0, 0}, {0, 1, 0}, {0, 0, 1}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(axes_file::is_rotation(c.rot), c.rotation);
    }
}

}  // namespace
