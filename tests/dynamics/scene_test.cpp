// The scene of a fresh experiment: configured and random places, uniformly
// distributed orientations, refused configurations, a box too full, and the
// reset of the reactions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "dynamics/PDcalc.h"
#include "dynamics/scene/Rotation.h"
#include "support/FixtureSpecies.h"
#include "support/LoggedText.h"
#include "support/ShapeSpecies.h"
#include "utils/config/RootSection.h"

namespace {

using namespace dynamics_testing;

constexpr double A = 1e-10;

// An engine whose species read their settings from a tree built in memory.
class Scene : public ::testing::Test {
protected:
    void SetUp() override {
        auto tree = std::make_unique<RootSection>("t", false);
        root = tree.get();
        engine.config = std::move(tree);
        engine.collision_stage1 = &PDcalc::collision3D_spheres;
        engine.collision_stage2 = &PDcalc::collision3D_atoms;
        std::srand(1234);
    }

    // A species of `n` balls (one 2 Å atom) with its configuration section.
    std::int32_t add_balls(const char* name, std::int32_t n, std::int32_t compartment = 0) {
        PROT_CLASS s = make_shape_species({{{0, 0, 0}, 2 * A}}, {.name = name});
        s.N = n;
        s.section = root->CreateSection((std::string("Species.") + name).c_str());
        const std::int32_t index = add_species(engine, std::move(s), compartment);
        fill_pair_radii(engine);
        set_max_atom_r(engine);
        return index;
    }

    void add_position(const char* species, const char* entry, std::vector<double> values) {
        const std::string path = std::string("Species.") + species + ".positions." + entry;
        ASSERT_TRUE(root->SetDoubles(values.data(), static_cast<int>(values.size()), path.c_str()));
    }

    // Room for all instances, as the preparation makes it.
    void size_instances() {
        std::int32_t n = 0;
        for (const PROT_CLASS& s : engine.model.species) n += s.N;
        engine.prots.assign(static_cast<std::size_t>(n), PROT{});
        engine.prots_n = n;
    }

    // scene_prepare's log, or the text it threw.
    std::string prepare() {
        size_instances();
        std::string thrown;
        std::string text = testing_support::logged_text([&] {
            try {
                engine.scene_prepare();
            } catch (const std::string& message) {
                thrown = message;
            }
        });
        return thrown.empty() ? text : "thrown: " + thrown;
    }

    PDcalc engine;
    RootSection* root = nullptr;
};

void expect_rotation(const double (&rot)[3][3], const double (&rot_inv)[3][3]) {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            const double dot = rot[i][0] * rot[j][0] + rot[i][1] * rot[j][1] + rot[i][2] * rot[j][2];
            EXPECT_NEAR(dot, i == j ? 1.0 : 0.0, 1e-12);
            EXPECT_NEAR(rot_inv[i][j], rot[j][i], 1e-12);
        }
}

// Configured entries are taken as written (metres; only three numbers: the
// identity), even where they overlap; the rest go to random free places.
TEST_F(Scene, ConfiguredPlacesFirstThenRandomFreeOnes) {
    add_box(engine, 30 * A, 1);
    add_balls("solo", 1);
    const std::int32_t balls = add_balls("balls", 3);
    const double c = std::cos(0.5), s = std::sin(0.5);
    add_position("balls", "first", {1e-10, 2e-10, 3e-10, c, -s, 0, s, c, 0, 0, 0, 1});
    add_position("balls", "second", {1.5e-10, 2e-10, 3e-10});
    for (PROT& p : engine.prots) p.flags = 0xFF;
    EXPECT_EQ(prepare().rfind("message: Scene preparation...\n", 0), 0u);

    ASSERT_EQ(engine.active_n, 4);
    for (std::int32_t g = 0; g < 4; ++g) {
        SCOPED_TRACE(::testing::Message() << "instance " << g);
        const PROT& p = engine.prots[static_cast<std::size_t>(g)];
        EXPECT_EQ(p.index, g);
        EXPECT_EQ(p.species, g == 0 ? 0 : balls);
        EXPECT_FALSE(p.stopped);
        EXPECT_EQ(p.collision_step, -2);
        EXPECT_EQ(p.contact_step, -2);
        EXPECT_EQ(p.flags, 0);
        EXPECT_EQ(p.r, engine.model.species[static_cast<std::size_t>(p.species)].r_outer);
        expect_rotation(p.rot, p.rot_inv);
    }
    const PROT& first = engine.prots[1];
    EXPECT_EQ(first.x, 1e-10);
    EXPECT_EQ(first.z, 3e-10);
    EXPECT_EQ(first.rot[0][1], -s);
    EXPECT_EQ(first.rot[1][0], s);
    const PROT& second = engine.prots[2];
    EXPECT_EQ(second.x, 1.5e-10);
    EXPECT_EQ(second.rot[0][0], 1.0);
    EXPECT_EQ(second.rot[0][1], 0.0);
    // The first two overlap each other; the random ones are free of all
    // placed before them.
    EXPECT_NE(engine.collision3D(&engine.prots[1]), 0);
    engine.active_n = 1;
    EXPECT_EQ(engine.collision3D(&engine.prots[0]), 0);
    engine.active_n = 4;
    EXPECT_EQ(engine.collision3D(&engine.prots[3]), 0);
}

// Random places fill the whole box and never collide with a wall or an
// earlier instance.
TEST_F(Scene, RandomPlacesAreFreeAndInsideTheBox) {
    add_box(engine, 40 * A, 1);
    add_balls("balls", 300);
    prepare();
    ASSERT_EQ(engine.active_n, 300);
    double low = 0, high = 0;
    for (PROT& p : engine.prots) {
        EXPECT_EQ(engine.collision3D(&p), 0);
        for (const double v : {p.x, p.y, p.z}) {
            EXPECT_GE(v, -38 * A);
            EXPECT_LE(v, 38 * A);
            low = std::min(low, v);
            high = std::max(high, v);
        }
    }
    EXPECT_LT(low, -30 * A);
    EXPECT_GT(high, 30 * A);
}

// Every element of a uniformly distributed rotation matrix is uniformly
// distributed over [-1, 1] (each row and column is a uniform direction).
// Three uniform angles do not give that: sin of a uniform angle crowds
// towards ±1.
TEST_F(Scene, RandomOrientationsAreUniform) {
    add_box(engine, 1000 * A, 0);
    add_balls("dots", 500);
    engine.model.species[0].r_outer = 1e-3 * A;
    engine.model.species[0].r_inner = 0;
    engine.collision_stage1 = nullptr;
    engine.collision_stage2 = nullptr;
    fill_pair_radii(engine);
    std::vector<std::vector<double>> elements(9);
    for (int round = 0; round < 8; ++round) {
        ASSERT_EQ(prepare().rfind("thrown", 0), std::string::npos);
        for (const PROT& p : engine.prots)
            for (int e = 0; e < 9; ++e) elements[static_cast<std::size_t>(e)].push_back(p.rot[e / 3][e % 3]);
    }
    for (int e = 0; e < 9; ++e) {
        std::vector<double>& values = elements[static_cast<std::size_t>(e)];
        std::sort(values.begin(), values.end());
        // Kolmogorov-Smirnov distance to the uniform distribution on [-1, 1];
        // the bound is the 0.1 % level for this many values.
        const double n = static_cast<double>(values.size());
        double distance = 0;
        for (std::size_t k = 0; k < values.size(); ++k) {
            const double cdf = (values[k] + 1) / 2;
            distance = std::max({distance, std::fabs(cdf - k / n), std::fabs(cdf - (k + 1) / n)});
        }
        EXPECT_LT(distance, 1.95 / std::sqrt(n)) << "rot[" << e / 3 << "][" << e % 3 << "]";
    }
}

// A configured place must be finite, inside its compartment and a proper
// rotation.
TEST_F(Scene, ConfiguredPlacesAreChecked) {
    struct Case {
        std::int32_t box_type;
        std::vector<double> values;
        const char* error;  // after "species \"balls\": position \"checked\" "
    };
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<Case> cases = {
        {1, {0, inf, 0}, "holds a number that is not finite"},
        {1, {0, 0, 0, 1, 0, 0, 0, nan, 0, 0, 0, 1}, "holds a number that is not finite"},
        {1, {31e-10, 0, 0}, "places the centre outside compartment \"box\""},
        {0, {0, 0, -30.5e-10}, "places the centre outside compartment \"box\""},
        {1, {0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 1}, "is not a rotation (orthonormal rows, determinant 1)"},
        {1, {0, 0, 0, 1, 0, 0, 0, 1, 0.1, 0, 0, 1}, "is not a rotation (orthonormal rows, determinant 1)"},
        {1, {0, 0, 0, -1, 0, 0, 0, 1, 0, 0, 0, 1}, "is not a rotation (orthonormal rows, determinant 1)"},
        {1, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, "is not a rotation (orthonormal rows, determinant 1)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        engine.model = {};
        root->Destroy("Species");
        add_box(engine, 30 * A, c.box_type);
        engine.model.compartment_index["box"] = 0;
        add_balls("balls", 2);
        add_position("balls", "fine", {-5e-10, 0, 0});
        add_position("balls", "checked", c.values);
        EXPECT_EQ(prepare(), std::string("thrown: species \"balls\": position \"checked\" ") + c.error);
    }
}

// A box too full for its instances is reported, naming species and
// compartment, instead of being tried for ever.
TEST_F(Scene, ABoxTooFullIsReported) {
    // Centres fit only within 1 Å of the middle: no two balls of 2 Å fit.
    add_box(engine, 3 * A, 1);
    engine.model.compartment_index["tiny"] = 0;
    add_balls("balls", 3);
    EXPECT_EQ(prepare(),
              "thrown: cannot place instance 2 of 3 of species \"balls\" in compartment \"tiny\": no free place found "
              "in 100000 random tries; the compartment is too full");
}

TEST_F(Scene, RandomPlacesNeedABoundedCompartment) {
    add_box(engine, 40 * A, 2);
    engine.model.compartment_index["space"] = 0;
    add_balls("balls", 1);
    EXPECT_EQ(prepare(), "thrown: cannot place species \"balls\" at random: compartment \"space\" has no bounds");
    add_balls("nowhere", 1, 5);
    engine.model.species[0].N = 0;
    EXPECT_EQ(prepare(), "thrown: cannot place species \"nowhere\" at random: compartment \"#5\" has no bounds");
}

// Each experiment starts its reactions afresh: no events, no partners; the
// contact counters and closest distances go on.
TEST_F(Scene, ReactionsStartAfresh) {
    add_box(engine, 30 * A, 1);
    add_balls("balls", 2);
    REACTION reaction;
    reaction.order = 2;
    reaction.events = 5;
    reaction.contacts = 9;
    reaction.partner = {std::vector<std::int32_t>(2, 1), std::vector<std::int32_t>(2, 0)};
    reaction.points = {DOCKPOINT{{}, {}, 1e-10, 1e-20, 4e-21}};
    engine.model.reactions.push_back(std::move(reaction));
    engine.model.reactions_n = 1;
    prepare();
    const REACTION& r = engine.model.reactions[0];
    EXPECT_EQ(r.events, 0);
    EXPECT_EQ(r.contacts, 9);
    EXPECT_EQ(r.points[0].min_dist2, 4e-21);
    for (const auto& partner : r.partner) EXPECT_EQ(partner, std::vector<std::int32_t>(2, -1));
}

}  // namespace
