// What a frame draws before any pixel: colours by flags, the species
// switches, species outside the array, the stop rules, hidden docked
// instances and the placement; and the colouring by potential.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "visualization/support/Scenes.h"
#include "visualization/FramePlan.h"
#include "visualization/PotentialColour.h"

namespace {

using namespace visualization_testing;
using trajectory::flag_collision;
using trajectory::flag_contact;
using trajectory::flag_stopped;

const Rgba red = rgba(1, 0, 0);
const Rgba green = rgba(0, 1, 0);

struct ColourCase {
    std::vector<Rgba> colours;
    unsigned flags;
    Rgba expected;
};

class FlagColourTable : public testing::TestWithParam<ColourCase> {};

TEST_P(FlagColourTable, PicksTheEntryOfTheFlagValueOrTheFirst) {
    EXPECT_EQ(flag_colour(GetParam().colours, GetParam().flags), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Colours, FlagColourTable,
                         testing::Values(ColourCase{{red, green}, 0, red}, ColourCase{{red, green}, 1, green},
                                         ColourCase{{red, green}, 2, red}, ColourCase{{red, green}, 3, red},
                                         ColourCase{{red}, 1, red}, ColourCase{{}, 0, Rgba{}},
                                         ColourCase{{}, 3, Rgba{}}));

class FramePlanTest : public testing::Test {
protected:
    FramePlanTest() {
        for (int s = 0; s < 3; ++s) objects.push_back(species_of(cube(10), {red, green}));
        for (const auto& object : objects) scene.species.push_back(SpeciesLook{&object, {}});
    }

    FramePlan plan(std::vector<trajectory::InstanceState> instances) {
        frame.instances = std::move(instances);
        scene.instances = frame.instances.size();
        return plan_frame(scene, frame, switches);
    }

    std::vector<C3DObjectMovable> objects;
    SceneDescription scene;
    trajectory::Frame frame;
    DisplaySwitches switches;
};

TEST_F(FramePlanTest, SpeciesOutsideTheArrayAreSkipped) {
    const FramePlan p = plan({instance_at(-1, 0, 0, 0), instance_at(3, 0, 0, 0, flag_contact), instance_at(2, 0, 0, 0),
                              instance_at(std::numeric_limits<std::int32_t>::max(), 0, 0, 0)});
    ASSERT_EQ(p.draws.size(), 1u);
    EXPECT_EQ(p.draws[0].instance, 2u);
    EXPECT_FALSE(p.stop_playback);
}

TEST_F(FramePlanTest, SubstSwitchesHideSpeciesZeroAndOneOnly) {
    switches.subst1 = false;
    switches.subst2 = false;
    switches.surface = false;
    const FramePlan p = plan({instance_at(0, 0, 0, 0, flag_contact), instance_at(1, 0, 0, 0), instance_at(2, 0, 0, 0)});
    ASSERT_EQ(p.draws.size(), 1u);
    EXPECT_EQ(p.draws[0].instance, 2u);
    EXPECT_FALSE(p.stop_playback) << "a species switched off stops nothing";
}

TEST_F(FramePlanTest, ListOfTheColouringMode) {
    EXPECT_EQ(plan({instance_at(1, 0, 0, 0)}).draws.at(0).list, 4u);
    switches.color_by_potential = false;
    EXPECT_EQ(plan({instance_at(1, 0, 0, 0)}).draws.at(0).list, 3u);
    EXPECT_EQ(display_list::box(scene.species.size()), 7u);
}

struct StopCase {
    std::uint8_t flags;
    bool stop_on_dock;
    bool stop_on_contact;
    bool unhide_docked;
    bool stops;
    bool drawn;
};

class StopTable : public testing::TestWithParam<StopCase> {};

TEST_P(StopTable, FlagsStopPlaybackAndHideDockedInstances) {
    const StopCase& c = GetParam();
    C3DObjectMovable object = species_of(cube(10), {red});
    SceneDescription scene;
    scene.species.push_back(SpeciesLook{&object, {}});
    trajectory::Frame frame;
    frame.instances = {instance_at(0, 0, 0, 0, c.flags)};
    DisplaySwitches switches;
    switches.stop_on_dock = c.stop_on_dock;
    switches.stop_on_contact = c.stop_on_contact;
    switches.unhide_docked = c.unhide_docked;
    const FramePlan p = plan_frame(scene, frame, switches);
    EXPECT_EQ(p.stop_playback, c.stops);
    EXPECT_EQ(p.draws.size(), c.drawn ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Flags, StopTable,
    testing::Values(StopCase{0, true, true, true, false, true}, StopCase{flag_contact, true, true, true, true, true},
                    StopCase{flag_contact, false, true, true, false, true},
                    StopCase{flag_collision, true, true, true, true, true},
                    StopCase{flag_collision, true, false, true, false, true},
                    StopCase{flag_stopped, true, true, true, false, true},
                    StopCase{flag_stopped, true, true, false, false, false},
                    StopCase{flag_contact | flag_stopped, true, true, false, true, false}));

TEST(Placement, RotationRowsBecomeColumnsAndTheCentreIsInAngstrom) {
    trajectory::InstanceState state = instance_at(0, 1, 2, 3);
    // A quarter turn: world = rotᵀ · body, so body x goes to world y.
    state.rot[0][0] = 0;
    state.rot[0][1] = 1;
    state.rot[1][0] = -1;
    state.rot[1][1] = 0;
    const auto m = placement_matrix(state);
    // Column-major: world = m · (1, 0, 0, 1).
    EXPECT_EQ(m[0], 0.0);
    EXPECT_EQ(m[1], 1.0);
    EXPECT_EQ(m[2], 0.0);
    EXPECT_EQ(m[4], -1.0);
    EXPECT_EQ(m[10], 1.0);
    EXPECT_NEAR(m[12], 1.0, 1e-12);
    EXPECT_NEAR(m[13], 2.0, 1e-12);
    EXPECT_NEAR(m[14], 3.0, 1e-12);
    EXPECT_EQ(m[15], 1.0);
    EXPECT_EQ(m[3], 0.0);
}

// A 4-cell grid of 10 Å cells: cell i spans [(i − 2)·10, (i − 1)·10) along x.
class PotentialGrid : public testing::Test {
protected:
    PotentialGrid() : values(64) {
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j)
                for (int k = 0; k < 4; ++k) values[(i * 4 + j) * 4 + k] = 100.0 * i + 10.0 * j + k;
        grid = PotentialGridView{4, 10.0, values};
    }
    std::vector<double> values;
    PotentialGridView grid;
};

TEST_F(PotentialGrid, ValueOfTheCellThatHoldsThePosition) {
    EXPECT_EQ(potential_at(grid, CVector{-20, -20, -20}), 0.0 + 0 + 0);
    EXPECT_EQ(potential_at(grid, CVector{-15, 5, 19.9}), 0.0 + 20 + 3);
    EXPECT_EQ(potential_at(grid, CVector{0, 0, 0}), 222.0);
    EXPECT_EQ(potential_at(grid, CVector{-19.99, -0.01, 0.01}), 0.0 + 10 + 2);
}

TEST_F(PotentialGrid, OutsideTheGridIsZero) {
    for (const CVector& p : {CVector{20, 0, 0}, CVector{-20.01, 0, 0}, CVector{-20.5, 0, 0}, CVector{0, 1e300, 0},
                             CVector{0, 0, -1e300}, CVector{std::nan(""), 0, 0},
                             CVector{0, std::numeric_limits<double>::infinity(), 0}})
        EXPECT_EQ(potential_at(grid, p), 0.0) << p.x << " " << p.y << " " << p.z;
}

TEST_F(PotentialGrid, GridOfTheWrongSizeIsNotRead) {
    values.resize(63);
    EXPECT_FALSE(grid_readable(PotentialGridView{4, 10.0, values}));
    EXPECT_EQ(potential_at(PotentialGridView{4, 10.0, values}, CVector{0, 0, 0}), 0.0);
    EXPECT_FALSE(grid_readable(PotentialGridView{0, 10.0, {}}));
    EXPECT_FALSE(grid_readable(PotentialGridView{4, 0.0, values}));
    EXPECT_FALSE(grid_readable(PotentialGridView{-4, 10.0, values}));
    EXPECT_FALSE(grid_readable(PotentialGridView{2097152, 10.0, values}));  // 2^21: n³ is 2^63
}

struct ColourRuleCase {
    double w;
    double pot_m;
    std::array<double, 3> rgb;
};

class ColourRuleTable : public testing::TestWithParam<ColourRuleCase> {};

TEST_P(ColourRuleTable, StaysWithinTheUnitRange) {
    const auto rgb = potential_colour(GetParam().w, 2.0, GetParam().pot_m);
    for (int c = 0; c < 3; ++c) EXPECT_DOUBLE_EQ(rgb[c], GetParam().rgb[c]) << c;
}

const double nan_value = std::nan("");

INSTANTIATE_TEST_SUITE_P(
    Potentials, ColourRuleTable,
    testing::Values(ColourRuleCase{2, 1, {0, 0, 1}}, ColourRuleCase{-2, 1, {1, 0, 0}}, ColourRuleCase{0, 1, {1, 1, 1}},
                    ColourRuleCase{1, 1, {0.5, 0.5, 1}}, ColourRuleCase{-1, 2, {1, 0.75, 0.75}},
                    ColourRuleCase{1, 0, {0, 0, 1}}, ColourRuleCase{0, 0, {0, 0, 0}},
                    ColourRuleCase{1, -1, {0, 0, 1}}, ColourRuleCase{0, -1, {0, 0, 0}},
                    ColourRuleCase{1, nan_value, {1, 1, 1}}, ColourRuleCase{nan_value, 1, {1, 1, 1}},
                    ColourRuleCase{4, 1, {0, 0, 1}}));

}  // namespace

