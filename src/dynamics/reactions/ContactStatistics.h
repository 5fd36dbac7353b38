#pragma once
// Residue contact statistics between two species.
//
// One order for every contact histogram: dimension 0 runs over the residues
// of the species with the lower index, dimension 1 over those of the other
// (a species with itself: its residues twice). PDcalc::residues_in_range
// counts in this order whichever instance it is handed first, and refuses a
// histogram of any other shape, so the pair statistics and a reaction's
// statistics are both made here.
#include <memory>
#include <string>

#include "dynamics/reactions/HISTOGRAM_SAVER.h"
#include "dynamics/species/PROT_CLASS.h"

// The two species in counting order: the one with the lower index first.
struct ContactOrder {
    const PROT_CLASS& first;
    const PROT_CLASS& second;
};

inline ContactOrder contact_order(const PROT_CLASS& s, const PROT_CLASS& t) {
    return t.index < s.index ? ContactOrder{t, s} : ContactOrder{s, t};
}

// A new histogram of residue contacts between s and t, given in either
// order, saved under `name_format` (placeholders of PDcalc::make_filename).
// Registers its counters with the restart file.
std::unique_ptr<HISTOGRAM_SAVER> make_contact_statistics(const PROT_CLASS& s, const PROT_CLASS& t,
                                                         std::string name_format);

// Whether `counts` has the shape of contact statistics of the two species
// in counting order.
bool fits_contact_statistics(const histogram& counts, const ContactOrder& order);
