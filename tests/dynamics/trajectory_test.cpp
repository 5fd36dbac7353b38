// Trajectory frames: their byte layout, the flags, reading them back bit
// for bit, and a writer that reports a lost frame.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "dynamics/PDcalc.h"
#include "dynamics/output/TrajectoryReader.h"
#include "dynamics/scene/Rotation.h"
#include "support/FixtureSpecies.h"
#include "support/LoggedText.h"
#include "support/ShapeSpecies.h"
#include "support/TempDir.h"
#include "utils/fopen_s.h"

namespace {

using namespace dynamics_testing;
using testing_support::TempDir;

constexpr double A = 1e-10;

// Little-endian numbers read back byte by byte.
std::uint64_t le_bytes(const std::string& bytes, std::size_t at, std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t k = 0; k < width; ++k)
        value |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes[at + k])) << (8 * k);
    return value;
}

double le_double(const std::string& bytes, std::size_t at) { return std::bit_cast<double>(le_bytes(bytes, at, 8)); }

std::uint64_t bits(double value) { return std::bit_cast<std::uint64_t>(value); }

// An engine with two species of balls (3 Å apart from each other's
// centres they overlap) in a periodic box, writing to `path`.
class Frames : public ::testing::Test {
protected:
    void SetUp() override {
        add_box(engine, 50 * A);
        add_species(engine, make_shape_species({{{0, 0, 0}, 2 * A}}, {.name = "a"}));
        add_species(engine, make_shape_species({{{0, 0, 0}, 2 * A}}, {.name = "b"}));
        fill_pair_radii(engine);
        engine.collision_stage2 = &PDcalc::collision3D_atoms;
    }

    void open() { engine.trajectory_file = fopen_share(path, "wb+", false, false); }

    TempDir dir;
    std::string path = dir.file("run.trajectory");
    PDcalc engine;
};

// 8 bytes of step, then 101 bytes per instance: species, flags, centre and
// rot row by row, all little-endian.
TEST_F(Frames, LayoutOfAFrame) {
    const double identity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    double turned[3][3];
    turn_3a(turned, identity, 0.3, -1.2, 2.5);
    add_instance(engine, 0, {1 * A, -2 * A, 3 * A}, turned);
    add_instance(engine, 1, {-20 * A, 10 * A, 0.5 * A});
    add_instance(engine, 0, {30 * A, 30 * A, -30 * A});
    engine.prots[1].stopped = true;
    engine.step = 0x0102030405060708;
    open();
    engine.trajectory_save();
    engine.trajectory_file.reset();

    const std::string bytes = testing_support::read_file(path);
    ASSERT_EQ(bytes.size(), 311u);
    EXPECT_EQ(le_bytes(bytes, 0, 8), 0x0102030405060708u);
    for (std::size_t k = 0; k < 3; ++k) {
        SCOPED_TRACE(::testing::Message() << "instance " << k);
        const PROT& p = engine.prots[k];
        const std::size_t at = 8 + 101 * k;
        EXPECT_EQ(le_bytes(bytes, at, 4), static_cast<std::uint64_t>(p.species));
        EXPECT_EQ(static_cast<unsigned char>(bytes[at + 4]), k == 1 ? 2 : 0);
        EXPECT_EQ(bits(le_double(bytes, at + 5)), bits(p.x));
        EXPECT_EQ(bits(le_double(bytes, at + 13)), bits(p.y));
        EXPECT_EQ(bits(le_double(bytes, at + 21)), bits(p.z));
        for (std::size_t e = 0; e < 9; ++e)
            EXPECT_EQ(bits(le_double(bytes, at + 29 + 8 * e)), bits(p.rot[e / 3][e % 3]));
    }
}

// Bit 0: a dock-point contact in the step the frame completes; bit 1:
// stopped; bit 2: colliding with another instance, only while collisions
// are marked, and never for a wall.
TEST_F(Frames, Flags) {
    struct Case {
        const char* what;
        std::int64_t contact_step;
        bool stopped;
        double partner_x;  // ångström; the instance sits at 0
        bool mark;
        std::uint8_t flags;          // of the instance
        std::uint8_t partner_flags;  // of the partner
    };
    const std::vector<Case> cases = {
        {"nothing", -2, false, 20, true, 0, 0},
        {"contact in the completed step", 9, false, 20, true, 1, 0},
        {"contact one step earlier", 8, false, 20, true, 0, 0},
        {"contact stamped with the frame's own step", 10, false, 20, true, 0, 0},
        {"stopped", -2, true, 20, true, 2, 0},
        {"reacted in this step", 9, true, 20, true, 3, 0},
        {"colliding, marked", -2, false, 3, true, 4, 4},
        {"colliding, not marked", -2, false, 3, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        engine.prots.clear();
        add_instance(engine, 0, {0, 0, 0});
        add_instance(engine, 1, {c.partner_x * A, 0, 0});
        engine.prots[0].contact_step = c.contact_step;
        engine.prots[0].stopped = c.stopped;
        engine.prots[0].flags = 0xF8;  // left over from an earlier frame
        engine.prots[1].flags = 0xFF;
        engine.mark_collisions = c.mark;
        engine.step = 10;
        open();
        engine.trajectory_save();
        engine.trajectory_file.reset();

        const std::string bytes = testing_support::read_file(path);
        ASSERT_EQ(bytes.size(), 8u + 2 * 101);
        EXPECT_EQ(static_cast<unsigned char>(bytes[12]), c.flags);
        EXPECT_EQ(static_cast<unsigned char>(bytes[12 + 101]), c.partner_flags);
        EXPECT_EQ(engine.prots[0].flags, c.flags);
        const std::int64_t stamp = c.flags & 4 ? 10 : -2;
        EXPECT_EQ(engine.prots[0].collision_step, stamp);
        EXPECT_EQ(engine.prots[1].collision_step, stamp);
    }
}

TEST_F(Frames, AWallCollisionMarksNothing) {
    engine.model.compartments[0].type = 1;
    add_instance(engine, 0, {49 * A, 0, 0});  // its atom crosses the wall at 50 Å
    engine.mark_collisions = true;
    ASSERT_EQ(engine.collision3D(&engine.prots[0]), -1);
    open();
    engine.trajectory_save();
    engine.trajectory_file.reset();
    const std::string bytes = testing_support::read_file(path);
    ASSERT_EQ(bytes.size(), 109u);
    EXPECT_EQ(bytes[12], 0);
    EXPECT_EQ(engine.prots[0].collision_step, -2);
}

// Frames written by the engine come back from the reader bit for bit,
// whatever the doubles hold, and a tail shorter than a frame is no frame.
TEST_F(Frames, ReadBackBitForBit) {
    const double specials[] = {-0.0,
                               std::numeric_limits<double>::denorm_min(),
                               -std::numeric_limits<double>::max(),
                               std::numeric_limits<double>::infinity(),
                               std::bit_cast<double>(std::uint64_t{0x7FF8DEADBEEF0001}),  // a NaN with a payload
                               1.0 / 3.0,
                               -1e-300,
                               6.02214076e23,
                               12345.678};
    for (int k = 0; k < 3; ++k) add_instance(engine, k % 2, {0, 0, 0});
    open();
    std::vector<trajectory::Frame> written;
    for (int f = 0; f < 4; ++f) {
        for (int k = 0; k < 3; ++k) {
            PROT& p = engine.prots[static_cast<std::size_t>(k)];
            const auto pick = [&](int e) { return specials[static_cast<std::size_t>(f * 7 + k * 5 + e) % 9]; };
            p.x = pick(0);
            p.y = pick(1);
            p.z = pick(2);
            for (int e = 0; e < 9; ++e) p.rot[e / 3][e % 3] = pick(3 + e);
            p.stopped = (f + k) % 2 == 1;
            p.contact_step = f % 2 == 0 ? 41 + f : -2;
        }
        engine.step = 42 + f;
        engine.trajectory_save();
        trajectory::Frame frame;
        frame.step = engine.step;
        for (const PROT& p : engine.prots) {
            trajectory::InstanceState state;
            state.species = p.species;
            state.flags = p.flags;
            state.centre[0] = p.x;
            state.centre[1] = p.y;
            state.centre[2] = p.z;
            std::memcpy(state.rot, p.rot, sizeof state.rot);
            frame.instances.push_back(state);
        }
        written.push_back(frame);
    }

    // The reader follows a file that is still being written; a partial
    // frame at its end does not count.
    trajectory::Reader reader(path, 3);
    ASSERT_TRUE(reader.is_open());
    EXPECT_EQ(reader.frame_size(), 311u);
    EXPECT_EQ(reader.frame_count(), 4u);
    std::fwrite("partial", 1, 7, engine.trajectory_file.get());
    std::fflush(engine.trajectory_file.get());
    EXPECT_EQ(reader.frame_count(), 4u);

    for (std::uint64_t f = 0; f < 4; ++f) {
        SCOPED_TRACE(::testing::Message() << "frame " << f);
        trajectory::Frame frame;
        ASSERT_TRUE(reader.read(f, frame));
        const trajectory::Frame& expected = written[f];
        EXPECT_EQ(frame.step, expected.step);
        ASSERT_EQ(frame.instances.size(), 3u);
        for (std::size_t k = 0; k < 3; ++k) {
            const trajectory::InstanceState& got = frame.instances[k];
            const trajectory::InstanceState& want = expected.instances[k];
            EXPECT_EQ(got.species, want.species);
            EXPECT_EQ(got.flags, want.flags);
            EXPECT_EQ(std::memcmp(got.centre, want.centre, sizeof got.centre), 0);
            EXPECT_EQ(std::memcmp(got.rot, want.rot, sizeof got.rot), 0);
        }
    }
    // The flags were set (not all zero) in some frames.
    EXPECT_EQ(written[0].instances[1].flags, 3);
    trajectory::Frame untouched;
    untouched.step = -7;
    EXPECT_FALSE(reader.read(4, untouched));
    EXPECT_EQ(untouched.step, -7);
}

TEST(TrajectoryReader, FramesOfAnEmptySceneAndMissingFiles) {
    TempDir dir;
    const std::string path = dir.file("empty.trajectory");
    testing_support::write_file(path, std::string("\x01\0\0\0\0\0\0\0\x02\0\0\0\0\0\0\0\x03", 17));
    trajectory::Reader reader(path, 0);
    EXPECT_EQ(reader.frame_count(), 2u);
    trajectory::Frame frame;
    ASSERT_TRUE(reader.read(1, frame));
    EXPECT_EQ(frame.step, 2);
    EXPECT_TRUE(frame.instances.empty());

    trajectory::Reader missing(dir.file("none.trajectory"), 3);
    EXPECT_FALSE(missing.is_open());
    EXPECT_EQ(missing.frame_count(), 0u);
    EXPECT_FALSE(missing.read(0, frame));
}

// A frame that cannot be written is reported and ends the trajectory: later
// frames would no longer start at whole frame sizes.
TEST_F(Frames, AWriteFailureIsReportedAndEndsTheTrajectory) {
    add_instance(engine, 0, {0, 0, 0});
    engine.step = 7;
    engine.trajectory_file.reset(std::fopen("/dev/full", "wb"));
    ASSERT_NE(engine.trajectory_file, nullptr);
    const std::string text = testing_support::logged_text([&] { engine.trajectory_save(); });
    EXPECT_EQ(text,
              "error: failed to write trajectory frame of step 7 (No space left on device); "
              "no further frames are written\n");
    EXPECT_EQ(engine.trajectory_file, nullptr);
    EXPECT_EQ(testing_support::logged_text([&] { engine.trajectory_save(); }), "");
}

}  // namespace

// The reader counts the file it opened: not the one its relative path names
// after the working directory has changed, and the length that file has now
// after it was truncated in place (a new calculation writing it anew).
TEST(TrajectoryReader, CountsItsOwnFileAfterAChangeOfDirectoryAndATruncation) {
    TempDir first, second;
    const std::string frame(8 + 101, 'f');  // frames of one instance
    testing_support::write_file(first.file("run.trajectory"), frame + frame + frame);
    testing_support::write_file(second.file("run.trajectory"), frame);
    const testing_support::CurrentDirGuard back;
    std::filesystem::current_path(first.path());
    trajectory::Reader reader("run.trajectory", 1);
    ASSERT_TRUE(reader.is_open());
    std::filesystem::current_path(second.path());
    EXPECT_EQ(reader.frame_count(), 3u);

    {
        const FilePtr rewritten = fopen_share(first.file("run.trajectory"), "wb+", false, false);
        ASSERT_NE(rewritten, nullptr);
        EXPECT_EQ(reader.frame_count(), 0u);
        const std::string written = frame + "start";  // a frame and the start of the next
        std::fwrite(written.data(), 1, written.size(), rewritten.get());
        std::fflush(rewritten.get());
        EXPECT_EQ(reader.frame_count(), 1u);
        trajectory::Frame read;
        EXPECT_TRUE(reader.read(0, read));
        EXPECT_FALSE(reader.read(1, read));
    }
}
