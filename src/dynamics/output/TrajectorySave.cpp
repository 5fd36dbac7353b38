// One frame of the running experiment's trajectory.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "dynamics/PDcalc.h"
#include "dynamics/output/TrajectoryFormat.h"
#include "utils/Log.h"

namespace {

trajectory::InstanceState frame_state(const PROT& p) {
    trajectory::InstanceState state;
    state.species = p.species;
    state.flags = p.flags;
    state.centre[0] = p.x;
    state.centre[1] = p.y;
    state.centre[2] = p.z;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) state.rot[i][j] = p.rot[i][j];
    return state;
}

}  // namespace

void PDcalc::trajectory_save() {
    if (!trajectory_file) return;
    const auto scene = static_cast<std::size_t>(active_n);

    for (std::size_t k = 0; k < scene; ++k) prots[k].flags = 0;
    for (std::size_t k = 0; k < scene; ++k) {
        PROT& p = prots[k];
        // The loop has already counted the step in which the contact was
        // recorded.
        if (p.contact_step == step - 1) p.flags |= trajectory::flag_contact;
        if (p.stopped) p.flags |= trajectory::flag_stopped;
        if (mark_collisions) {
            const int hit = collision3D(&p);
            if (hit > 0) {  // another instance; a wall marks nothing
                PROT& q = prots[static_cast<std::size_t>(hit - 1)];
                p.flags |= trajectory::flag_collision;
                q.flags |= trajectory::flag_collision;
                p.collision_step = step;
                q.collision_step = step;
            }
        }
    }

    std::FILE* file = trajectory_file.get();
    unsigned char step_bytes[trajectory::step_bytes];
    trajectory::encode_step(step, step_bytes);
    bool written = std::fwrite(step_bytes, 1, sizeof step_bytes, file) == sizeof step_bytes;
    unsigned char instance_bytes[trajectory::instance_bytes];
    for (std::size_t k = 0; written && k < scene; ++k) {
        trajectory::encode_instance(frame_state(prots[k]), instance_bytes);
        written = std::fwrite(instance_bytes, 1, sizeof instance_bytes, file) == sizeof instance_bytes;
    }
    if (written) written = std::fflush(file) == 0;
    if (written) return;

    // Frames after a lost one would no longer start at multiples of the
    // frame size; the run goes on without the trajectory, as when it
    // cannot be opened.
    const int error = errno;
    LOG_ERROR("failed to write trajectory frame of step %ld (%s); no further frames are written",
              static_cast<long>(step), std::strerror(error));
    trajectory_file.reset();
}
