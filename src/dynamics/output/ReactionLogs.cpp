// The reaction logs of an experiment: one line per state save with the
// simulated time, the events so far and the apparent rate constant.
#include <cinttypes>
#include <cmath>
#include <cstdio>

#include "dynamics/PDcalc.h"
#include "dynamics/reactions/IntegratedRateLaw.h"
#include "utils/CLocaleScope.h"
#include "utils/Log.h"
#include "utils/fopen_s.h"

namespace {

constexpr const char* reaction_log_format = "%s.%%1$d.%%2$s-%%3$lu.log";
constexpr const char* reaction_log_header = "t\tn\tk\n";

// Whether the open file holds nothing yet.
bool empty_file(std::FILE* file) {
    if (std::fseek(file, 0, SEEK_END) != 0) return false;
    return std::ftell(file) == 0;
}

}  // namespace

void PDcalc::open_reaction_logs(bool restored) {
    for (REACTION& reaction : model.reactions) {
        reaction.log.reset();
        const auto name = make_reaction_filename(reaction, "savefile", reaction_log_format, std::nullopt);
        if (!name) {
            LOG_WARNING("no output file for reaction specified");
        } else {
            // A restored experiment goes on with the log it had.
            reaction.log =
                restored ? fopen_share(*name, "a+", false, true) : fopen_share(*name, "w+", no_overwrite, true);
            if (!reaction.log) {
                LOG_ERROR("failed to open output file %s", name->c_str());
            } else {
                LOG_MESSAGE("writing reaction log to %s", name->c_str());
                std::setvbuf(reaction.log.get(), nullptr, _IONBF, 0);
                // Every log starts with its header, also a restored
                // experiment's log that was made anew. A restored log that
                // goes on already ends with the line of the restart step,
                // written by the save that made the restart file.
                reaction.logged_step = -1;
                if (empty_file(reaction.log.get()))
                    std::fputs(reaction_log_header, reaction.log.get());
                else if (restored)
                    reaction.logged_step = step;
            }
        }
        if (reaction.contact_stats) {
            if (restored)
                histogram_name(reaction.contact_stats.get());
            else
                histogram_init(reaction.contact_stats.get());
        }
    }
}

void PDcalc::write_reaction_log_line(REACTION& reaction) {
    if (!reaction.log || reaction.logged_step == step) return;
    reaction.logged_step = step;
    const double t = static_cast<double>(step) * TimeStep;
    std::FILE* log = reaction.log.get();
    const CLocaleScope c_numbers;  // a table for programs: '.' whatever the process's locale
    std::fprintf(log, "%e\t%" PRId32, t, reaction.events);
    // Not written before the first event (0, or not a number at time 0).
    const double k = integrated_rate_constant(reaction, t);
    if (k > 0) std::fprintf(log, "\t%e", k);
    std::fputs("\n", log);
}
