// The contact statistics of the species pairs at the start of an experiment
// and at every state save. Both orders of a pair share one record's
// statistics, so each pair is taken once: the records of species a with
// species b for a ≤ b.
#include "dynamics/PDcalc.h"

namespace {

template <class Visit>
void for_each_species_pair(PROFILE& model, Visit visit) {
    for (std::int32_t b = 0; b < model.species_n; ++b)
        for (std::int32_t a = 0; a <= b; ++a) visit(model.pairs[pair_index(model, b, a)]);
}

}  // namespace

void PDcalc::prepare_pair_statistics(bool restored) {
    // A restored experiment keeps the counts it had.
    for_each_species_pair(model, [&](CLASS_PAIR& pair) {
        for (HISTOGRAM_SAVER* saver : {pair.stats.get(), pair.native_stats.get()}) {
            if (saver == nullptr) continue;
            if (restored)
                histogram_name(saver);
            else
                histogram_init(saver);
        }
    });
}

void PDcalc::save_pair_statistics() {
    const bool first = step == 0;
    for_each_species_pair(model, [&](CLASS_PAIR& pair) {
        if (pair.stats && pair.stats->file_name) pair.stats->save(pair.stats->file_name->c_str(), first, false);
        if (pair.native_stats && pair.native_stats->file_name)
            pair.native_stats->save(pair.native_stats->file_name->c_str(), first, true);
    });
}
