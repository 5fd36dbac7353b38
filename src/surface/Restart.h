#pragma once
// Restarts after a failed stage: the spheres around the faces with problems
// grow a little and the stages run again, all under one attempt counter.
#include "surface/RunState.h"

namespace velmesh {

inline constexpr float kRadiusGrowth = 0.1f;

// Marks the spheres of every SES face with a problem mark, then grows every
// marked sphere by 0.1 (reporting it) and clears its mark.
void enlarge_marked_radii(RunState& run);

// Whether faces that fail to triangulate start another attempt: restarts
// are on, also for the triangulation, and attempts are left.
inline bool restart_follows_triangulation(const RunState& run) {
    return run.restart && run.restart_on_triangulation && run.attempt < run.max_attempts;
}

// Frees the per-sphere data, the reduced surface, the triangulation tables
// and the SES, and resets the spheres for a fresh reduced surface.
void release_for_restart(RunState& run);

}  // namespace velmesh
