// Moves of an instance: a free move stands; a colliding one is cut back by
// halving to its largest collision-free fraction, translation and rotation
// alike.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "dynamics/PDcalc.h"
#include "dynamics/scene/Rotation.h"
#include "support/FixtureSpecies.h"
#include "support/ShapeSpecies.h"

namespace {

using namespace dynamics_testing;

constexpr double A = 1e-10;  // one ångström

// The step left after the last halving of a move of `length` metres: the
// halving goes on while that step is longer than sqrt(1e-21) m.
double last_halving(double length) {
    double step = length;
    do step /= 2; while (step * step > 1e-21);
    return step;
}

void expect_rot_near(const double (&actual)[3][3], const double (&expected)[3][3], double tolerance) {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            EXPECT_NEAR(actual[i][j], expected[i][j], tolerance) << "rot[" << i << "][" << j << "]";
}

void expect_inverse_current(const PROT& p) {
    double inverse[3][3];
    inv_mat(p.rot, inverse);
    expect_rot_near(p.rot_inv, inverse, 0.0);
}

// A ball of one 2 Å atom (inner and outer radius 2 Å too) in a box of
// half-size 10 Å, with the stages under test.
class Moves : public ::testing::Test {
protected:
    void build(std::int32_t box_type, PDcalc::CollisionTest first, PDcalc::CollisionTest second) {
        add_box(engine, 10 * A, box_type);
        PROT_CLASS s = make_shape_species({{{0, 0, 0}, 2 * A}}, {.r_inner = 2 * A});
        s.r_outer = 2 * A;
        add_species(engine, s);
        fill_pair_radii(engine);
        set_max_atom_r(engine);
        engine.collision_stage1 = first;
        engine.collision_stage2 = second;
    }

    PDcalc engine;
};

// A move along +x into a wall or a partner stops short of contact by less
// than the last halving step, with the rotation scaled by the same fraction
// as the translation. The displacement is given in the body frame of an
// instance that starts turned.
TEST_F(Moves, StopWithinOneHalvingOfContact) {
    struct Case {
        const char* what;
        std::int32_t box_type;
        PDcalc::CollisionTest first, second;
        double partner;  // ångström along x; 0: no partner
        double length;   // of the move along x, ångström; it ends in a collision
        double contact;  // x of the mover at contact, ångström
    };
    const std::vector<Case> cases = {
        {"wall", 1, nullptr, nullptr, 0, 15, 8},
        {"wall, atoms", 1, nullptr, &PDcalc::collision3D_atoms, 0, 9, 8},
        {"partner", 0, nullptr, nullptr, 9, 6, 5},
        {"partner, spheres and atoms", 0, &PDcalc::collision3D_spheres, &PDcalc::collision3D_atoms, 9, 7.5, 5},
        {"partner, residues", 0, &PDcalc::collision3D_residues, nullptr, 9, 6, 5},
        // The partner's nearest image lies across the box's face at +10 Å.
        {"partner across the face", 0, nullptr, &PDcalc::collision3D_atoms, -9, 8, 7},
    };
    const double identity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    double start_rot[3][3];
    turn_3a(start_rot, identity, 0.4, -0.7, 1.1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        engine.model = {};
        engine.prots.clear();
        build(c.box_type, c.first, c.second);
        add_instance(engine, 0, {0, 0, 0}, start_rot);
        if (c.partner != 0) add_instance(engine, 0, {c.partner * A, 0, 0});
        PROT& p = engine.prots[0];

        // Along world x, given in the body frame.
        const POINT3D D{c.length * A, 0, 0};
        POINT3D d = D.toInternalRotateOnly(p);
        const POINT3D w0{0.2, 0.1, -0.3};
        POINT3D w = w0;
        engine.prot_move(p, d, w);

        EXPECT_EQ(engine.collision3D(&p), 0);
        const double gap = c.contact * A - p.x;
        EXPECT_GE(gap, 0.0);
        EXPECT_LT(gap, last_halving(c.length * A));
        EXPECT_NEAR(p.y, 0.0, 1e-22);
        EXPECT_NEAR(p.z, 0.0, 1e-22);
        const double fraction = p.x / (c.length * A);
        double expected[3][3];
        turn_3a(expected, start_rot, -fraction * w0.z, -fraction * w0.y, -fraction * w0.x);
        expect_rot_near(p.rot, expected, 1e-12);
        expect_inverse_current(p);
    }
}

TEST_F(Moves, AFreeMoveStandsWhole) {
    build(1, &PDcalc::collision3D_spheres, &PDcalc::collision3D_atoms);
    add_instance(engine, 0, {0, 0, 0});
    PROT& p = engine.prots[0];
    POINT3D d{1 * A, -2 * A, 3 * A};
    POINT3D w{0.1, 0.2, 0.3};
    engine.prot_move(p, d, w);
    EXPECT_DOUBLE_EQ(p.x, 1 * A);
    EXPECT_DOUBLE_EQ(p.y, -2 * A);
    EXPECT_DOUBLE_EQ(p.z, 3 * A);
    const double identity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    double expected[3][3];
    turn_3a(expected, identity, -0.3, -0.2, -0.1);
    expect_rot_near(p.rot, expected, 0.0);
    expect_inverse_current(p);
}

// A colliding move too short to halve (|D|² ≤ 1e-21 m²), or a pure turn,
// is undone whole, its rotation included; so is a move from an overlap for
// which no tested fraction is free.
TEST_F(Moves, UndoneWholeWhenNoFractionIsFree) {
    struct Case {
        const char* what;
        double partner;  // ångström along x
        POINT3D D;       // world frame, metres
    };
    const std::vector<Case> cases = {
        {"short move into a partner", 4.1, {0.2 * A, 0, 0}},
        {"pure turn in an overlap", 3, {0, 0, 0}},
        {"long move within an overlap", 0.5, {2 * A, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        engine.model = {};
        engine.prots.clear();
        build(0, nullptr, &PDcalc::collision3D_atoms);
        const double tilted[3][3] = {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}};
        add_instance(engine, 0, {0, 0, 0}, tilted);
        add_instance(engine, 0, {c.partner * A, 0, 0});
        PROT& p = engine.prots[0];
        const PROT before = p;
        POINT3D d = c.D.toInternalRotateOnly(p);
        POINT3D w{0.3, -0.2, 0.1};
        engine.prot_move(p, d, w);
        EXPECT_EQ(p.x, before.x);
        EXPECT_EQ(p.y, before.y);
        EXPECT_EQ(p.z, before.z);
        expect_rot_near(p.rot, before.rot, 0.0);
        expect_inverse_current(p);
    }
}

// From an overlap, a move that passes out of it ends at a collision-free
// fraction.
TEST_F(Moves, AMoveOutOfAnOverlapEndsFree) {
    build(0, nullptr, &PDcalc::collision3D_atoms);
    add_instance(engine, 0, {0, 0, 0});
    add_instance(engine, 0, {3 * A, 0, 0});  // overlapping by 1 Å
    add_instance(engine, 0, {-9 * A, 0, 0});  // in the way at the end of the move
    PROT& p = engine.prots[0];
    POINT3D d{-8 * A, 0, 0};
    POINT3D w{0, 0, 0};
    engine.prot_move(p, d, w);
    EXPECT_EQ(engine.collision3D(&p), 0);
    EXPECT_LT(p.x, -1 * A);  // out of the first overlap
    EXPECT_GE(p.x, -5 * A);  // short of the instance in the way
}

// A species that does not move, and a stopped instance of one that does.
TEST_F(Moves, InstancesThatDoNotMoveStayPut) {
    struct Case {
        bool species_moves, stopped;
    };
    for (const Case c : {Case{false, false}, Case{true, true}}) {
        engine.model = {};
        engine.prots.clear();
        build(0, nullptr, nullptr);
        engine.model.species[0].move = c.species_moves;
        add_instance(engine, 0, {0, 0, 0});
        PROT& p = engine.prots[0];
        p.stopped = c.stopped;
        POINT3D d{1 * A, 0, 0};
        POINT3D w{0.1, 0, 0};
        engine.prot_move(p, d, w);
        EXPECT_EQ(p.x, 0.0);
        EXPECT_EQ(p.rot[1][1], 1.0);
    }
}

}  // namespace
