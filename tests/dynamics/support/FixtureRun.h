#pragma once
// A whole simulation built in code as the preparation builds it from a
// configuration: fixture species in one box, their pair records, the
// instance array and reactions, every restart block registered in the
// preparation's order, and a configuration tree of its own for the keys the
// run reads ("Files.trajectory", "Files.recover.exp_N", the reactions'
// "savefile"). Tests then call calculate().
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "dynamics/PDcalc.h"
#include "dynamics/reactions/ContactStatistics.h"
#include "dynamics/support/FixtureReaction.h"
#include "dynamics/support/FixtureSpecies.h"
#include "utils/backup/backup.h"
#include "utils/config/RootSection.h"

namespace dynamics_testing {

struct RunSpecies {
    std::string name;
    std::int32_t N = 0;
    bool move = true;
    POINT3D field{0.0, 0.0, 0.0};  // the uniform gradient of its potential grid, V/m
};

struct RunReaction {
    std::string name;
    std::int32_t r0 = 0;
    std::int32_t r1 = 1;
    double range = 0;  // ångström: centre-to-centre dock distance
    double p = 1;
};

struct RunOptions {
    std::string folder;  // runtime, output and trajectory folder, with its trailing '/'
    double halfsize = 3e-9;
    std::int32_t box_type = 0;
    std::vector<RunSpecies> species = {{"fixture", 4, true}};
    std::vector<RunReaction> reactions;
    std::int64_t seed = 4711;
    std::int64_t NT = 10;
    std::int64_t save_interval = 5;
    std::int64_t trajectory_save_interval = 5;
    double time_step = 1e-10;  // s
    bool trajectory = true;
    // Residue contact range (ångström); above 0, the pair of species 0 and 1
    // keeps contact statistics in the file "contacts.txt".
    double contact_range = 0;
};

// The configuration tree of a fixture engine (owned by the engine).
inline RootSection& configuration(PDcalc& engine) { return dynamic_cast<RootSection&>(*engine.config); }

// Builds the model of `options` into a fresh engine, registering the
// restart blocks as the preparation does.
inline void build_run(PDcalc& engine, const RunOptions& options) {
    backup::reset();
    engine.config = std::make_unique<RootSection>("run", false);
    RootSection& root = configuration(engine);
    engine.runtime_folder = engine.out_folder = engine.vis_folder = options.folder;
    engine.claim_restart_registry();
    engine.rng = std::make_unique<RngStream>("ecuyer");
    engine.rng->SetEngineSeed(options.seed);
    engine.random_seed = options.seed;
    engine.calc_kin = true;
    engine.NT = options.NT;
    engine.save_interval = options.save_interval;
    engine.trajectory_save_interval = options.trajectory_save_interval;
    engine.TimeStep = options.time_step;
    engine.collision_stage1 = &PDcalc::collision3D_spheres;
    if (options.trajectory) root.SetString("trajectory.bin", "Files.trajectory");

    add_box(engine, options.halfsize, options.box_type);
    for (const RunSpecies& s : options.species) {
        PROT_CLASS species = make_fixture_species({.name = s.name, .field = s.field});
        species.N = s.N;
        species.move = s.move;
        add_species(engine, std::move(species));
    }
    PROFILE& model = engine.model;
    for (auto& species : model.species) backup::add(&species.reserved, sizeof species.reserved, __FILE__, __LINE__);
    if (options.contact_range > 0) {
        engine.residue_contact_range = options.contact_range * 1e-10;
        engine.residue_contact_range2 = engine.residue_contact_range * engine.residue_contact_range;
        CLASS_PAIR& pair = model.pairs[pair_index(model, 1, 0)];
        pair.stats = make_contact_statistics(model.species[1], model.species[0], "contacts.txt");
    }
    for (std::int32_t i = 0; i < model.species_n; ++i)
        for (std::int32_t j = 0; j < model.species_n; ++j) {
            const PROT_CLASS& a = model.species[static_cast<std::size_t>(i)];
            const PROT_CLASS& b = model.species[static_cast<std::size_t>(j)];
            CLASS_PAIR& pair = model.pairs[pair_index(model, i, j)];
            const double cutoff = engine.A * 1e-10 + a.r_max + b.r_max;
            pair.cutoff2 = cutoff * cutoff;
            pair.outer2 = std::pow(a.r_outer + b.r_outer, 2);
            pair.inner2 = std::pow(a.r_inner + b.r_inner, 2);
            if (pair.stats) pair.contact2 = std::pow(engine.residue_contact_range + a.r_outer + b.r_outer, 2);
        }

    std::int32_t instances = 0;
    for (const PROT_CLASS& s : model.species) instances += s.N;
    engine.prots.assign(static_cast<std::size_t>(instances), PROT{});
    engine.prots_n = instances;
    backup::add(engine.prots.data(), static_cast<unsigned long>(engine.prots.size() * sizeof(PROT)), __FILE__,
                __LINE__);

    model.reactions.reserve(8);
    for (const RunReaction& r : options.reactions) {
        REACTION& reaction = add_reaction(engine, root, r.name, r.r0, r.r1);
        reaction.p = r.p;
        backup::add(&reaction.events, sizeof reaction.events, __FILE__, __LINE__);
        backup::add(&reaction.contacts, sizeof reaction.contacts, __FILE__, __LINE__);
        for (auto& partner : reaction.partner)
            backup::add(partner.data(), static_cast<unsigned long>(partner.size() * sizeof(std::int32_t)), __FILE__,
                        __LINE__);
        set_points(*reaction.section, {{r.range}});
        reaction.section->SetString("*", "savefile");
        engine.read_points(reaction);
    }
    // Mirrored dock distances and statistics, as the preparation's copy of
    // each record.
    for (std::int32_t i = 0; i < model.species_n; ++i)
        for (std::int32_t j = 0; j < i; ++j) {
            const CLASS_PAIR& from = model.pairs[pair_index(model, i, j)];
            CLASS_PAIR& to = model.pairs[pair_index(model, j, i)];
            to.dock2 = from.dock2;
            to.stats = from.stats;
            to.contact2 = from.contact2;
        }
    file_reactions(engine);
}

}  // namespace dynamics_testing
