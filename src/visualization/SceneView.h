#pragma once
// The core of a view of a document, without its window: the camera, playback,
// the renderer on the view's current context, the trajectory frames and the
// memory of the last frame recorded, and its AVI recording. The window makes
// its context current, calls draw, then swaps buffers, recording or not.
//
// Recording, as the window wires it:
//   Record AVI      recording() ? stop_recording()
//                               : start_recording(path from the save dialog,
//                                                 codec dialog, client size);
//                   then redraw
//   its menu check  recording()
//   document close, exit, terminate signal: stop_recording() (from the window
//                   thread); destroying the view finishes the movie as well
// Messages go to the callback given at construction (ViewRecorder.h).
#include <cstddef>
#include <cstdint>
#include <string>

#include "dynamics/output/TrajectoryReader.h"
#include "visualization/Camera.h"
#include "visualization/DisplaySwitches.h"
#include "visualization/FrameSource.h"
#include "visualization/MovieFrameMemory.h"
#include "visualization/Playback.h"
#include "visualization/SceneDescription.h"
#include "visualization/SceneRenderer.h"
#include "visualization/ViewRecorder.h"
#include "visualization/movie/CodecChooser.h"

class MovieTarget;

class SceneView {
public:
    // `scene` and `frames` must outlive the view.
    // Playback counts the frames of `frames` unless the callbacks give a
    // count of their own. Recording's messages go to `message` (none: the
    // log).
    SceneView(const SceneDescription& scene, FrameSource& frames, Playback::Callbacks callbacks,
              RecordingMessage message = {});
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
    // While recording the picture is drawn off-screen at the movie's size,
    // appended when its trajectory frame is not the one appended last, and
    // copied to the top-left corner of the target that was bound (the
    // window); a width × height other than the recording's client size ends
    // the recording first, and the draw goes to the target as usual.
    void draw(int width, int height, const DisplaySwitches& switches);

    // Record AVI while not recording (ViewRecorder::start): `chooser` picks
    // the codec, then `path` is created; the movie's frames are
    // movie_frame_size(client size). False, told, when it did not start.
    // Needs no current context; the first frame is appended by the next draw.
    // The draw that starts recording, and the first draw after it, set the
    // target up anew (target_changed: the camera is reset).
    bool start_recording(const std::string& path, movie::CodecChooser& chooser, int client_width,
                         int client_height);
    // Ends the recording and finishes the file (nothing when not recording).
    void stop_recording();
    bool recording() const { return recorder_.recording(); }

    // The step number of the frame last drawn.
    std::int64_t frame_step() const { return frame_step_; }

private:
    // The picture of width × height pixels into the target bound now.
    void paint(int width, int height, const DisplaySwitches& switches);
    // One draw of the recording into `target`, appended when it is due.
    void draw_for_movie(const MovieTarget& target, const DisplaySwitches& switches);
    // Draws go to the movie's target (true) or the window's: a change of
    // target sets it up anew.
    void use_target(bool movie);

    const SceneDescription& scene_;
    FrameSource& frames_;
    Camera camera_;
    Playback playback_;
    SceneRenderer renderer_;
    MovieFrameMemory movie_frames_;
    ViewRecorder recorder_;
    trajectory::Frame frame_;
    std::size_t type_ = 0;
    double scene_size_ = 35.0;  // Å
    std::int64_t frame_step_ = 0;
    bool ready_ = false;
    bool drawn_for_movie_ = false;  // whether the last draw went to the movie's target
};
