#include "gui/support/TestDocument.h"

#include <utility>

namespace gui_testing {

using namespace visualization_testing;

std::vector<TestFrame> moving_frames(int count, int dock) {
    std::vector<TestFrame> frames;
    for (int i = 0; i < count; ++i) {
        TestFrame frame;
        frame.step = 100 * i;
        frame.instances.push_back(instance_at(0, 0, 0, 0));
        frame.instances.push_back(
            instance_at(1, -60 + 10.0 * i, 0, 0, i == dock ? trajectory::flag_contact : std::uint8_t{0}));
        frames.push_back(frame);
    }
    return frames;
}

TestDocument::TestDocument(TestDocumentSpec spec, std::string trajectory_path)
    : spec_(std::move(spec)), frames_(trajectory_path, spec_.instances) {
    write_trajectory(trajectory_path, spec_.frames);
    const Rgba colours[2] = {rgba(1, 0, 0), rgba(0, 1, 0)};
    for (int s = 0; s < 2; ++s) {
        C3DObjectMovable object;
        object.colors = {colours[s]};
        for (std::size_t t = 0; t < spec_.types.size(); ++t)
            object.shapes.push_back(cube(30.0 - 10.0 * s + 10.0 * static_cast<double>(t)));
        objects_.push_back(std::move(object));
    }
    scene_.box = SceneBox{-80, 80, -80, 80, -80, 80};
    for (const auto& object : objects_) scene_.species.push_back(SpeciesLook{&object, {}});
    scene_.instances = spec_.instances;
}

}  // namespace gui_testing
