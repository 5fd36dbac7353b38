// Long statistical checks of the step loop against analytic results: free
// translational and rotational diffusion, the electrostatic drift of charged
// pairs, confinement by walls and the periodic wrap. Seeds are fixed, so each
// check is deterministic; the tolerances are a few standard errors of the
// sampled averages.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "dynamics/PDcalc.h"
#include "dynamics/reactions/IntegratedRateLaw.h"
#include "dynamics/support/FixtureRun.h"
#include "support/LoggedText.h"
#include "support/TempDir.h"

namespace {

using namespace dynamics_testing;

constexpr double kB = 1.380662e-23;

class BrownianPhysics : public testing::Test {
protected:
    void TearDown() override { backup::reset(); }

    // `n` fixture instances placed at random in a box of half edge
    // `halfsize` (periodic or walled), with a tiny interaction range.
    void build(PDcalc& engine, int n, double halfsize, std::int32_t box_type = 0) {
        RunOptions o;
        o.folder = dir.path().string() + "/";
        o.halfsize = halfsize;
        o.box_type = box_type;
        o.species = {{"fixture", n, true}};
        o.trajectory = false;
        engine.A = 0;
        build_run(engine, o);
        engine.T = 300;
        engine.TimeStep = 1e-10;
        std::srand(12345);
        testing_support::logged_text([&] { engine.scene_prepare(); });
    }

    testing_support::TempDir dir;
};

// A displacement folded by the minimum image of the box.
POINT3D folded(const POINT3D& to, const POINT3D& from, const COMPARTMENT& box) {
    return {getAxisDelta(to.x - from.x, AXIS::x, &box), getAxisDelta(to.y - from.y, AXIS::y, &box),
            getAxisDelta(to.z - from.z, AXIS::z, &box)};
}

// Mean-square displacement 6·D·t, with D the mean of the diffusion
// coefficients kT/f along the three body axes: two across the symmetry axis,
// one along it.
TEST_F(BrownianPhysics, FreeDiffusionMeanSquareDisplacement) {
    PDcalc engine;
    constexpr int n = 2000;
    build(engine, n, 2e-7);
    const COMPARTMENT& box = engine.model.compartments[0];
    const double D = kB * engine.T / 3 * (2 / fixture_f_trans_b + 1 / fixture_f_trans_a);

    std::vector<POINT3D> travelled(n, POINT3D{0, 0, 0});
    std::vector<POINT3D> last(n);
    for (int i = 0; i < n; ++i) last[i] = engine.prots[i];
    for (int step = 1; step <= 300; ++step) {
        engine.step_instances();
        for (int i = 0; i < n; ++i) {
            travelled[i] += folded(engine.prots[i], last[i], box);
            last[i] = engine.prots[i];
        }
        if (step % 100 != 0) continue;
        double sum = 0;
        for (const POINT3D& r : travelled) sum += r.x * r.x + r.y * r.y + r.z * r.z;
        const double expected = 6 * D * step * engine.TimeStep;
        EXPECT_NEAR(sum / n / expected, 1.0, 0.05) << "step " << step;
    }
}

// The symmetry axis of a body turned by rotations about the two axes across
// it decorrelates as exp(−2·D⊥·t), D⊥ = kT/f_rot_b; an axis across it as
// exp(−(D⊥ + D∥)·t), D∥ = kT/f_rot_a.
TEST_F(BrownianPhysics, RotationalCorrelationDecays) {
    PDcalc engine;
    constexpr int n = 1000;
    build(engine, n, 2e-7);
    const double d_across = kB * engine.T / fixture_f_rot_b;
    const double d_along = kB * engine.T / fixture_f_rot_a;

    // Body axis k in the world: row k of rot.
    const auto axis = [](const PROT& p, int k) { return POINT3D{p.rot[k][0], p.rot[k][1], p.rot[k][2]}; };
    std::vector<PROT> start(engine.prots.begin(), engine.prots.end());
    for (int step = 1; step <= 400; ++step) {
        engine.step_instances();
        if (step % 100 != 0) continue;
        double symmetry = 0;
        double across = 0;
        for (int i = 0; i < n; ++i) {
            const POINT3D z0 = axis(start[i], 2), z = axis(engine.prots[i], 2);
            const POINT3D x0 = axis(start[i], 0), x = axis(engine.prots[i], 0);
            symmetry += z0.x * z.x + z0.y * z.y + z0.z * z.z;
            across += x0.x * x.x + x0.y * x.y + x0.z * x.z;
        }
        const double t = step * engine.TimeStep;
        EXPECT_NEAR(symmetry / n, std::exp(-2 * d_across * t), 0.03) << "step " << step;
        EXPECT_NEAR(across / n, std::exp(-(d_across + d_along) * t), 0.03) << "step " << step;
    }
}

// One point charge per species at the body origin, its grid holding the
// screened-free Coulomb field of that charge in water at every cell centre.
PROT_CLASS point_charge(const std::string& name, double q, double h) {
    FixtureOptions options;
    options.name = name;
    options.atoms = {{{0, 0, 0}, 1.7e-10, q, 12, 0}};
    options.pot_n = 60;
    options.h = h;
    PROT_CLASS s = make_fixture_species(options);
    const int n = s.pot_n;
    const double k = 8.9875517873681764e9 / 78.5;  // 1 / (4 π ε0 εr)
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            for (int l = 0; l < n; ++l) {
                const POINT3D c = POINT3D{i - n / 2 + 0.5, j - n / 2 + 0.5, l - n / 2 + 0.5} * h;
                const double r = std::sqrt(c.x * c.x + c.y * c.y + c.z * c.z);
                // ∇φ of φ = k·q·e/r.
                s.field[static_cast<std::size_t>(lin(n, i, j, l))] = c * (-k * q * 1.6e-19 / (r * r * r));
            }
    return s;
}

// Opposite charges drift towards each other and like charges apart, by the
// Coulomb impulse over the friction: Δx = e²·q1·q2·Δt / (4π ε0 εr r² f).
TEST_F(BrownianPhysics, ChargedPairsDriftByCoulombsLaw) {
    struct Case {
        double q1;
        double q2;
    };
    for (const Case c : {Case{1, -1}, Case{1, 1}, Case{-2, 1}, Case{-1, -1}}) {
        SCOPED_TRACE(::testing::Message() << c.q1 << " " << c.q2);
        backup::reset();
        PDcalc engine;
        engine.h = 2e-10;
        engine.TimeStep = 1e-10;
        engine.T = 1e-40;  // thermal motion negligible against the drift
        engine.rng = std::make_unique<RngStream>("ecuyer");
        add_box(engine, 1e-7);
        add_species(engine, point_charge("one", c.q1, engine.h));
        add_species(engine, point_charge("two", c.q2, engine.h));
        for (CLASS_PAIR& pair : engine.model.pairs) pair.cutoff2 = 1e-16;
        // The first charge sits at a cell centre of the second's grid.
        const POINT3D apart{-20.5 * engine.h, 0.5 * engine.h, 0.5 * engine.h};  // from the second to the first
        add_instance(engine, 0, {0, 0, 0});
        add_instance(engine, 1, POINT3D{0, 0, 0} - apart);
        engine.step_instances();  // the first instance moves first
        const double r = std::sqrt(apart.x * apart.x + apart.y * apart.y + apart.z * apart.z);
        const double k = 8.9875517873681764e9 / 78.5;
        // The impulse over the friction across the body axis (x, y) and
        // along it (z).
        const POINT3D impulse = apart * (k * c.q1 * c.q2 * 1.6e-19 * 1.6e-19 * engine.TimeStep / (r * r * r));
        const POINT3D expected{impulse.x / fixture_f_trans_b, impulse.y / fixture_f_trans_b,
                               impulse.z / fixture_f_trans_a};
        const double size = std::fabs(expected.x);
        EXPECT_NEAR(engine.prots[0].x, expected.x, 1e-9 * size);
        EXPECT_NEAR(engine.prots[0].y, expected.y, 1e-9 * size);
        EXPECT_NEAR(engine.prots[0].z, expected.z, 1e-9 * size);
        // Towards each other for opposite charges, apart for like ones.
        EXPECT_EQ(engine.prots[0].x > 0, c.q1 * c.q2 < 0);
    }
}

// In a walled box no instance's inner sphere, nor any of its covering
// spheres, ever crosses a wall.
TEST_F(BrownianPhysics, WallsConfine) {
    PDcalc engine;
    constexpr int n = 60;
    build(engine, n, 3e-9, 1);
    engine.TimeStep = 1e-9;
    const COMPARTMENT& box = engine.model.compartments[0];
    const PROT_CLASS& species = engine.model.species[0];
    for (int step = 0; step < 2000; ++step) {
        engine.step_instances();
        for (const PROT& p : engine.prots) {
            ASSERT_FALSE(SPHERE(p).collision3D_compartment(&box, species.r_inner)) << "step " << step;
            for (const SPHERE& s : species.spheres) {
                const SPHERE world{s.fromInternal(p), s.r};
                ASSERT_FALSE(world.collision3D_compartment(&box, -1)) << "step " << step;
            }
        }
    }
}

// In a periodic box every instance stays inside the box, and no two ever
// overlap, over many wraps.
TEST_F(BrownianPhysics, PeriodicWrapKeepsEveryInstanceInTheBox) {
    PDcalc engine;
    constexpr int n = 60;
    build(engine, n, 3e-9, 0);
    engine.TimeStep = 1e-9;
    const COMPARTMENT& box = engine.model.compartments[0];
    const double closest = 2 * engine.model.species[0].r_outer;
    double travelled = 0;
    std::vector<POINT3D> last(engine.prots.begin(), engine.prots.end());
    for (int step = 0; step < 2000; ++step) {
        engine.step_instances();
        ASSERT_EQ(engine.active_n, n);
        for (int i = 0; i < n; ++i) {
            const PROT& p = engine.prots[i];
            ASSERT_TRUE(box.lower.x <= p.x && p.x <= box.upper.x && box.lower.y <= p.y && p.y <= box.upper.y &&
                        box.lower.z <= p.z && p.z <= box.upper.z)
                << "step " << step;
            for (int j = 0; j < i; ++j)
                ASSERT_GE(getDistance(p, engine.prots[j], &box), closest * (1 - 1e-9)) << "step " << step;
            const POINT3D d = folded(p, last[i], box);
            travelled += std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
            last[i] = p;
        }
    }
    // Far enough to have crossed the box many times.
    EXPECT_GT(travelled / n, 10 * box.size.x);
}

}  // namespace

namespace {

struct Association {
    std::int32_t events;
    double k;             // logged rate constant, M⁻¹s⁻¹
    double smoluchowski;  // its expected value
};

// Uncharged species A and B, `n` of each, react on first approach to a
// centre distance R (one dock point at their centres, probability 1), from a
// start with no pair within R. Returns the integrated rate constant after
// `steps` steps and Smoluchowski's time average for it.
Association associate(const std::string& folder, unsigned seed, int n, int steps) {
    constexpr double R = 20e-10;       // m
    constexpr double fraction = 0.05;  // of the volume within R of a B
    const double volume = n * 4.0 / 3.0 * M_PI * R * R * R / fraction;

    backup::reset();
    PDcalc engine;
    RunOptions o;
    o.folder = folder;
    o.halfsize = std::cbrt(volume) / 2;
    o.species = {{"A", n, true}, {"B", n, true}};
    o.reactions = {{"bind", 0, 1, R * 1e10, 1.0}};
    o.trajectory = false;
    o.seed = seed;
    engine.A = 0;
    engine.EF_Trans = engine.EF_Rotate = false;
    testing_support::logged_text([&] { build_run(engine, o); });
    engine.T = 300;
    engine.TimeStep = 4e-11;
    std::srand(seed);
    testing_support::logged_text([&] { engine.scene_prepare(); });

    // No pair within R at the start: such A instances are placed anew.
    const COMPARTMENT& box = engine.model.compartments[0];
    const auto near_b = [&](const PROT& a) {
        for (int j = n; j < 2 * n; ++j)
            if (getDistance(a, engine.prots[j], &box) < R) return true;
        return false;
    };
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> place(-o.halfsize, o.halfsize);
    for (int i = 0; i < n; ++i) {
        PROT& a = engine.prots[i];
        while (near_b(a) || engine.collision3D(&a) != 0) {
            a.x = place(random);
            a.y = place(random);
            a.z = place(random);
        }
    }

    testing_support::logged_text([&] {
        for (engine.step = 0; engine.step < steps; ++engine.step) engine.step_instances();
    });
    const double D = kB * engine.T / 3 * (2 / fixture_f_trans_b + 1 / fixture_f_trans_a);  // each species
    const double D_sum = 2 * D;
    const double t = steps * engine.TimeStep;
    const REACTION& reaction = engine.model.reactions[0];
    return {reaction.events, integrated_rate_constant(reaction, t),
            6.022141793e26 * 4 * M_PI * D_sum * R * (1 + 2 * R / std::sqrt(M_PI * D_sum * t))};
}

// The rate constant that the reaction log gives approaches the time average
// of Smoluchowski's k(t) = 4π(D_A + D_B)R·(1 + R/√(π(D_A + D_B)t)),
// 4π(D_A + D_B)R·(1 + 2R/√(π(D_A + D_B)t)), over three independent runs
// (about 450 events; their counting error is about 5 %).
TEST_F(BrownianPhysics, DiffusionLimitedAssociationRate) {
    double ratio = 0;
    int events = 0;
    constexpr unsigned seeds[] = {4242, 777, 31337};
    for (const unsigned seed : seeds) {
        const Association a = associate(dir.path().string() + "/", seed, 500, 900);
        ratio += a.k / a.smoluchowski / std::size(seeds);
        events += a.events;
    }
    std::printf("association: %d events, k / Smoluchowski = %f\n", events, ratio);
    EXPECT_GT(events, 300);
    EXPECT_NEAR(ratio, 1.0, 0.12);
}

}  // namespace
