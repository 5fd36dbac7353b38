// The engine object's construction and destruction, and its random draws.
#include <cmath>
#include <stdexcept>

#include "dynamics/PDcalc.h"
#include "dynamics/ProcessGlobals.h"
#include "utils/Log.h"
#include "utils/backup/backup.h"

namespace {

constexpr double two_pi = 6.283185307179586;

const char* section_name(const Section* section) {
    const char* name = section != nullptr ? section->GetName("", -1) : nullptr;
    return name != nullptr ? name : "[unknown]";
}

}  // namespace

PDcalc::PDcalc()
    : experiment_count(numberOfProcessors),
      experiment_stride(numberOfProcessors),
      experiment_index(processorID + 1) {}

PDcalc::~PDcalc() {
    if (interaction) {
        for (const REACTION& reaction : model.reactions) {
            LOG_MESSAGE("Reaction %s, %ld events", section_name(reaction.section),
                        static_cast<long>(reaction.contacts));
            int number = 0;
            for (const DOCKPOINT& point : reaction.points)
                LOG_MESSAGE("distance %d\t%e; min = %e", ++number, std::sqrt(point.range2),
                            std::sqrt(point.min_dist2));
        }
    }
    // Both orders of a pair share their statistics; they go with the last
    // record that holds them.
    for (CLASS_PAIR& pair : model.pairs) pair.stats.reset();
    LOG_MESSAGE("Done.");
    model.compartment_index.clear();
    model.species_index.clear();
    model.reaction_index.clear();
}

void PDcalc::claim_restart_registry() {
    backup::make_current(restart_registry);
    backup::init(runtime_folder.c_str());
}

double PDcalc::uniform_rand() {
    if (!rng) throw std::logic_error("random numbers drawn before the random stream was created");
    return rng->RandU01();
}

double PDcalc::normal_rand(double mean, double variance) {
    double u1 = uniform_rand();
    while (u1 == 0.0) u1 = uniform_rand();
    const double u2 = uniform_rand();
    return mean + std::sqrt(variance) * std::sqrt(-2.0 * std::log(u1)) * std::cos(two_pi * u2);
}
