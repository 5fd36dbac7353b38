#pragma once
// One reaction between protein species: its reactants, dock points,
// probability and counts, and the reaction log of the running experiment.
//
// `events`, `contacts`, every `partner` array and every dock point's
// `min_dist2` are restart blocks registered by their addresses, so the
// reaction array is allocated once and never resized, and a reaction's
// arrays are sized once when it is read.
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "dynamics/reactions/DOCKPOINT.h"
#include "dynamics/reactions/HISTOGRAM_SAVER.h"
#include "utils/File.h"

class Section;
struct PROT_CLASS;

struct REACTION {
    std::int32_t order = 0;                   // number of reactants; only 2 is simulated
    std::vector<PROT_CLASS*> reactants;       // the reactant species, reactant 0 first
    // Per reactant, indexed by PROT::index: the instance it reacted with, or
    // -1 while unreacted.
    std::vector<std::vector<std::int32_t>> partner;
    Section* section = nullptr;               // the reaction's configuration section (not owned)
    FilePtr log;                              // reaction log of the running experiment, or none
    std::int32_t points_n = 0;                // number of dock points
    std::int32_t points_required = 0;         // dock points that must be within range
    std::vector<DOCKPOINT> points;
    double p = 0;                             // probability that a contact becomes an event
    std::int32_t N0 = std::numeric_limits<std::int32_t>::max();    // smallest N among the reactants
    std::int32_t stop = std::numeric_limits<std::int32_t>::max();  // events that finish the experiment
    double volume = std::numeric_limits<double>::infinity();       // smallest reactant compartment volume, m³
    std::int32_t events = 0;                  // events in the running experiment
    std::int64_t contacts = 0;                // dock-point contacts so far; numbers the structure dumps
    std::unique_ptr<HISTOGRAM_SAVER> contact_stats;  // residue contacts at contact time, or none
    // Step of the last line in the log: a restored experiment goes on with
    // a log that already holds the line of its restart step.
    std::int64_t logged_step = -1;
};
