#pragma once
// One ordered pair of species (a, b): the squared ranges within which the
// step loop tests its instances against each other, the bimolecular
// reactions filed under it and its residue contact statistics. The two
// orders of a pair are copies of one record and share its statistics.
#include <cstdint>
#include <memory>
#include <vector>

#include "dynamics/reactions/HISTOGRAM_SAVER.h"

struct REACTION;

struct CLASS_PAIR {
    double cutoff2 = 0;   // (A·1e-10 + r_max(a) + r_max(b))²: range of the electrostatic interaction, m²
    double inner2 = 0;    // (r_inner(a) + r_inner(b))², m²
    double outer2 = 0;    // (r_outer(a) + r_outer(b))², m²
    double dock2 = 0;     // squared distance within which the pair's reactions are tested, m²
    double contact2 = 0;  // (residue_contact_range + r_outer(a) + r_outer(b))², m²; 0 without statistics
    std::int32_t reactions_n = 0;       // bimolecular reactions filed under this ordered pair
    std::vector<REACTION*> reactions;   // those reactions (not owned)
    std::shared_ptr<HISTOGRAM_SAVER> stats;  // residue-residue contact statistics, or none
    // One byte per residue pair, in the cell order of the residue distance
    // map: 1 where the residue pair is a native contact.
    std::vector<std::uint8_t> native;
    std::int32_t native_n = 0;                      // number of native contacts
    std::shared_ptr<HISTOGRAM_SAVER> native_stats;  // statistics of native contacts, or none
};
