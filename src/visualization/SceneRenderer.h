#pragma once
// Draws a document's scene with OpenGL 1.1 on whatever context is current:
// one display list per species and colouring mode, the scene box, two
// lights, and a trajectory frame with every instance placed by its recorded
// position and rotation. The whole camera lives in the projection matrix;
// the model-view matrix carries only the placements of the instances.
//
// Display lists belong to the context they were made on and go with it; the
// renderer only numbers them (display_list, FramePlan.h). Call its methods
// while that context is current.
#include <cstddef>

#include "dynamics/output/TrajectoryReader.h"
#include "visualization/Camera.h"
#include "visualization/DisplaySwitches.h"
#include "visualization/FramePlan.h"
#include "visualization/SceneDescription.h"

class SceneRenderer {
public:
    // The states and lights of a fresh context, then the display lists of
    // visualisation type `type`.
    void set_up(const SceneDescription& scene, std::size_t type);
    // The display lists anew for visualisation type `type` (the meshes
    // shapes[type]; a species without that mesh draws nothing).
    void build_display_lists(const SceneDescription& scene, std::size_t type);
    // Deletes the display lists made so far.
    void release();

    // The viewport and the projection (the whole camera). In a selection
    // pass the pick matrix already loaded is kept.
    void set_camera(int width, int height, const CameraProjection& projection, bool selection = false) const;

    // Clears and draws `frame` (none: an empty trajectory, only the box).
    // The plan says whether the frame stops playback.
    FramePlan draw(const SceneDescription& scene, const trajectory::Frame* frame,
                   const DisplaySwitches& switches) const;

private:
    unsigned lists_ = 0;  // lists 1 .. lists_ are in use
};
