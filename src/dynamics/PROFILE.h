#pragma once
// The model of a simulation: compartments, species, species pairs and
// reactions, each with its name-to-index map.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "dynamics/CLASS_PAIR.h"
#include "dynamics/reactions/REACTION.h"
#include "dynamics/scene/PROT.h"
#include "dynamics/species/PROT_CLASS.h"
#include "utils/geometry/COMPARTMENT.h"

struct PROFILE {
    std::int32_t compartments_n = 0;
    std::vector<COMPARTMENT> compartments;
    std::map<std::string, std::int32_t> compartment_index;

    std::int32_t species_n = 0;
    std::vector<PROT_CLASS> species;  // in the order of the "Species" subsections
    std::map<std::string, std::int32_t> species_index;

    // (species_n + 1) × species_n records: the ordered pair of species a and
    // b is record (a + 1) × species_n + b. The first species_n records hold
    // zero ranges and no reactions; an instance tested against itself uses
    // them, so nothing fires for it.
    std::vector<CLASS_PAIR> pairs;

    std::int32_t reactions_n = 0;  // 0 when reactions are off
    std::vector<REACTION> reactions;
    std::map<std::string, std::int32_t> reaction_index;
};

// Index of the pair record of species a and b.
inline std::size_t pair_index(const PROFILE& model, std::int32_t a, std::int32_t b) {
    return static_cast<std::size_t>(a + 1) * static_cast<std::size_t>(model.species_n) + static_cast<std::size_t>(b);
}

// The pair record for instance p against instance q: record
// (q.species + 1) × species_n + p.species, or record p.species when p and q
// are the same instance.
inline std::size_t pair_index(const PROFILE& model, const PROT& p, const PROT& q) {
    if (&p == &q) return static_cast<std::size_t>(p.species);
    return pair_index(model, q.species, p.species);
}

inline CLASS_PAIR& pair_of(PROFILE& model, const PROT& p, const PROT& q) { return model.pairs[pair_index(model, p, q)]; }
inline const CLASS_PAIR& pair_of(const PROFILE& model, const PROT& p, const PROT& q) {
    return model.pairs[pair_index(model, p, q)];
}
