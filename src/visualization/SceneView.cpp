#include "visualization/SceneView.h"

#include <GL/gl.h>

#include <optional>
#include <utility>

#include "visualization/GlError.h"
#include "visualization/MovieTarget.h"

namespace {

// Playback counts the view's frames unless told otherwise.
Playback::Callbacks counting(Playback::Callbacks callbacks, FrameSource& frames) {
    if (!callbacks.frame_count) callbacks.frame_count = [&frames] { return frames.frame_count(); };
    return callbacks;
}

}  // namespace

SceneView::SceneView(const SceneDescription& scene, FrameSource& frames, Playback::Callbacks callbacks,
                     RecordingMessage message)
    : scene_(scene),
      frames_(frames),
      playback_(counting(std::move(callbacks), frames)),
      recorder_(std::move(message)) {}

void SceneView::set_type(std::size_t type) {
    type_ = type;
    if (ready_) renderer_.build_display_lists(scene_, type_);
}

bool SceneView::start_recording(const std::string& path, movie::CodecChooser& chooser, int client_width,
                                int client_height) {
    if (recording()) return true;
    movie_frames_.forget();
    return recorder_.start(path, chooser, client_width, client_height);
}

void SceneView::stop_recording() { recorder_.stop(); }

void SceneView::draw(int width, int height, const DisplaySwitches& switches) {
    if (recorder_.recording() && recorder_.keeps_client_size(width, height)) {
        std::optional<MovieTarget> target;
        try {
            target.emplace(recorder_.frame_size());
        } catch (const GlError& error) {
            recorder_.abandon(error.what());
        }
        if (target) {
            draw_for_movie(*target, switches);
            target->show(width, height);
            return;
        }
    }
    movie_frames_.forget();
    use_target(false);
    paint(width, height, switches);
}

void SceneView::draw_for_movie(const MovieTarget& target, const DisplaySwitches& switches) {
    use_target(true);
    const movie::FrameSize size = recorder_.frame_size();
    paint(size.width, size.height, switches);
    const std::int64_t shown = playback_.frame();
    if (movie_frames_.due(shown) && recorder_.append(target.read())) movie_frames_.appended(shown);
}

void SceneView::use_target(bool movie) {
    if (movie == drawn_for_movie_) return;
    drawn_for_movie_ = movie;
    target_changed();
}

void SceneView::paint(int width, int height, const DisplaySwitches& switches) {
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
