#include "dynamics/species/SpeciesKeys.h"

#include <limits>

#include "dynamics/PDcalc.h"
#include "utils/Log.h"
#include "utils/backup/backup.h"

namespace {

// A gradient threshold: the key's value when positive, else none.
double gradient_setting(const Section& section, const char* key) {
    double value = 0.0;
    section.GetDouble(value, key);
    return value > 0.0 ? value : std::numeric_limits<double>::infinity();
}

std::int32_t compartment_index(const PDcalc& engine, const PROT_CLASS& species) {
    const char* name = species.section->GetString("compartment");
    if (name == nullptr) {
        LOG_ERROR("no compartment for %s specified", species.name.c_str());
        throw "compartment not specified";
    }
    const auto found = engine.model.compartment_index.find(name);
    if (found == engine.model.compartment_index.end()) {
        LOG_ERROR("unknown compartment %s for %s", name, species.name.c_str());
        throw "unknown compartment";
    }
    return found->second;
}

}  // namespace

void read_species_keys(PDcalc& engine, PROT_CLASS& species, Section* section) {
    species.section = section;
    species.iterations = 500;
    species.N = 0;
    species.reserved = 0;
    const char* name = section->GetName("", -1);
    species.name = name != nullptr ? name : "[unknown]";
    LOG_MESSAGE("reading protein %s", species.name.c_str());
    section->GetInt(species.N, "N");
    backup::add(&species.reserved, sizeof species.reserved, __FILE__, __LINE__);
    if (engine.config) engine.config->GetInt(species.iterations, "Calculation.N");
    species.compartment = compartment_index(engine, species);
    species.move = true;
    section->GetBool(species.move, "move");
    species.max_grad = gradient_setting(*section, "max_grad");
    species.limit_grad = gradient_setting(*section, "limit_grad");
}
