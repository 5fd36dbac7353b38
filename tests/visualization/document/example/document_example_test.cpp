// The example of examples/protease opened in the viewer's document: its
// engine calculates on the document's thread what the engine program
// calculates, byte for byte, and velmesh and the surface cells give every
// species a shape for each visualisation type.
#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <thread>

#include "support/Subprocess.h"
#include "visualization/ShapeFile.h"
#include "visualization/document/DocumentFixture.h"

using namespace document_testing;

namespace {

// A copy of the example with an empty "out"; the viewer finds velmesh where
// the build made it.
class ExampleFolder {
public:
    ExampleFolder() {
        fs::copy(ZELMAR_EXAMPLES "/protease", dir_.path());
        fs::create_directory(out());
        const std::string velmesh_folder = fs::path(VELMESH_PROGRAM).parent_path().string() + "/";
        std::string text = read_file(config());
        text = std::regex_replace(text, std::regex(R"(bin_folder = "[^"]*")"), "bin_folder = \"" + velmesh_folder + "\"");
        write_file(config(), text);
    }
    const fs::path& path() const { return dir_.path(); }
    fs::path out() const { return dir_.path() / "out"; }
    std::string config() const { return dir_.file("protease.cfg"); }

private:
    TempDir dir_;
};

using DocumentExample = DocumentTest;

TEST_F(DocumentExample, CalculatesWhatTheEngineProgramDoesAndShowsEverySpeciesSurface) {
    ExampleFolder engine_folder;
    const auto run = testing_support::run_program({ZELMAR_BINARY_DIR "/src/zelmar/zelmar", "-s", "-c",
                                                   engine_folder.config(), "-l", "zelmar"},
                                                  {engine_folder.path(), false, 600});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string expected = read_file((engine_folder.out() / "trajectory.bin").string());
    const std::size_t frame = 8 + 101 * (8 + 24);
    ASSERT_EQ(expected.size() % frame, 0u);
    const std::uint64_t frames = expected.size() / frame;

    ExampleFolder folder;
    {
        ScriptedAnswers answers({Answer::yes});
        CShowDoc doc(answers.asker());
        ASSERT_TRUE(doc.OnOpenDocument(folder.config())) << log();
        EXPECT_EQ(answers.messages(), std::vector<std::string>{no_trajectory});
        EXPECT_EQ(doc.type_names(), (std::vector<std::string>{"surface", "cells"}));
        ASSERT_EQ(doc.objects().size(), 2u);
        for (std::size_t s = 0; s < 2; ++s) {
            const C3DObject& object = doc.objects()[s];
            EXPECT_GT(object.shapes[0].triangle_count(), 1000u) << s;
            EXPECT_GT(object.shapes[1].triangle_count(), 100u) << s;
            EXPECT_EQ(object.colors.size(), 4u) << s;
            EXPECT_EQ(object.pot_m, 0.3);
        }
        while (doc.calculating()) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(doc.GetFrameCount(), frames);
        std::printf("frames: %llu\n", static_cast<unsigned long long>(frames));
    }
    EXPECT_TRUE(read_file((folder.out() / "trajectory.bin").string()) == expected);
    EXPECT_FALSE(contains(log(), "warning: velmesh")) << log();
    for (const char* name : {"protease.surface", "peptide.surface", "protease.cells", "peptide.cells"}) {
        const ShapeText shape = read_shape_text(read_file((folder.out() / name).string()));
        EXPECT_EQ(shape.problem, "") << name;
    }

    // Opened again, No plays the trajectory back.
    ScriptedAnswers answers({Answer::no});
    CShowDoc doc(answers.asker());
    ASSERT_TRUE(doc.OnOpenDocument(folder.config()));
    EXPECT_EQ(answers.messages(), std::vector<std::string>{trajectory_found});
    EXPECT_FALSE(doc.calculating());
    EXPECT_EQ(doc.GetFrameCount(), frames);
}

}  // namespace
