// A crowded box run through thousands of random moves: read back from its
// trajectory, no two instances ever overlap atom for atom, and with exact
// wall tests no atom leaves a closed box.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "dynamics/PDcalc.h"
#include "dynamics/output/TrajectoryReader.h"
#include "support/FixtureSpecies.h"
#include "support/OverlapCheck.h"
#include "support/ShapeSpecies.h"
#include "support/TempDir.h"
#include "utils/fopen_s.h"

namespace {

using namespace dynamics_testing;

constexpr double A = 1e-10;

Placed placed(const trajectory::InstanceState& state) {
    Placed out{{state.centre[0], state.centre[1], state.centre[2]}, {}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) out.rot[i][j] = state.rot[i][j];
    return out;
}

// The largest distance of an atom's surface from the body origin.
double atom_reach(const PROT_CLASS& species) {
    double reach = 0;
    for (const ATOM& a : species.atoms) reach = std::max(reach, std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z) + a.r);
    return reach;
}

// Whether every atom of the placed species lies within the box's walls.
bool inside_walls(const PROT_CLASS& species, const Placed& body, const COMPARTMENT& c) {
    const double lower[3] = {c.lower.x, c.lower.y, c.lower.z};
    const double upper[3] = {c.upper.x, c.upper.y, c.upper.z};
    for (const ATOM& a : species.atoms) {
        double w[3];
        to_world(body, a.x, a.y, a.z, w);
        for (int axis = 0; axis < 3; ++axis)
            if (w[axis] - a.r < lower[axis] - 1e-20 || w[axis] + a.r > upper[axis] + 1e-20) return false;
    }
    return true;
}

TEST(CrowdedRun, NoAtomsOverlapAfterThousandsOfMoves) {
    struct Case {
        const char* what;
        std::int32_t box_type;
        PDcalc::CollisionTest first, second;
        bool exact_walls;  // the wall tests reach the atoms
    };
    const std::vector<Case> cases = {
        {"closed box, spheres then atoms", 1, &PDcalc::collision3D_spheres, &PDcalc::collision3D_atoms, true},
        {"periodic box, spheres then atoms", 0, &PDcalc::collision3D_spheres, &PDcalc::collision3D_atoms, false},
        {"closed box, atoms alone", 1, nullptr, &PDcalc::collision3D_atoms, true},
        {"periodic box, residues", 0, &PDcalc::collision3D_residues, nullptr, false},
    };
    constexpr int steps = 2000;
    constexpr int frame_interval = 5;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testing_support::TempDir dir;
        const std::string path = dir.file("crowded.trajectory");
        PDcalc engine;
        engine.h = 2 * A;
        engine.collision_stage1 = c.first;
        engine.collision_stage2 = c.second;
        add_box(engine, 18 * A, c.box_type);
        PROT_CLASS big = make_shape_species(ball_atoms(6 * A, 2.4 * A, {1.6 * A, 1.8 * A, 1.4 * A}), {.name = "big"});
        PROT_CLASS small = make_shape_species(ball_atoms(4 * A, 2.2 * A, {1.5 * A, 1.3 * A}), {.name = "small"});
        big.N = 4;
        small.N = 4;
        add_species(engine, big);
        add_species(engine, small);
        fill_pair_radii(engine);
        set_max_atom_r(engine);
        engine.prots.assign(8, PROT{});
        engine.prots_n = 8;
        std::srand(99);
        engine.scene_prepare();
        const COMPARTMENT& box = engine.model.compartments[0];

        engine.trajectory_file = fopen_share(path, "wb+", false, false);
        ASSERT_NE(engine.trajectory_file, nullptr);
        std::mt19937_64 random(5);
        std::normal_distribution<double> shift(0.0, 1.5 * A);
        std::normal_distribution<double> turn(0.0, 0.15);
        int cut_back = 0;
        engine.trajectory_save();
        for (engine.step = 1; engine.step <= steps; ++engine.step) {
            for (PROT& p : engine.prots) {
                POINT3D d{shift(random), shift(random), shift(random)};
                POINT3D w{turn(random), turn(random), turn(random)};
                const POINT3D before{p.x, p.y, p.z};
                const double wanted = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
                engine.prot_move(p, d, w);
                const POINT3D moved = POINT3D{p.x, p.y, p.z} - before;
                if (std::sqrt(moved.x * moved.x + moved.y * moved.y + moved.z * moved.z) < wanted * 0.999) ++cut_back;
                p.translate2bounds(box);
            }
            if (engine.step % frame_interval == 0) engine.trajectory_save();
        }
        engine.trajectory_file.reset();
        // The box is crowded enough for many moves to be cut back.
        EXPECT_GT(cut_back, 500);

        trajectory::Reader reader(path, 8);
        ASSERT_EQ(reader.frame_count(), 1u + steps / frame_interval);
        int overlaps = 0, outside = 0, near = 0;
        trajectory::Frame frame;
        for (std::uint64_t f = 0; f < reader.frame_count(); ++f) {
            ASSERT_TRUE(reader.read(f, frame));
            for (std::size_t k = 0; k < 8; ++k) {
                const PROT_CLASS& sk = engine.model.species[static_cast<std::size_t>(frame.instances[k].species)];
                if (c.exact_walls && !inside_walls(sk, placed(frame.instances[k]), box)) ++outside;
                for (std::size_t l = k + 1; l < 8; ++l) {
                    const PROT_CLASS& sl = engine.model.species[static_cast<std::size_t>(frame.instances[l].species)];
                    const double reach = atom_reach(sk) + atom_reach(sl);
                    if (image_distance2(frame.instances[k].centre, frame.instances[l].centre, &box) >= reach * reach)
                        continue;
                    ++near;
                    if (elements_overlap(sk.atoms, placed(frame.instances[k]), sl.atoms, placed(frame.instances[l]),
                                         &box, 1e-9))
                        ++overlaps;
                }
            }
        }
        // Instances came within reach of each other often.
        EXPECT_GT(near, 500);
        EXPECT_EQ(overlaps, 0);
        EXPECT_EQ(outside, 0);
    }
}

}  // namespace
