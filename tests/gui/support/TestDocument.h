#pragma once
// A document made in code for the window tests: species of cubes (one mesh
// per visualisation type), a trajectory file written from frames, and a
// count of its closes.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gui/ShowDocument.h"
#include "visualization/support/Scenes.h"

namespace gui_testing {

struct TestDocumentSpec {
    std::string path = "test.cfg";
    std::vector<std::string> types = {"surface"};
    // Species 0: a red cube of 30 Å; species 1: a green cube of 20 Å (one
    // mesh per type, the cube growing by 10 Å with each type).
    std::size_t instances = 2;
    std::vector<visualization_testing::TestFrame> frames;
    std::vector<std::string>* closed = nullptr;  // the paths of documents closed
};

// `count` frames with species 0 at the origin and species 1 moving along
// x; frame `dock` (when given) carries the contact flag.
std::vector<visualization_testing::TestFrame> moving_frames(int count, int dock = -1);

class TestDocument : public ShowDocument {
public:
    // The trajectory goes to `trajectory_path`.
    TestDocument(TestDocumentSpec spec, std::string trajectory_path);

    std::string path() const override { return spec_.path; }
    const SceneDescription& scene() const override { return scene_; }
    std::vector<std::string> type_names() const override { return spec_.types; }
    std::uint64_t frame_count() override { return frames_.frame_count(); }
    FrameSource& frames() override { return frames_; }
    void close() override {
        ++closes;
        if (spec_.closed != nullptr) spec_.closed->push_back(spec_.path);
    }

    int closes = 0;

private:
    TestDocumentSpec spec_;
    std::vector<C3DObjectMovable> objects_;
    SceneDescription scene_;
    TrajectoryFrames frames_;
};

}  // namespace gui_testing
