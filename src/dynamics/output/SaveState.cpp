// The periodic progress output of the step loop: the progress line, the
// reaction logs, the histograms and the restart file.
#include "dynamics/PDcalc.h"
#include "utils/Log.h"
#include "utils/backup/backup.h"

void PDcalc::save_state(bool final) {
    LOG_MESSAGE("%lld of %lld steps completed", static_cast<long long>(step), static_cast<long long>(NT));
    for (REACTION& reaction : model.reactions) {
        write_reaction_log_line(reaction);
        const HISTOGRAM_SAVER* stats = reaction.contact_stats.get();
        if (stats != nullptr && stats->file_name) stats->save(stats->file_name->c_str(), step == 0, false);
    }
    save_pair_statistics();
    // An ordinary save's file is replaced by the next one; the final one stays.
    backup::write(!final, static_cast<long>(step));
}
