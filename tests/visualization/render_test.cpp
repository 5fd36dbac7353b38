// The renderer on an off-screen target, checked by the pixels read back: a
// crafted scene of one cube (or a few squares) in a box of ±50 Å, seen from
// the camera's reset position (looking down the z axis, +x up in the
// picture).
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "dynamics/output/TrajectoryReader.h"
#include "support/TempDir.h"
#include "visualization/support/Offscreen.h"
#include "visualization/support/PngFile.h"
#include "visualization/support/Scenes.h"
#include "visualization/visualization.h"

namespace {

using namespace visualization_testing;
using testing_support::TempDir;
using trajectory::flag_collision;
using trajectory::flag_contact;
using trajectory::flag_stopped;

constexpr int W = 160;
constexpr int H = 120;

class RenderTest : public testing::Test {
protected:
    RenderTest() {
        scene.box = SceneBox{-50, 50, -50, 50, -50, 50};
        use({species_of(cube(20), {rgba(1, 0, 0)})}, 1);
    }

    void use(std::vector<C3DObjectMovable> species, std::size_t instances) {
        objects = std::move(species);
        scene.species.clear();
        for (const auto& object : objects) scene.species.push_back(SpeciesLook{&object, {}});
        scene.instances = instances;
    }

    // Draws frame `shown` of `frames` as a fresh view would, and reads it back.
    Image render(const std::vector<TestFrame>& frames, std::int64_t shown = 0) {
        write_trajectory(path, frames);
        TrajectoryFrames source(path, scene.instances);
        SceneView view(scene, source, {});
        view.playback().set_frame(shown);
        view.draw(W, H, switches);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        return screen.read();
    }

    Hue hue_at(const Image& image, const CVector& world) const {
        const auto [x, y] = screen.pixel_of(world);
        return hue_of(image.at(x, y));
    }

    // Whether a pixel of hue `hue` lies within 2 pixels of where `world`
    // lands (lines are 2 pixels wide).
    bool hue_near(const Image& image, const CVector& world, Hue hue) const {
        const auto [x, y] = screen.pixel_of(world);
        for (int v = std::max(y - 2, 0); v <= std::min(y + 2, H - 1); ++v)
            for (int u = std::max(x - 2, 0); u <= std::min(x + 2, W - 1); ++u)
                if (hue_of(image.at(u, v)) == hue) return true;
        return false;
    }

    Offscreen screen{W, H};
    TempDir dir;
    const std::string path = dir.file("trajectory.bin");
    std::vector<C3DObjectMovable> objects;
    SceneDescription scene;
    DisplaySwitches switches;
};

TEST_F(RenderTest, CubeAtTheOriginFillsTheCentreInItsColour) {
    const Image image = render({{0, {instance_at(0, 0, 0, 0)}}});
    save_picture(image, "one_cube");
    EXPECT_EQ(hue_of(image.at(W / 2, H / 2)), Hue::red);
    const auto [x, y] = screen.pixel_of(CVector{});
    EXPECT_NEAR(x, W / 2, 1);
    EXPECT_NEAR(y, H / 2, 1);
    EXPECT_EQ(hue_of(image.at(2, 2)), Hue::black);
}

TEST_F(RenderTest, XOffsetLiesInTheUpperHalfAndMovesWithTheFrame) {
    const std::vector<TestFrame> frames = {{0, {instance_at(0, 0, 0, 0)}}, {100, {instance_at(0, 30, 0, 0)}}};
    const Image before = render(frames, 0);
    const Image after = render(frames, 1);
    save_picture(after, "moved_cube");
    EXPECT_EQ(hue_of(after.at(W / 2, H / 2)), Hue::black);
    EXPECT_EQ(hue_at(after, CVector{30, 0, 10}), Hue::red);
    EXPECT_GT(count_hue(after, Hue::red, 0, H / 2), 50);
    EXPECT_EQ(count_hue(after, Hue::red, H / 2, H), 0);
    EXPECT_GT(count_hue(before, Hue::red, H / 2, H), 50);
    EXPECT_LT(screen.pixel_of(CVector{30, 0, 10}).second, H / 2);
}

TEST_F(RenderTest, FlagsPickTheSpeciesColour) {
    use({species_of(cube(20), {rgba(1, 0, 0), rgba(0, 1, 0)})}, 3);
    const Image image = render({{0,
                                 {instance_at(0, -25, 0, 0, flag_contact),
                                  instance_at(0, 25, 0, 0, flag_contact | flag_stopped),
                                  instance_at(0, 0, 25, 0, flag_collision)}}});
    save_picture(image, "flag_colours");
    EXPECT_EQ(hue_at(image, CVector{-25, 0, 10}), Hue::green);  // flags 1: colour 1
    EXPECT_EQ(hue_at(image, CVector{25, 0, 10}), Hue::red);     // flags 3: beyond the list, colour 0
    EXPECT_EQ(hue_at(image, CVector{0, 25, 10}), Hue::red);

    switches.unhide_docked = false;
    const Image hidden = render({{0, {instance_at(0, 25, 0, 0, flag_stopped)}}});
    EXPECT_EQ(count_hue(hidden, Hue::red), 0);
}

TEST_F(RenderTest, EmptyTrajectoryDrawsOnlyTheBox) {
    const Image image = render({});
    save_picture(image, "box_only");
    const auto centre = image.at(W / 2, H / 2);
    // Two faint white faces over black.
    EXPECT_EQ(centre[0], centre[1]);
    EXPECT_EQ(centre[1], centre[2]);
    EXPECT_GT(centre[0], 10);
    EXPECT_LT(centre[0], 60);
    // The outline of the near face at z = 50.
    EXPECT_TRUE(hue_near(image, CVector{50, 0, 50}, Hue::yellow));
    EXPECT_TRUE(hue_near(image, CVector{0, -50, 50}, Hue::yellow));
    EXPECT_FALSE(hue_near(image, CVector{25, 0, 50}, Hue::yellow));
    EXPECT_GT(count_hue(image, Hue::yellow), 200);
    EXPECT_EQ(count_hue(image, Hue::red), 0);

    std::filesystem::remove(path);
    TrajectoryFrames missing(path, 1);
    SceneView view(scene, missing, {});
    view.draw(W, H, switches);
    EXPECT_EQ(screen.read().rgb, image.rgb);
}

TEST_F(RenderTest, SpeciesOutsideTheArrayDrawNothing) {
    const Image box = render({});
    scene.instances = 3;
    const Image image = render({{0, {instance_at(1, 0, 0, 0), instance_at(-1, 20, 0, 0), instance_at(7, 0, 20, 0)}}});
    EXPECT_EQ(image.rgb, box.rgb);
}

TEST_F(RenderTest, SpeciesTwoAndUpIgnoreTheSubstSwitches) {
    std::vector<C3DObjectMovable> three;
    for (const Rgba& c : {rgba(1, 0, 0), rgba(0, 1, 0), rgba(0, 0, 1)}) three.push_back(species_of(cube(20), {c}));
    use(std::move(three), 3);
    switches.subst1 = false;
    switches.subst2 = false;
    const Image image =
        render({{0, {instance_at(0, -25, 0, 0), instance_at(1, 25, 0, 0), instance_at(2, 0, 25, 0)}}});
    EXPECT_EQ(count_hue(image, Hue::red), 0);
    EXPECT_EQ(count_hue(image, Hue::green), 0);
    EXPECT_EQ(hue_at(image, CVector{0, 25, 10}), Hue::blue);
}

TEST_F(RenderTest, SpeciesWithoutColoursIsWhite) {
    use({species_of(cube(20), {})}, 1);
    const Image image = render({{0, {instance_at(0, 0, 0, 0)}}});
    EXPECT_EQ(hue_of(image.at(W / 2, H / 2)), Hue::white);
}

TEST_F(RenderTest, SelectedTypeChoosesTheMesh) {
    C3DObjectMovable two_types = species_of(cube(20), {rgba(1, 0, 0)});
    two_types.shapes.push_back(cube(60));
    use({two_types}, 1);
    write_trajectory(path, {{0, {instance_at(0, 0, 0, 0)}}});
    TrajectoryFrames source(path, 1);
    SceneView view(scene, source, {});
    view.draw(W, H, switches);
    const int small = count_hue(screen.read(), Hue::red);
    view.set_type(1);
    view.draw(W, H, switches);
    const int large = count_hue(screen.read(), Hue::red);
    EXPECT_GT(large, 4 * small);
    view.set_type(2);  // no such type: nothing drawn
    view.draw(W, H, switches);
    EXPECT_EQ(count_hue(screen.read(), Hue::red), 0);
}

TEST_F(RenderTest, ListsLightsAndTheCameraInTheProjection) {
    render({{0, {instance_at(0, 0, 0, 0)}}});
    EXPECT_TRUE(glIsList(1));
    EXPECT_TRUE(glIsList(2));
    EXPECT_TRUE(glIsList(3));
    EXPECT_FALSE(glIsList(4));
    GLdouble model[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    for (int k = 0; k < 16; ++k) EXPECT_EQ(model[k], k % 5 == 0 ? 1.0 : 0.0) << k;
    GLfloat position[4];
    glGetLightfv(GL_LIGHT0, GL_POSITION, position);
    EXPECT_EQ(position[0], 300.0f);
    EXPECT_EQ(position[3], 1.0f);
    glGetLightfv(GL_LIGHT1, GL_POSITION, position);
    EXPECT_EQ(position[2], -300.0f);
    EXPECT_TRUE(glIsEnabled(GL_LIGHT1));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST_F(RenderTest, FramebufferOfNoPixelsIsRefused) {
    try {
        Framebuffer empty(0, 10);
        FAIL() << "made a framebuffer of no pixels";
    } catch (const GlError& error) {
        EXPECT_STREQ(error.what(), "no framebuffer can have 0 x 10 pixels (error 0x0)");
    }
}

// Four squares in the plane z = 0, side by side along y (left to right in
// the picture), over a grid of 4 cells of 10 Å whose potential depends on
// the cell along y: +1, 0, −1, 0 V. The last square lies beyond the grid.
class PotentialRender : public RenderTest {
protected:
    PotentialRender() : values(64) {
        const double by_cell[4] = {1.0, 0.0, -1.0, 0.0};
        for (int i = 0; i < 4; ++i)
            for (int j = 0; j < 4; ++j)
                for (int k = 0; k < 4; ++k) values[(i * 4 + j) * 4 + k] = by_cell[j];
        Mesh squares;
        for (const double y : centres) {
            const CVector a{-4, y - 4, 0}, b{-4, y + 4, 0}, c{4, y + 4, 0}, d{4, y - 4, 0};
            squares.add_triangle(a, b, c);
            squares.add_triangle(a, c, d);
        }
        use({species_of(squares, {rgba(0, 1, 0)})}, 1);
        scene.species[0].potential = PotentialGridView{4, 10.0, values};
    }

    std::vector<Hue> hues(const Image& image) const {
        std::vector<Hue> h;
        for (const double y : centres) h.push_back(hue_at(image, CVector{0, y, 0}));
        return h;
    }

    const std::vector<double> centres = {-15, -5, 5, 30};
    std::vector<double> values;
    const std::vector<TestFrame> frames = {{0, {instance_at(0, 0, 0, 0)}}};
};

TEST_F(PotentialRender, PositiveBlueNegativeRedZeroAndOutsideWhite) {
    const Image image = render(frames);
    save_picture(image, "potential");
    EXPECT_EQ(hues(image), (std::vector<Hue>{Hue::blue, Hue::white, Hue::red, Hue::white}));
}

TEST_F(PotentialRender, WithoutColourByPotentialTheSpeciesColour) {
    switches.color_by_potential = false;
    EXPECT_EQ(hues(render(frames)), std::vector<Hue>(4, Hue::green));
}

TEST_F(PotentialRender, GridOfTheWrongSizeOrNoneDrawsTheSpeciesColour) {
    values.resize(63);
    scene.species[0].potential = PotentialGridView{4, 10.0, values};
    EXPECT_EQ(hues(render(frames)), std::vector<Hue>(4, Hue::green));
    scene.species[0].potential.reset();
    EXPECT_EQ(hues(render(frames)), std::vector<Hue>(4, Hue::green));
}

// Playback through a view, with the frames read from the file.
class PlaybackRender : public RenderTest {
protected:
    // Five frames; the instance has `flags` in frame 3 only.
    std::vector<TestFrame> frames_with(std::uint8_t flags) const {
        std::vector<TestFrame> frames;
        for (int f = 0; f < 5; ++f) frames.push_back({100 * f, {instance_at(0, 0, 0, 0, f == 3 ? flags : 0)}});
        return frames;
    }

    // Starts playback at the first frame and draws after every tick until
    // the timer stops; the frame where it stopped.
    std::int64_t played_to() {
        TrajectoryFrames source(path, 1);
        SceneView view(scene, source, {});
        view.draw(W, H, switches);
        view.playback().start();
        for (int ticks = 0; view.playback().playing() && ticks < 20; ++ticks) {
            view.playback().tick();
            view.draw(W, H, switches);
        }
        EXPECT_EQ(view.frame_step(), 100 * view.playback().frame());
        return view.playback().frame();
    }
};

TEST_F(PlaybackRender, StopOnDockStopsAtTheFirstFrameWithTheDockBit) {
    write_trajectory(path, frames_with(flag_contact));
    // Where the file has it, read with the trajectory's own reader.
    trajectory::Reader reader(path, 1);
    std::int64_t flagged = -1;
    trajectory::Frame frame;
    for (std::uint64_t f = 0; f < reader.frame_count() && flagged < 0; ++f)
        if (reader.read(f, frame) && (frame.instances[0].flags & flag_contact)) flagged = static_cast<std::int64_t>(f);
    ASSERT_EQ(flagged, 3);
    EXPECT_EQ(played_to(), flagged);
    switches.stop_on_dock = false;
    EXPECT_EQ(played_to(), 4);
}

TEST_F(PlaybackRender, StopOnContactStopsAtACollision) {
    write_trajectory(path, frames_with(flag_collision));
    EXPECT_EQ(played_to(), 3);
    switches.stop_on_contact = false;
    EXPECT_EQ(played_to(), 4);
}

}  // namespace
