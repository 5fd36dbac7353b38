#include "surface/input/SphereAreas.h"

#include <algorithm>

namespace velmesh {

SphereAreas::Entry& SphereAreas::entry(int component) {
    // Components are computed in order: the newest entry is nearly always
    // the one wanted, or the next.
    if (!entries_.empty() && entries_.back().component == component) return entries_.back();
    const auto at = std::lower_bound(entries_.begin(), entries_.end(), component,
                                     [](const Entry& e, int c) { return e.component < c; });
    if (at != entries_.end() && at->component == component) return *at;
    return *entries_.insert(at, Entry{component});
}

const SphereAreas::Entry* SphereAreas::find(int component) const {
    const auto at = std::lower_bound(entries_.begin(), entries_.end(), component,
                                     [](const Entry& e, int c) { return e.component < c; });
    return at != entries_.end() && at->component == component ? &*at : nullptr;
}

double SphereAreas::total_ses() const {
    double sum = 0;
    for (const Entry& e : entries_) sum += e.ses;
    return sum;
}

double SphereAreas::total_sas() const {
    double sum = 0;
    for (const Entry& e : entries_) sum += e.sas;
    return sum;
}

}  // namespace velmesh
