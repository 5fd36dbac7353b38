// Residue contact histograms: their one shape and their files per experiment.
#include "dynamics/reactions/ContactStatistics.h"

#include <utility>

#include "dynamics/PDcalc.h"
#include "utils/Log.h"

std::unique_ptr<HISTOGRAM_SAVER> make_contact_statistics(const PROT_CLASS& s, const PROT_CLASS& t,
                                                         std::string name_format) {
    const ContactOrder order = contact_order(s, t);
    const int bins[2] = {order.first.residues_n, order.second.residues_n};
    return std::make_unique<HISTOGRAM_SAVER>(2, bins, std::move(name_format));
}

bool fits_contact_statistics(const histogram& counts, const ContactOrder& order) {
    // A species without residues still has one bin per dimension, which
    // nothing counts into.
    const auto bins = [](const PROT_CLASS& s) {
        return s.residues_n < 1 ? std::int64_t{1} : static_cast<std::int64_t>(s.residues_n);
    };
    return counts.dimension_count() == 2 && counts.bin_count(0) == bins(order.first) &&
           counts.bin_count(1) == bins(order.second);
}

void PDcalc::histogram_init(HISTOGRAM_SAVER* saver) {
    if (saver == nullptr) return;
    saver->reset();
    histogram_name(saver);
}

void PDcalc::histogram_name(HISTOGRAM_SAVER* saver) {
    if (saver == nullptr) return;
    saver->file_name = make_filename(saver->name_format, out_folder);
    if (!saver->file_name)
        LOG_ERROR("failed to make filename");
    else
        LOG_MESSAGE("writing %s ...", saver->file_name->c_str());
}
