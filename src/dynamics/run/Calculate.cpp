// The run: this process's experiments, each restored from its restart file
// or placed afresh, then stepped until its step count, a reaction's stop
// count, a stop request or an interrupt ends it.
#include <optional>
#include <string>

#include "dynamics/PDcalc.h"
#include "dynamics/ProcessGlobals.h"
#include "dynamics/output/TrajectoryWriters.h"
#include "utils/Format.h"
#include "utils/Log.h"
#include "utils/backup/backup.h"

namespace {

constexpr const char* separator = "--------------------------------";

}  // namespace

void PDcalc::calculate() {
    if (!calc_kin) return;
    // Another calculation of this process writing the same trajectory would
    // interleave its frames with ours.
    std::optional<trajectory::WriterClaim> trajectory_claim;
    if (processorID == 0) {
        if (const auto path = trajectory_path()) {
            trajectory_claim = trajectory::WriterClaim::take(*path);
            if (!trajectory_claim) {
                LOG_ERROR("trajectory %s is already being written by another calculation; this calculation does "
                          "not run",
                          path->c_str());
                return;
            }
        }
    }
    const backup::scope restart_blocks(restart_registry);
    backup::add(&step, sizeof step, __FILE__, __LINE__);
    backup::init_complete();
    placement_random.seed(static_cast<unsigned>(random_seed));

    while (experiment_pending() && running_flag.load() && !stop_requested()) {
        run_experiment();
        next_experiment();
    }
    LOG_MESSAGE("Calculation complete");
}

bool PDcalc::restore_or_place() {
    const char* recover = config ? config->GetString(format("Files.recover.exp_%d", experiment_index).c_str())
                                 : nullptr;
    if (recover == nullptr) {
        step = 0;
        scene_prepare();
        return false;
    }
    const std::string restart = anchored(recover);
    LOG_MESSAGE("restoring system state from %s", restart.c_str());
    backup::read(restart.c_str());
    LOG_MESSAGE("successfully restored at step %lld", static_cast<long long>(step));
    active_n = prots_n;
    return true;
}

void PDcalc::run_experiment() {
    LOG_MESSAGE("Calculation %d of %d", experiment_index, experiment_count);
    finish_flag = false;
    const bool restored = restore_or_place();
    open_reaction_logs(restored);
    prepare_pair_statistics(restored);
    if (processorID == 0) open_trajectory(restored);

    LOG_MESSAGE("Model run");
    LOG_MESSAGE("%s", separator);
    delayed_ctrl_c_processing = true;
    if (trajectory_file) trajectory_save();
    save_state(false);

    while (step < NT) {
        frame_due = false;
        step_instances();
        step += 1;
        if (step >= NT || !running_flag.load() || stop_requested()) finish_flag = true;
        const bool finishing = finish_flag.load();
        if (trajectory_file && (finishing || frame_due || step % trajectory_save_interval == 0)) trajectory_save();
        if (finishing || step % save_interval == 0) {
            save_state(finishing);
            if (finishing) break;
        }
    }

    for (REACTION& reaction : model.reactions) reaction.log.reset();
    active_n = 0;
    trajectory_file.reset();
    LOG_MESSAGE("%s", separator);
}
