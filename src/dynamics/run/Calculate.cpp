// The run: this process's experiments, each restored from its restart file
// or placed afresh, then stepped until its step count, a reaction's stop
// count or an interrupt ends it.
#include <string>

#include "dynamics/PDcalc.h"
#include "dynamics/ProcessGlobals.h"
#include "utils/Format.h"
#include "utils/Log.h"
#include "utils/backup/backup.h"

namespace {

constexpr const char* separator = "--------------------------------";

}  // namespace

void PDcalc::calculate() {
    if (!calc_kin) return;
    backup::add(&step, sizeof step, __FILE__, __LINE__);
    backup::init_complete();
    placement_random.seed(static_cast<unsigned>(random_seed));

    while (experiment_pending() && running_flag.load()) {
        run_experiment();
        next_experiment();
    }
    LOG_MESSAGE("Calculation complete");
}

bool PDcalc::restore_or_place() {
    const char* restart = config ? config->GetString(format("Files.recover.exp_%d", experiment_index).c_str())
                                 : nullptr;
    if (restart == nullptr) {
        step = 0;
        scene_prepare();
        return false;
    }
    LOG_MESSAGE("restoring system state from %s", restart);
    backup::read(restart);
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
        if (step >= NT || !running_flag.load()) finish_flag = true;
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
