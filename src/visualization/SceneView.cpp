#include "visualization/SceneView.h"

#include <GL/gl.h>

#include <utility>

namespace {

// Playback counts the view's frames unless told otherwise.
Playback::Callbacks counting(Playback::Callbacks callbacks, FrameSource& frames) {
    if (!callbacks.frame_count) callbacks.frame_count = [&frames] { return frames.frame_count(); };
    return callbacks;
}

}  // namespace

SceneView::SceneView(const SceneDescription& scene, FrameSource& frames, Playback::Callbacks callbacks)
    : scene_(scene), frames_(frames), playback_(counting(std::move(callbacks), frames)) {}

void SceneView::set_type(std::size_t type) {
    type_ = type;
    if (ready_) renderer_.build_display_lists(scene_, type_);
}

void SceneView::draw(int width, int height, const DisplaySwitches& switches) {
    playback_.show_position();
    if (!ready_) {
        scene_size_ = scene_.box.size();
        camera_.reset(scene_.box);
        renderer_.set_up(scene_, type_);
        ready_ = true;
    }
    renderer_.set_camera(width, height, camera_.projection(width, height, scene_size_, switches.fly_mode));

    const trajectory::Frame* shown = nullptr;
    if (frames_.frame_count() > 0 && frames_.read(static_cast<std::uint64_t>(playback_.frame()), frame_)) {
        frame_step_ = frame_.step;
        shown = &frame_;
    }
    if (renderer_.draw(scene_, shown, switches).stop_playback) playback_.stop();
    glFlush();
}
