// The electrostatic drift and turn of one instance in the field of another.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "dynamics/PDcalc.h"
#include "dynamics/scene/Rotation.h"
#include "utils/backup/backup.h"
#include "support/FixtureSpecies.h"
#include "support/ReferenceDrift.h"

namespace {

using namespace dynamics_testing;

constexpr double time_step = 1e-12;
constexpr double e = 1.6e-19;

struct Vec {
    double x, y, z;
};

Vec cross(const Vec& a, const Vec& b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

// m · v and mᵀ · v for a row-major matrix.
Vec times(const double m[3][3], const Vec& v) {
    return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z, m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
            m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
}
Vec transposed_times(const double m[3][3], const Vec& v) {
    return {m[0][0] * v.x + m[1][0] * v.y + m[2][0] * v.z, m[0][1] * v.x + m[1][1] * v.y + m[2][1] * v.z,
            m[0][2] * v.x + m[1][2] * v.y + m[2][2] * v.z};
}

// Rotation by `angle` about a coordinate axis (0 x, 1 y, 2 z).
struct Rotation {
    double m[3][3];
};
Rotation about(int axis, double angle) {
    Rotation r{};
    const double c = std::cos(angle), s = std::sin(angle);
    const int a = (axis + 1) % 3, b = (axis + 2) % 3;
    r.m[axis][axis] = 1.0;
    r.m[a][a] = c;
    r.m[a][b] = -s;
    r.m[b][a] = s;
    r.m[b][b] = c;
    return r;
}
Rotation product(const Rotation& l, const Rotation& r) {
    Rotation out{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k) out.m[i][j] += l.m[i][k] * r.m[k][j];
    return out;
}
const Rotation identity = about(0, 0.0);

// Two species in a periodic box of 10 nm: "mover" with the given charges,
// "source" with a uniform gradient over a grid of 10 cells of 2 Å.
class DriftTest : public ::testing::Test {
protected:
    void build(const std::vector<FixtureAtom>& atoms, const POINT3D& field, std::int32_t box_type = 0) {
        add_box(engine, 5e-9, box_type);
        FixtureOptions mover;
        mover.name = "mover";
        mover.atoms = atoms;
        FixtureOptions source;
        source.name = "source";
        source.field = field;
        add_species(engine, make_fixture_species(mover));
        add_species(engine, make_fixture_species(source));
    }
    // Places the mover and the source and returns the drift of the mover,
    // added to `d` and `w`.
    void drift(const POINT3D& p_centre, const Rotation& p_rot, const POINT3D& q_centre, const Rotation& q_rot) {
        engine.prots.clear();
        add_instance(engine, 0, p_centre, p_rot.m);
        add_instance(engine, 1, q_centre, q_rot.m);
        engine.eforce_prot(d, w, engine.prots[0], engine.prots[1]);
    }

    PDcalc engine;
    POINT3D d{0.0, 0.0, 0.0};
    POINT3D w{0.0, 0.0, 0.0};
};

FixtureAtom charge_at(double x, double y, double z, double q) { return {{x, y, z}, 1.5e-10, q, 12.0, 0}; }

// One elementary charge in a gradient along x: it moves down the gradient,
// by Δt·e·|∇φ| / f_trans_b; off the axis it also turns.
TEST_F(DriftTest, SingleChargeInUniformFieldHasTheMagnitudeAndSignOfTheFormula) {
    struct Case {
        std::string name;
        FixtureAtom charge;
        POINT3D field;
        POINT3D d;
        POINT3D w;
    };
    const double f = time_step * e * 1e8;  // 1.6e-23 N·s
    const std::vector<Case> cases = {
        {"positive charge at the centre", charge_at(0, 0, 0, 1.0), {1e8, 0, 0}, {-f / fixture_f_trans_b, 0, 0}, {0, 0, 0}},
        {"negative charge moves up the gradient", charge_at(0, 0, 0, -1.0), {1e8, 0, 0},
         {f / fixture_f_trans_b, 0, 0}, {0, 0, 0}},
        {"along the long axis the friction is f_trans_a", charge_at(0, 0, 0, 1.0), {0, 0, 1e8},
         {0, 0, -f / fixture_f_trans_a}, {0, 0, 0}},
        // r = +y, F = −x: the torque r × F points along +z; w holds minus
        // the turn angle about z, τ·Δt / f_rot_a.
        {"charge off the axis turns about z", charge_at(0, 2e-10, 0, 1.0), {1e8, 0, 0},
         {-f / fixture_f_trans_b, 0, 0}, {0, 0, -(2e-10 * f) / fixture_f_rot_a}},
        // r = +z, F = −x: torque along −y.
        {"charge on the long axis turns about y", charge_at(0, 0, 2e-10, 1.0), {1e8, 0, 0},
         {-f / fixture_f_trans_b, 0, 0}, {0, (2e-10 * f) / fixture_f_rot_b, 0}},
        // r = +y, F = −z: torque along −x.
        {"charge off the axis turns about x", charge_at(0, 2e-10, 0, 1.0), {0, 0, 1e8},
         {0, 0, -f / fixture_f_trans_a}, {(2e-10 * f) / fixture_f_rot_b, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        engine.model = PROFILE{};
        d = w = POINT3D{0, 0, 0};
        build({c.charge}, c.field);
        drift({0, 0, 0}, identity, {0, 0, 0}, identity);
        EXPECT_NEAR(d.x, c.d.x, 1e-12 * std::fabs(c.d.x) + 1e-30);
        EXPECT_NEAR(d.y, c.d.y, 1e-12 * std::fabs(c.d.y) + 1e-30);
        EXPECT_NEAR(d.z, c.d.z, 1e-12 * std::fabs(c.d.z) + 1e-30);
        EXPECT_NEAR(w.x, c.w.x, 1e-12 * std::fabs(c.w.x) + 1e-30);
        EXPECT_NEAR(w.y, c.w.y, 1e-12 * std::fabs(c.w.y) + 1e-30);
        EXPECT_NEAR(w.z, c.w.z, 1e-12 * std::fabs(c.w.z) + 1e-30);
    }
}

// Several charges and turned frames: the field of the source's body frame is
// carried into the world and from there into the mover's body frame; each
// charge's force and torque are summed.
TEST_F(DriftTest, TurnedFramesCarryTheFieldIntoTheMoversBodyFrame) {
    const POINT3D field{1.2e8, -3e7, 5e7};
    build(default_atoms(), field);
    struct Case {
        std::string name;
        Rotation p_rot;
        Rotation q_rot;
    };
    const std::vector<Case> cases = {
        {"both unturned", identity, identity},
        {"source turned a quarter about z", identity, about(2, M_PI / 2)},
        {"mover turned", product(about(0, 0.3), about(1, -1.1)), identity},
        {"both turned", product(about(2, 0.7), about(0, 0.4)), product(about(1, 2.0), about(2, -0.5))},
    };
    const PROT_CLASS& mover = engine.model.species[0];
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // The drift is added to what is there.
        const POINT3D d0{1e-12, -2e-12, 3e-12};
        const POINT3D w0{1e-5, -2e-5, 3e-5};
        d = d0;
        w = w0;
        drift({1e-10, -2e-10, 0.5e-10}, c.p_rot, {0, 0, 0}, c.q_rot);

        const Vec world_field = transposed_times(c.q_rot.m, {field.x, field.y, field.z});
        const Vec body_field = times(c.p_rot.m, world_field);
        Vec force{0, 0, 0}, torque{0, 0, 0};
        for (const ATOM& charge : mover.charges) {
            const double s = -time_step * e * charge.q;
            const Vec F{body_field.x * s, body_field.y * s, body_field.z * s};
            const Vec t = cross({charge.x, charge.y, charge.z}, F);
            force = {force.x + F.x, force.y + F.y, force.z + F.z};
            torque = {torque.x + t.x, torque.y + t.y, torque.z + t.z};
        }
        ASSERT_EQ(mover.charges.size(), 3u);
        const auto expect_near = [](double actual, double expected) {
            EXPECT_NEAR(actual, expected, 1e-9 * std::fabs(expected) + 1e-35);
        };
        expect_near(d.x - d0.x, force.x / fixture_f_trans_b);
        expect_near(d.y - d0.y, force.y / fixture_f_trans_b);
        expect_near(d.z - d0.z, force.z / fixture_f_trans_a);
        expect_near(w.x - w0.x, -torque.x / fixture_f_rot_b);
        expect_near(w.y - w0.y, -torque.y / fixture_f_rot_b);
        expect_near(w.z - w0.z, -torque.z / fixture_f_rot_a);
    }
}

// Where in the source's grid a charge falls: cells 1 to 8 of 10 act, the
// outer layer and everything outside do not. A charge at the mover's centre
// lies at x = −(source's centre) in the source's frame; cell i spans
// [(i − 5)·2 Å, (i − 4)·2 Å).
TEST_F(DriftTest, OnlyTheInteriorOfTheGridActs) {
    struct Case {
        std::string name;
        POINT3D p_centre;
        POINT3D q_centre;
        std::int32_t box_type;
        bool acts;
    };
    const std::vector<Case> cases = {
        {"cell 8, the last interior cell", {0, 0, 0}, {-7e-10, 0, 0}, 0, true},
        {"cell 9, the outer layer", {0, 0, 0}, {-9e-10, 0, 0}, 0, false},
        {"cell 1, the first interior cell", {0, 0, 0}, {7e-10, 0, 0}, 0, true},
        {"cell 0, the outer layer", {0, 0, 0}, {9e-10, 0, 0}, 0, false},
        {"outer layer along z only", {0, 0, 0}, {0, 0, 9e-10}, 0, false},
        {"outside the grid", {0, 0, 0}, {0, 3e-9, 0}, 0, false},
        {"across the periodic boundary, 2 Å apart", {4.9e-9, 0, 0}, {-4.9e-9, 0, 0}, 0, true},
        {"the same places in a closed box are far apart", {4.9e-9, 0, 0}, {-4.9e-9, 0, 0}, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        engine.model = PROFILE{};
        d = w = POINT3D{0, 0, 0};
        build({charge_at(0, 0, 0, 1.0)}, {1e8, 1e8, 1e8}, c.box_type);
        drift(c.p_centre, identity, c.q_centre, identity);
        if (c.acts) {
            EXPECT_DOUBLE_EQ(d.x, -time_step * e * 1e8 / fixture_f_trans_b);
        } else {
            EXPECT_EQ(d.x, 0.0);
            EXPECT_EQ(d.y, 0.0);
            EXPECT_EQ(d.z, 0.0);
        }
    }
}

// EF_Trans and EF_Rotate switch the drift and the turn on their own.
TEST_F(DriftTest, SwitchesSelectDriftAndTurn) {
    build({charge_at(0, 2e-10, 0, 1.0)}, {1e8, 0, 0});
    struct Case {
        bool trans, rotate;
    };
    for (const Case c : {Case{true, true}, Case{true, false}, Case{false, true}, Case{false, false}}) {
        SCOPED_TRACE(std::string("EF_Trans ") + (c.trans ? "on" : "off") + ", EF_Rotate " + (c.rotate ? "on" : "off"));
        engine.EF_Trans = c.trans;
        engine.EF_Rotate = c.rotate;
        d = w = POINT3D{0, 0, 0};
        drift({0, 0, 0}, identity, {0, 0, 0}, identity);
        EXPECT_EQ(d.x != 0.0, c.trans);
        EXPECT_EQ(w.z != 0.0, c.rotate);
    }
}

// A source without a grid, or with one too small to have an interior,
// exerts nothing.
TEST_F(DriftTest, SourceWithoutUsableGridExertsNothing) {
    build({charge_at(0, 0, 0, 1.0)}, {1e8, 0, 0});
    for (const int n : {0, 2}) {
        SCOPED_TRACE(n);
        PROT_CLASS& source = engine.model.species[1];
        source.pot_n = n;
        source.field.assign(static_cast<std::size_t>(n) * n * n, POINT3D{1e8, 0, 0});
        d = w = POINT3D{0, 0, 0};
        drift({0, 0, 0}, identity, {0, 0, 0}, identity);
        EXPECT_EQ(d.x, 0.0);
    }
}

// The drift against the plain charge-by-charge sum on random poses: a mover
// of many charges in a source grid whose cells all differ, so that a charge
// put into another cell, or another periodic image, shows. Boxes narrower
// than the grid, and centres about half a period apart, give charges whose
// own nearest image differs from their centre's.
TEST(DriftAgainstReference, EqualsThePlainChargeByChargeSum) {
    struct Case {
        std::string name;
        std::int32_t box_type;
        double halfsize;
        bool anywhere;   // both centres anywhere in the box
        bool straddle;   // centres about half a period apart along some axes
        bool images;     // some poses must have charges whose own image differs
    };
    const std::vector<Case> cases = {
        {"open space", 2, 1e-8, false, false, false},
        {"closed box", 1, 1e-8, false, false, false},
        {"wide periodic box", 0, 1e-8, false, false, false},
        {"periodic box narrower than the grid", 0, 2e-9, true, false, true},
        {"centres about half a period apart", 0, 3e-9, false, true, true},
    };
    std::mt19937 random(5);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_real_distribution<double> angle(0.0, 2 * M_PI);
    const double identity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PDcalc engine;
        add_box(engine, c.halfsize, c.box_type);
        FixtureOptions mover;
        mover.name = "mover";
        mover.atoms.clear();
        while (mover.atoms.size() < 60) {
            const POINT3D r{unit(random) * 1.2e-9, unit(random) * 1.2e-9, unit(random) * 1.2e-9};
            if (r.x * r.x + r.y * r.y + r.z * r.z > 1.44e-18) continue;
            mover.atoms.push_back({r, 1.5e-10, unit(random), 12.0, 0});
        }
        FixtureOptions source;
        source.name = "source";
        source.pot_n = 24;
        add_species(engine, make_fixture_species(mover));
        add_species(engine, make_fixture_species(source));
        for (POINT3D& g : engine.model.species[1].field) g = POINT3D{unit(random), unit(random), unit(random)} * 1e8;
        const COMPARTMENT& box = engine.model.compartments[0];

        int straddling = 0;
        for (int pose = 0; pose < 300; ++pose) {
            double p_rot[3][3], q_rot[3][3];
            turn_3a(p_rot, identity, angle(random), angle(random), angle(random));
            turn_3a(q_rot, identity, angle(random), angle(random), angle(random));
            const POINT3D q_centre = POINT3D{unit(random), unit(random), unit(random)} * c.halfsize;
            POINT3D offset = POINT3D{unit(random), unit(random), unit(random)} * 3.5e-9;
            if (c.straddle) {
                // Along one axis or more the centres lie within 0.6 nm of
                // half a period apart, along the others within 1 nm.
                offset = POINT3D{unit(random), unit(random), unit(random)} * 1e-9;
                double* axes[3] = {&offset.x, &offset.y, &offset.z};
                const int first = static_cast<int>(angle(random)) % 3;
                for (int a = 0; a < 3; ++a)
                    if (a == first || unit(random) > 0.5)
                        *axes[a] = (unit(random) > 0 ? 1 : -1) * c.halfsize + unit(random) * 0.6e-9;
            }
            POINT3D p_centre = c.anywhere ? POINT3D{unit(random), unit(random), unit(random)} * c.halfsize
                                          : q_centre + offset;
            if (c.box_type == 0) p_centre.translate2bounds(box);
            engine.prots.clear();
            add_instance(engine, 0, p_centre, p_rot);
            add_instance(engine, 1, q_centre, q_rot);
            const PROT& p = engine.prots[0];
            const PROT& q = engine.prots[1];

            const ReferenceDrift expected = reference_drift(engine, p, q);
            const auto expect_close = [](double actual, double wanted, double scale) {
                EXPECT_LE(std::fabs(actual - wanted), 1e-12 * scale) << actual << " against " << wanted;
            };
            // With the species' drift table, and without one (every
            // charge then takes its own way).
            PROT_CLASS& mover_species = engine.model.species[0];
            const DriftCharges table = mover_species.drift_charges;
            for (const bool tabled : {true, false}) {
                SCOPED_TRACE(tabled ? "with the drift table" : "without a drift table");
                mover_species.drift_charges = tabled ? table : DriftCharges{};
                POINT3D d{0.0, 0.0, 0.0}, w{0.0, 0.0, 0.0};
                engine.eforce_prot(d, w, p, q);
                expect_close(d.x, expected.d.x, expected.d_scale.x);
                expect_close(d.y, expected.d.y, expected.d_scale.y);
                expect_close(d.z, expected.d.z, expected.d_scale.z);
                expect_close(w.x, expected.w.x, expected.w_scale.x);
                expect_close(w.y, expected.w.y, expected.w_scale.y);
                expect_close(w.z, expected.w.z, expected.w_scale.z);
            }
            mover_species.drift_charges = table;

            // Whether some acting charge's own nearest image differs from
            // the image of the centres' difference.
            const COMPARTMENT* periodic = c.box_type == 0 ? &box : nullptr;
            const POINT3D centres{getAxisDelta(p.x - q.x, AXIS::x, periodic), getAxisDelta(p.y - q.y, AXIS::y, periodic),
                                  getAxisDelta(p.z - q.z, AXIS::z, periodic)};
            for (const ATOM& a : engine.model.species[0].charges) {
                const POINT3D r{a.x, a.y, a.z};
                const POINT3D own = r.fromInternal(p).toInternal(q, periodic);
                const POINT3D shared = (r.fromInternalRotateOnly(p) + centres).toInternalRotateOnly(q);
                const POINT3D gap = own - shared;
                const double reach = 2.2e-9;  // the grid's half edge less its outer layer
                if (gap.x * gap.x + gap.y * gap.y + gap.z * gap.z > 1e-18 && std::fabs(own.x) < reach &&
                    std::fabs(own.y) < reach && std::fabs(own.z) < reach) {
                    ++straddling;
                    break;
                }
            }
        }
        if (c.images) {
            EXPECT_GT(straddling, 20);
        }
    }
}

// A step of the scene adds the drift of every instance within range, each
// begun one instance ahead of its sum: the mover's displacement is the sum
// of the plain charge-by-charge drifts of all sources within the cutoff,
// some across the periodic box's faces, and of none beyond it.
TEST(DriftAgainstReference, StepAddsTheDriftOfEverySourceInRange) {
    backup::reset();
    PDcalc engine;
    engine.T = 0.0;  // no thermal motion
    engine.rng = std::make_unique<RngStream>("ecuyer");
    const double half = 5e-9;
    add_box(engine, half);
    std::mt19937 random(17);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_real_distribution<double> angle(0.0, 2 * M_PI);
    FixtureOptions mover;
    mover.name = "mover";
    mover.atoms.clear();
    for (int k = 0; k < 40; ++k)
        mover.atoms.push_back({POINT3D{unit(random), unit(random), unit(random)} * 0.7e-9, 1.5e-10, unit(random), 12.0, 0});
    FixtureOptions source;
    source.name = "source";
    source.pot_n = 24;
    add_species(engine, make_fixture_species(mover));
    PROT_CLASS sources = make_fixture_species(source);
    sources.move = false;
    for (POINT3D& g : sources.field) g = POINT3D{unit(random), unit(random), unit(random)} * 1e8;
    add_species(engine, std::move(sources));
    const double cutoff = 3.5e-9;
    engine.model.pairs[pair_index(engine.model, 1, 0)].cutoff2 = cutoff * cutoff;

    const double identity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    const auto turned = [&](double (&rot)[3][3]) { turn_3a(rot, identity, angle(random), angle(random), angle(random)); };
    double rot[3][3];
    turned(rot);
    // The mover near a face of the box, so that sources lie across it.
    const POINT3D start{half - 0.5e-9, 0.3e-9, -half + 1e-9};
    add_instance(engine, 0, start, rot);
    int in_range = 0;
    for (int k = 0; k < 12; ++k) {
        turned(rot);
        POINT3D centre = start + POINT3D{unit(random), unit(random), unit(random)} * 3.2e-9;
        centre.translate2bounds(engine.model.compartments[0]);
        add_instance(engine, 1, centre, rot);
        in_range += getDistance2(start, centre, &engine.model.compartments[0]) < cutoff * cutoff ? 1 : 0;
    }
    ASSERT_GE(in_range, 3);
    ASSERT_LE(in_range, 10);

    const PROT p = engine.prots[0];
    POINT3D d{0.0, 0.0, 0.0}, scale{0.0, 0.0, 0.0};
    for (std::size_t k = 1; k < engine.prots.size(); ++k) {
        if (getDistance2(p, engine.prots[k], &engine.model.compartments[0]) >= cutoff * cutoff) continue;
        const ReferenceDrift drift = reference_drift(engine, p, engine.prots[k]);
        d += drift.d;
        scale += drift.d_scale;
    }
    engine.step_instances();
    // The displacement in the world: rotᵀ · d.
    const POINT3D moved = POINT3D{p.x, p.y, p.z} + d.fromInternalRotateOnly(p);
    const double size = std::max({scale.x, scale.y, scale.z});
    ASSERT_GT(size, 0.0);
    EXPECT_NEAR(engine.prots[0].x, moved.x, 1e-12 * size);
    EXPECT_NEAR(engine.prots[0].y, moved.y, 1e-12 * size);
    EXPECT_NEAR(engine.prots[0].z, moved.z, 1e-12 * size);
    backup::reset();
}

}  // namespace
