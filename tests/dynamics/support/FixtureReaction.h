#pragma once
// A bimolecular reaction built in code for tests of dock points, events and
// contacts: its section in a configuration tree of the test's own, its
// reactants, partner arrays for every instance of the engine, and its filing
// under the species pair as the preparation does it.
#include <cstdint>
#include <string>
#include <vector>

#include "dynamics/PDcalc.h"
#include "utils/config/RootSection.h"

namespace dynamics_testing {

// The "points" entries of a reaction section: each a list of up to seven
// numbers (distance, then a point of each reactant, ångström).
inline void set_points(Section& reaction, const std::vector<std::vector<double>>& entries) {
    for (std::size_t k = 0; k < entries.size(); ++k)
        reaction.SetDoubles(entries[k].data(), static_cast<int>(entries[k].size()),
                            ("points.p" + std::to_string(k + 1)).c_str());
}

// Adds reaction `name` of species r0 and r1 to the engine, with its section
// under "Reactions" in `root`. The reaction array keeps its place (pair
// records point into it) for up to 8 reactions.
inline REACTION& add_reaction(PDcalc& engine, RootSection& root, const std::string& name, std::int32_t r0,
                              std::int32_t r1) {
    PROFILE& model = engine.model;
    if (model.reactions.capacity() < 8) model.reactions.reserve(8);
    if (model.reactions.size() == 8) throw std::logic_error("fixture reactions: at most 8");
    REACTION& r = model.reactions.emplace_back();
    r.section = root.CreateSection(("Reactions." + name).c_str());
    r.order = 2;
    r.reactants = {&model.species[static_cast<std::size_t>(r0)], &model.species[static_cast<std::size_t>(r1)]};
    r.partner.assign(2, std::vector<std::int32_t>(static_cast<std::size_t>(engine.prots_n), -1));
    r.N0 = std::min(r.reactants[0]->N, r.reactants[1]->N);
    r.volume = engine.model.compartments.at(static_cast<std::size_t>(r.reactants[0]->compartment)).volume;
    model.reactions_n = static_cast<std::int32_t>(model.reactions.size());
    model.reaction_index[name] = model.reactions_n - 1;
    return r;
}

// Files every reaction under its species pair, as the loop finds them:
// record (reactant 1 + 1) × species_n + reactant 0.
inline void file_reactions(PDcalc& engine) {
    PROFILE& model = engine.model;
    for (CLASS_PAIR& pair : model.pairs) pair.reactions.clear();
    for (REACTION& r : model.reactions) {
        CLASS_PAIR& pair = model.pairs[pair_index(model, r.reactants[1]->index, r.reactants[0]->index)];
        pair.reactions.push_back(&r);
    }
    for (CLASS_PAIR& pair : model.pairs) pair.reactions_n = static_cast<std::int32_t>(pair.reactions.size());
}

// The reaction part of one step of the loop: every ordered pair of distinct
// instances within the pair's dock distance runs the dock-point test of each
// of its reactions; the step counter advances.
inline void reaction_step(PDcalc& engine) {
    PROFILE& model = engine.model;
    for (std::int32_t i = 0; i < engine.active_n; ++i)
        for (std::int32_t j = 0; j < engine.active_n; ++j) {
            if (i == j) continue;
            PROT& p = engine.prots[static_cast<std::size_t>(i)];
            PROT& q = engine.prots[static_cast<std::size_t>(j)];
            const PROT_CLASS& s = model.species[static_cast<std::size_t>(p.species)];
            const double d2 = getDistance2(p, q, engine.compartment_of(s));
            CLASS_PAIR& pair = pair_of(model, p, q);
            for (REACTION* r : pair.reactions)
                if (pair.dock2 > d2) engine.dockpoints_test(r, p, q, false);
        }
    ++engine.step;
}

}  // namespace dynamics_testing
