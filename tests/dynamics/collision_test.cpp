// Collision detection: the radius filters, the staged narrow tests against
// a brute-force check, the walls and the scan over the scene.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "dynamics/PDcalc.h"
#include "dynamics/scene/Rotation.h"
#include "support/FixtureSpecies.h"
#include "support/OverlapCheck.h"
#include "support/ShapeSpecies.h"

namespace {

using namespace dynamics_testing;

constexpr double A = 1e-10;  // one ångström

enum class Stage { none, spheres, surface, residues, atoms };

PDcalc::CollisionTest stage_test(Stage stage) {
    switch (stage) {
        case Stage::spheres: return &PDcalc::collision3D_spheres;
        case Stage::surface: return &PDcalc::collision3D_surface;
        case Stage::residues: return &PDcalc::collision3D_residues;
        case Stage::atoms: return &PDcalc::collision3D_atoms;
        case Stage::none: break;
    }
    return nullptr;
}

const char* stage_name(Stage stage) {
    switch (stage) {
        case Stage::spheres: return "spheres";
        case Stage::surface: return "surface";
        case Stage::residues: return "residues";
        case Stage::atoms: return "atoms";
        case Stage::none: break;
    }
    return "none";
}

void set_stages(PDcalc& engine, Stage first, Stage second) {
    engine.collision_stage1 = stage_test(first);
    engine.collision_stage2 = stage_test(second);
}

// One atom of radius 2 Å at the body origin, an outer radius of 3 Å and an
// inner one of 0.5 Å: the radius filters and the stages disagree between
// 1 Å and 6 Å of centre distance.
PROT_CLASS small_ball() {
    PROT_CLASS s = make_shape_species({{{0, 0, 0}, 2 * A}}, {.name = "ball", .r_inner = 0.5 * A});
    s.r_outer = 3 * A;
    return s;
}

// Without a first stage the second decides alone, and without either the
// outer radii do; only below the inner radii is the first stage skipped.
TEST(Collisions, RadiusFiltersAndStagesWhicheverStagesAreMissing) {
    struct Case {
        Stage first, second;
        double distance;  // ångström
        bool collides;
    };
    const std::vector<Case> cases = {
        {Stage::none, Stage::none, 5.9, true},   // inside the outer radii
        {Stage::none, Stage::none, 6.1, false},
        {Stage::none, Stage::none, 0.9, true},
        {Stage::none, Stage::atoms, 5.9, false},  // the atoms (2 Å each) decide
        {Stage::none, Stage::atoms, 3.9, true},
        {Stage::none, Stage::atoms, 0.9, true},
        {Stage::spheres, Stage::none, 4.1, false},  // covering spheres of 2 Å
        {Stage::spheres, Stage::none, 3.9, true},
        {Stage::spheres, Stage::atoms, 3.9, true},
        {Stage::atoms, Stage::none, 4.1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << stage_name(c.first) << "+" << stage_name(c.second) << " at "
                                          << c.distance << " A");
        PDcalc engine;
        add_box(engine, 100 * A);
        add_species(engine, small_ball());
        fill_pair_radii(engine);
        set_stages(engine, c.first, c.second);
        add_instance(engine, 0, {0, 0, 0});
        add_instance(engine, 0, {c.distance * A * 0.6, c.distance * A * 0.8, 0});
        EXPECT_EQ(engine.collision3D(&engine.prots[0]), c.collides ? 2 : 0);
        EXPECT_EQ(engine.collision3D(&engine.prots[1]), c.collides ? 1 : 0);
    }
}

// Random poses of two species of different size, near contact, in open
// space, a closed box and a periodic box (where the partner sits across the
// box's faces): each stage agrees with a check of every element pair.
TEST(Collisions, StagesAgreeWithACheckOfEveryPair) {
    struct Box {
        const char* name;
        std::int32_t type;  // -1: open space
    };
    for (const Box box : {Box{"open", -1}, Box{"closed", 1}, Box{"periodic", 0}}) {
        SCOPED_TRACE(box.name);
        PDcalc engine;
        const double halfsize = 40 * A;
        const std::int32_t compartment = box.type < 0 ? -1 : add_box(engine, halfsize, box.type);
        const std::vector<double> radii = {1.5 * A, 1.7 * A, 1.2 * A};
        add_species(engine, make_shape_species(ball_atoms(7 * A, 2.5 * A, radii), {.name = "big"}), compartment);
        add_species(engine, make_shape_species(ball_atoms(5 * A, 2.2 * A, {1.6 * A, 1.4 * A}), {.name = "small"}),
                    compartment);
        fill_pair_radii(engine);
        set_max_atom_r(engine);
        const COMPARTMENT* c = compartment < 0 ? nullptr : &engine.model.compartments[0];
        const PROT_CLASS& big = engine.model.species[0];
        add_instance(engine, 0, {0, 0, 0});
        add_instance(engine, 1, {0, 0, 0});
        add_instance(engine, 0, {0, 0, 0});

        std::mt19937_64 random(2024);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        int overlapping = 0, apart = 0;
        for (int pose = 0; pose < 600; ++pose) {
            // Instance 0 and, in turn, instance 1 (the other species) or 2
            // (the same species) at a random direction and distance.
            PROT& p = engine.prots[0];
            PROT& q = engine.prots[pose % 2 == 0 ? 1 : 2];
            const PROT_CLASS& q_species = engine.model.species[static_cast<std::size_t>(q.species)];
            double rot[3][3];
            random_rotation(random, rot);
            for (int i = 0; i < 3; ++i)
                for (int j = 0; j < 3; ++j) p.rot[i][j] = rot[i][j];
            random_rotation(random, rot);
            for (int i = 0; i < 3; ++i)
                for (int j = 0; j < 3; ++j) q.rot[i][j] = rot[i][j];
            inv_mat(p.rot, p.rot_inv);
            inv_mat(q.rot, q.rot_inv);
            // In the periodic box p sits near a corner, so that q's nearest
            // image lies across the faces.
            const double corner = box.type == 0 ? halfsize - 2 * A : 3 * A;
            p.x = corner;
            p.y = -corner;
            p.z = corner;
            const double reach = big.r_outer + q_species.r_outer;
            const double distance = reach * (0.45 + 0.55 * unit(random));
            const double cz = 2 * unit(random) - 1, phi = 6.283185307179586 * unit(random);
            const double sz = std::sqrt(1 - cz * cz);
            q.x = p.x + distance * sz * std::cos(phi);
            q.y = p.y + distance * sz * std::sin(phi);
            q.z = p.z + distance * cz;
            if (box.type == 0) q.translate2bounds(*c);

            const bool atoms = elements_overlap(big.atoms, placed(p), q_species.atoms, placed(q), c);
            const bool spheres = elements_overlap(big.spheres, placed(p), q_species.spheres, placed(q), c);
            (atoms ? overlapping : apart) += 1;
            SCOPED_TRACE(::testing::Message() << "pose " << pose);
            EXPECT_EQ(engine.collision3D_atoms(&p, &q) != 0, atoms);
            EXPECT_EQ(engine.collision3D_atoms(&q, &p) != 0, atoms);
            EXPECT_EQ(engine.collision3D_residues(&p, &q) != 0, atoms);
            EXPECT_EQ(engine.collision3D_residues(&q, &p) != 0, atoms);
            EXPECT_EQ(engine.collision3D_spheres(&p, &q) != 0, spheres);
            EXPECT_EQ(engine.collision3D_spheres(&q, &p) != 0, spheres);
        }
        // Both answers were asked for often.
        EXPECT_GT(overlapping, 100);
        EXPECT_GT(apart, 100);
    }
}

// Without its cell list the atom stage compares every pair, with the same
// answers.
TEST(Collisions, AtomStageWithoutCellListComparesEveryPair) {
    PDcalc engine;
    add_box(engine, 40 * A, 1);
    PROT_CLASS s = make_shape_species(ball_atoms(5 * A, 2.2 * A, {1.6 * A, 1.4 * A}));
    s.atom_grid = {};
    add_species(engine, s);
    fill_pair_radii(engine);
    add_instance(engine, 0, {0, 0, 0});
    add_instance(engine, 0, {0, 0, 0});
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> offset(0.0, 2 * s.r_outer);
    int overlapping = 0;
    for (int pose = 0; pose < 200; ++pose) {
        PROT& q = engine.prots[1];
        random_rotation(random, q.rot);
        inv_mat(q.rot, q.rot_inv);
        q.x = offset(random);
        const bool atoms = elements_overlap(s.atoms, placed(engine.prots[0]), s.atoms, placed(q), nullptr);
        overlapping += atoms;
        EXPECT_EQ(engine.collision3D_atoms(&engine.prots[0], &q) != 0, atoms) << "pose " << pose;
    }
    EXPECT_GT(overlapping, 20);
    EXPECT_LT(overlapping, 180);
}

// The walls of a closed box: the inner sphere always counts; once the outer
// sphere crosses, the first stage's spheres or surface points and then the
// atoms decide. The residues stage has no wall test of its own, and a
// periodic box has no walls.
TEST(Collisions, WallsOfAClosedBox) {
    struct Case {
        Stage first, second;
        double x;  // ångström; the wall stands at +10 Å (or -10 Å)
        bool turned;  // turned by half a turn about z: the atom faces -x
        std::int32_t type;
        int expected;
    };
    const std::vector<Case> cases = {
        {Stage::none, Stage::none, 7.5, false, 1, 0},   // only the outer sphere crosses
        {Stage::none, Stage::none, 9.6, false, 1, -1},  // the inner sphere crosses
        {Stage::spheres, Stage::none, 7.5, false, 1, -1},
        {Stage::spheres, Stage::none, 7.2, false, 1, 0},
        {Stage::spheres, Stage::atoms, 7.4, false, 1, 0},  // the sphere crosses, the atom does not
        {Stage::spheres, Stage::atoms, 7.6, false, 1, -1},
        {Stage::spheres, Stage::atoms, -7.6, true, 1, -1},
        {Stage::spheres, Stage::atoms, 7.6, true, 1, 0},
        {Stage::none, Stage::atoms, 7.6, false, 1, -1},
        {Stage::none, Stage::atoms, 7.4, false, 1, 0},
        {Stage::surface, Stage::none, 7.6, false, 1, -1},
        {Stage::surface, Stage::none, 7.4, false, 1, 0},
        {Stage::residues, Stage::none, 7.6, false, 1, 0},
        {Stage::spheres, Stage::atoms, 9.6, false, 0, 0},
        {Stage::none, Stage::none, 9.9, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << stage_name(c.first) << "+" << stage_name(c.second) << " at " << c.x
                                          << " A, type " << c.type << (c.turned ? ", turned" : ""));
        PDcalc engine;
        engine.h = 2 * A;
        add_box(engine, 10 * A, c.type);
        // One atom of 1 Å at 1.5 Å along body x, its covering sphere of
        // 1.2 Å and a surface point there (taken as a sphere of h / 2).
        PROT_CLASS s = make_shape_species({{{1.5 * A, 0, 0}, 1 * A}}, {.r_inner = 0.5 * A});
        s.spheres = {SPHERE{{1.5 * A, 0, 0}, 1.2 * A}};
        s.surf_points = {{1.5 * A, 0, 0}};
        s.r_outer = 3 * A;
        add_species(engine, s);
        fill_pair_radii(engine);
        set_stages(engine, c.first, c.second);
        const double half_turn[3][3] = {{-1, 0, 0}, {0, -1, 0}, {0, 0, 1}};
        add_instance(engine, 0, {c.x * A, 0, 0}, c.turned ? half_turn : nullptr);
        EXPECT_EQ(engine.collision3D(&engine.prots[0]), c.expected);
    }
}

// The scan reports the first colliding instance in array order, never the
// instance itself, and only instances of the scene.
TEST(Collisions, FirstCollidingInstanceOfTheScene) {
    PDcalc engine;
    add_box(engine, 100 * A);
    add_species(engine, small_ball());
    fill_pair_radii(engine);
    add_instance(engine, 0, {-50 * A, 0, 0});
    add_instance(engine, 0, {0, 0, 0});
    add_instance(engine, 0, {1 * A, 0, 0});
    add_instance(engine, 0, {0, 1 * A, 0});
    PROT* p = &engine.prots[1];
    EXPECT_EQ(engine.collision3D(p), 3);
    engine.prots[2].x = 50 * A;
    EXPECT_EQ(engine.collision3D(p), 4);
    engine.active_n = 3;
    EXPECT_EQ(engine.collision3D(p), 0);
}

// Within a time step the moving instance's collision test looks only at the
// near list its step picked, while its move keeps it within that list's
// range; farther moves take the full pass again. Either way it finds what
// the plain scan of the scene finds, in a crowded periodic box where many
// instances lie across its faces.
TEST(Collisions, MovingInstanceFindsWhatThePlainScanFinds) {
    PDcalc engine;
    add_box(engine, 20 * A);
    add_species(engine, small_ball());
    fill_pair_radii(engine);
    set_stages(engine, Stage::spheres, Stage::atoms);
    std::mt19937 random(9);
    std::uniform_real_distribution<double> place(-20 * A, 20 * A);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    for (int k = 0; k < 80; ++k) add_instance(engine, 0, {place(random), place(random), place(random)});
    const double reach2 = 12 * A * 12 * A;  // the step's widest range
    const COMPARTMENT* box = &engine.model.compartments[0];
    const double outer = std::sqrt(engine.model.pairs[pair_index(engine.model, 0, 0)].outer2);
    int listed = 0;
    for (int trial = 0; trial < 400; ++trial) {
        const auto i = static_cast<std::int32_t>(trial % engine.active_n);
        PROT& p = engine.prots[static_cast<std::size_t>(i)];
        const PROT start = p;
        PairScan& scan = engine.pair_scan;
        scan.reserve(engine.prots.size(), 1);
        scan.load(engine.prots.data(), engine.active_n);
        scan.distances(p, engine.active_n, box);
        scan.own_near(i, p, reach2, scan.select_near(engine.active_n, reach2));
        // Moves within the list's range and beyond it, then back.
        for (const double length : {0.2, 3.0, 8.0, 8.9, 9.1, 15.0, 0.5}) {
            const POINT3D way{unit(random), unit(random), unit(random)};
            const double norm = std::sqrt(way.x * way.x + way.y * way.y + way.z * way.z);
            p.x = start.x + way.x / norm * length * A;
            p.y = start.y + way.y / norm * length * A;
            p.z = start.z + way.z / norm * length * A;
            if (scan.near_covers(i, p, outer * outer)) ++listed;
            scan.live = true;
            const int fast = engine.collision3D(&p);
            scan.live = false;
            EXPECT_EQ(fast, engine.collision3D(&p)) << "trial " << trial << ", move " << length;
        }
        p = start;
    }
    // The list served most moves of the first few trials' instances.
    EXPECT_GT(listed, 400);
}

// A surface point falls into cell trunc(b / h − offset) of the other's box,
// truncated toward zero: half a cell below the box's lower face still
// counts as its first cell.
TEST(Collisions, SurfacePointsFallIntoCellsByTruncation) {
    struct Case {
        std::vector<std::int32_t> flags;  // the box's two cells along x
        double x;                         // ångström, the point in the box's body frame
        bool collides;
    };
    const std::vector<Case> cases = {
        {{1, 0}, 0.0, true},  {{1, 0}, -1.0, true}, {{1, 0}, -2.2, false}, {{1, 0}, 1.9, true},
        {{1, 0}, 2.1, false}, {{0, 1}, 2.1, true},  {{0, 1}, 3.9, true},   {{0, 1}, 4.1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "point at " << c.x << " A");
        PDcalc engine;
        engine.h = 2 * A;
        add_box(engine, 100 * A);
        PROT_CLASS box;
        box.name = "box";
        box.cells = c.flags;
        box.cells_nx = 2;
        box.cells_ny = 1;
        box.cells_nz = 1;
        box.surf_points = {{50 * A, 0, 0}, {60 * A, 0, 0}};  // more points: the box is the target
        PROT_CLASS point;
        point.name = "point";
        point.surf_points = {{0, 0, 0}};
        add_species(engine, box);
        add_species(engine, point);
        add_instance(engine, 0, {0, 0, 0});
        add_instance(engine, 1, {c.x * A, 0.5 * A, -0.5 * A});
        EXPECT_EQ(engine.collision3D_surface(&engine.prots[0], &engine.prots[1]) != 0, c.collides);
        EXPECT_EQ(engine.collision3D_surface(&engine.prots[1], &engine.prots[0]) != 0, c.collides);
    }
}

}  // namespace
