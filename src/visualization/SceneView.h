#pragma once
// The core of a view of a document, without its window: the camera, playback,
// the renderer on the view's current context, the trajectory frames and the
// memory of the last frame recorded. The window makes its context current,
// calls draw, then swaps buffers (or, while recording, hands the picture to
// the movie).
#include <cstddef>
#include <cstdint>

#include "dynamics/output/TrajectoryReader.h"
#include "visualization/Camera.h"
#include "visualization/DisplaySwitches.h"
#include "visualization/FrameSource.h"
#include "visualization/MovieFrameMemory.h"
#include "visualization/Playback.h"
#include "visualization/SceneDescription.h"
#include "visualization/SceneRenderer.h"

class SceneView {
public:
    // `scene` and `frames` must outlive the view.
    // Playback counts the frames of `frames` unless the callbacks give a
    // count of their own.
    SceneView(const SceneDescription& scene, FrameSource& frames, Playback::Callbacks callbacks);
    SceneView(const SceneView&) = delete;
    SceneView& operator=(const SceneView&) = delete;

    Camera& camera() { return camera_; }
    const Camera& camera() const { return camera_; }
    Playback& playback() { return playback_; }
    const Playback& playback() const { return playback_; }
    MovieFrameMemory& movie_frames() { return movie_frames_; }

    // The drawing target is new (a fresh context, or recording began or
    // ended): the next draw sets up states, lights and lists anew and resets
    // the camera.
    void target_changed() { ready_ = false; }
    // The dialog bar's type list chose visualisation type `type`; with the
    // view's context current.
    void set_type(std::size_t type);
    // Reset camera: looking down the z axis at the scene.
    void reset_camera() { camera_.reset(scene_.box); }

    // Paints the current frame into the current target of width × height
    // pixels: the slider follows the frame, the target is set up when it is
    // new, and a frame with a flag that stops playback stops it.
    void draw(int width, int height, const DisplaySwitches& switches);

    // The step number of the frame last drawn.
    std::int64_t frame_step() const { return frame_step_; }

private:
    const SceneDescription& scene_;
    FrameSource& frames_;
    Camera camera_;
    Playback playback_;
    SceneRenderer renderer_;
    MovieFrameMemory movie_frames_;
    trajectory::Frame frame_;
    std::size_t type_ = 0;
    double scene_size_ = 35.0;  // Å
    std::int64_t frame_step_ = 0;
    bool ready_ = false;
};
