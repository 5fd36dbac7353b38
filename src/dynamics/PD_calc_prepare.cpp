// Preparation: a configuration file turned into a ready model on the engine
// object, and the process's terminate and interrupt handlers.
//
// The steps run in a fixed order, which is also the order in which the
// restart blocks are registered: folders, restart folder, no-overwrite
// switch, random stream and seed, calculation switches and collision stages,
// physics, charge rules at the pH, time step and step count, compartments,
// species with their pair statistics, instances, reactions, and the filing
// of each bimolecular reaction under its species pair.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <limits>
#include <new>
#include <string>

#include "dynamics/PDcalc.h"
#include "dynamics/ProcessGlobals.h"
#include "dynamics/output/OutputPattern.h"
#include "dynamics/reactions/ContactStatistics.h"
#include "dynamics/reactions/ReactionRules.h"
#include "utils/Format.h"
#include "utils/Log.h"
#include "utils/backup/backup.h"
#include "utils/config/ConfCreate.h"
#include "utils/par/Par.h"
#include "utils/platform/Paths.h"
#include "utils/platform/Process.h"
#include "utils/platform/Signals.h"
#include "winfault/FaultReporter.h"

// ---- handlers ------------------------------------------------------------------

[[noreturn]] void catch_global() {
    try {
        if (const std::exception_ptr in_flight = std::current_exception()) std::rethrow_exception(in_flight);
        LOG_ERROR("Abnormal program termination");
    } catch (const std::exception& e) {
        LOG_ERROR("Exception: %s", e.what());
    } catch (...) {
        LOG_ERROR("Unknown exception");
    }
    std::exit(1);
}

void signal_callback_handler(int /*signal*/) {
    if (!delayed_ctrl_c_processing.load()) return;
    platform::signal_safe_error("Exiting...\n");
    running_flag.store(false);
}

namespace {

constexpr double angstrom = 1e-10;
constexpr const char* separator = "--------------------------------";

void install_handlers() {
    std::set_terminate(catch_global);
    if (!platform::install_interrupt_handlers(signal_callback_handler))
        LOG_WARNING("interrupt handlers not installed: an interrupt ends the program at once");
}

void log_process() {
    if constexpr (par::available)
        LOG_MESSAGE("Zelmar (MPICH) build %s %s", __DATE__, __TIME__);
    else
        LOG_MESSAGE("Zelmar build %s %s", __DATE__, __TIME__);
    LOG_MESSAGE("process %d of %d", processorID, numberOfProcessors);
    LOG_MESSAGE("process PID = %lu", platform::process_id());
    if (const auto folder = platform::current_directory()) LOG_MESSAGE("running in %s", folder->c_str());
}

std::unique_ptr<Config> open_configuration(const std::string& path) {
    SConfigParams params;
    params.mode = ConfMode::read;
    params.reset_defaults = 0;
    params.var_map = {{'C', "Common"}, {'M', format("MPI.Process_%d", processorID)}};
    params.var_order = numberOfProcessors > 1 ? "MC" : "EC";
    return ConfCreate(path.c_str(), &params);
}

// The number of subsections of a section the model cannot do without; -1,
// after an error is logged, when the configuration has no such section.
int required_sections(const Section& root, const char* name) {
    const int n = root.GetSecNum(name);
    if (n < 0) LOG_ERROR("the configuration has no \"%s\" section", name);
    return n;
}

// The stream of this process's random numbers. Processes sharing a folder
// take the stream of their rank. A process working alone in its rank folder
// is process 0 of 1; with a seed from the clock it takes the stream of its
// rank in the job, so that processes started in the same second still draw
// differently.
int random_stream_number(bool seed_from_clock) {
    if (numberOfProcessors > 1) return processorID;
    std::int32_t rank = 0;
    if (seed_from_clock && par::initialized() && par::rank(rank) == 0) return rank;
    return 0;
}

bool seed_random_stream(PDcalc& engine) {
    long seed = 0;
    engine.config->GetLong(seed, "Calculation.random_seed");
    const bool from_clock = seed == 0;
    if (from_clock) seed = static_cast<long>(std::time(nullptr));
    const int stream = random_stream_number(from_clock);
    if (stream > 0)
        LOG_MESSAGE("random seed: %ld, stream %d", seed, stream);
    else
        LOG_MESSAGE("random seed: %ld", seed);
    // The process-wide generator of the random placement differs per stream.
    engine.random_seed = static_cast<std::int64_t>(seed) + stream;
    const std::string problem = engine.rng->SetEngineSeed(seed, stream);
    if (problem.empty()) return true;
    LOG_ERROR("random seed %ld cannot seed the random stream: %s", seed, problem.c_str());
    return false;
}

// A setting that must be above zero; false after an error is logged.
template <class T>
bool positive(T value, const char* key) {
    if (value > 0) return true;
    LOG_ERROR("\"%s\" must be positive", key);
    return false;
}

bool read_calculation_settings(PDcalc& engine) {
    Section& root = *engine.config;
    root.GetInt(engine.experiment_count, "Calculation.EXP_NUM");
    root.GetDouble(engine.min_charge, "Calculation.min_charge");
    long save_interval = static_cast<long>(engine.save_interval);
    root.GetLong(save_interval, "Calculation.save_interval");
    engine.save_interval = save_interval;
    long trajectory_interval = static_cast<long>(engine.trajectory_save_interval);
    root.GetLong(trajectory_interval, "Calculation.trajectory_save_interval");
    engine.trajectory_save_interval = trajectory_interval;
    double h = 2.0;
    root.GetDouble(h, "Calculation.h");
    engine.h = h * angstrom;
    root.GetBool(engine.EF_Trans, "Calculation.EF_Trans");
    root.GetBool(engine.EF_Rotate, "Calculation.EF_Rotate");
    root.GetBool(engine.calc_kin, "Calculation.calc_kin");
    root.GetBool(engine.interaction, "Calculation.interaction");
    return positive(engine.save_interval, "Calculation.save_interval") &&
           positive(engine.trajectory_save_interval, "Calculation.trajectory_save_interval") &&
           positive(engine.h, "Calculation.h");
}

char first_letter(const char* text) {
    return text != nullptr ? static_cast<char>(std::toupper(static_cast<unsigned char>(text[0]))) : '\0';
}

void choose_collision_stages(PDcalc& engine) {
    Section& root = *engine.config;
    const char* stage1 = root.GetString("Calculation.collision.stage1");
    engine.collision_stage1 = nullptr;
    engine.collision_stage2 = nullptr;
    switch (stage1 != nullptr ? first_letter(stage1) : 'S') {
        case 'S':
            engine.collision_stage1 = &PDcalc::collision3D_spheres;
            LOG_MESSAGE("spheres collision detection enabled");
            break;
        case 'C':
            engine.collision_stage1 = &PDcalc::collision3D_surface;
            LOG_MESSAGE("surface cells collision detection enabled");
            root.GetBool(engine.surface_outer, "Calculation.collision.surface_outer");
            break;
        case 'R':
            engine.collision_stage1 = &PDcalc::collision3D_residues;
            LOG_MESSAGE("residues collision detection enabled");
            return;  // atoms are the residues test's own second look
        default: break;
    }
    if (first_letter(root.GetString("Calculation.collision.stage2")) == 'A') {
        engine.collision_stage2 = &PDcalc::collision3D_atoms;
        LOG_MESSAGE("atoms collision detection enabled");
    }
}

bool read_physics(PDcalc& engine) {
    Section& root = *engine.config;
    root.GetDouble(engine.A, "Physics.A");
    root.GetDouble(engine.T, "Physics.T");
    root.GetDouble(engine.v, "Physics.v");
    root.GetDouble(engine.I, "Physics.I");
    root.GetDouble(engine.solvent_r, "Physics.solvent_r");
    root.GetDouble(engine.VdW_r, "Physics.VdW_r");
    double range = 0.0;
    root.GetDouble(range, "Calculation.contacts.residue_contact_range");
    engine.residue_contact_range = range * angstrom;
    engine.residue_contact_range2 = engine.residue_contact_range * engine.residue_contact_range;
    root.GetDouble(engine.pH, "Physics.pH");
    return positive(engine.T, "Physics.T");
}

// The screening constant of the potential solver at the ionic strength and
// temperature.
void compute_screening(PDcalc& engine) {
    const double divisor = engine.T == 0.0 ? 7.358252850000001e-11 : 7.358252850000001e-11 * engine.T;
    engine.kappa2 = 1.861882970565096e-10 * engine.I / divisor;
}

bool read_time_step(PDcalc& engine) {
    Section& root = *engine.config;
    double picoseconds = 1.0;
    root.GetDouble(picoseconds, "Calculation.TimeStep");
    engine.TimeStep = picoseconds * 1e-12;
    long steps = static_cast<long>(engine.NT);
    root.GetLong(steps, "Calculation.NT");
    engine.NT = steps;
    return positive(engine.TimeStep, "Calculation.TimeStep");
}

// ---- species pairs -------------------------------------------------------------

// The contacts section of species i and j (i ≥ j): "Calculation.contacts.I_J",
// or for two different species "Calculation.contacts.J_I".
Section* contacts_section(Section& root, const PROT_CLASS& si, const PROT_CLASS& sj) {
    const auto named = [&root](const PROT_CLASS& first, const PROT_CLASS& second) {
        return root.GetSection(format("Calculation.contacts.%s_%s", first.name.c_str(), second.name.c_str()).c_str(), -1);
    };
    Section* section = named(si, sj);
    if (section == nullptr && si.index != sj.index) section = named(sj, si);
    return section;
}

void fill_pair_ranges(const PDcalc& engine, CLASS_PAIR& pair, const PROT_CLASS& si, const PROT_CLASS& sj) {
    const double cutoff = engine.A * angstrom + si.r_max + sj.r_max;
    const double outer = si.r_outer + sj.r_outer;
    const double inner = si.r_inner + sj.r_inner;
    pair.cutoff2 = cutoff * cutoff;
    pair.outer2 = outer * outer;
    pair.inner2 = inner * inner;
}

// The contact statistics of the pair, its native contacts and their
// statistics, as its contacts section asks.
void prepare_pair_contacts(PDcalc& engine, CLASS_PAIR& pair, PROT_CLASS& si, PROT_CLASS& sj) {
    Section* contacts = contacts_section(*engine.config, si, sj);
    if (contacts == nullptr) return;
    const std::string names = si.name + "_" + sj.name;

    if (engine.residue_contact_range > 0) {
        if (auto pattern = output_pattern(contacts, "statistics", "%s.contacts.%%1$d.%%2$s-%%3$lu.txt", names)) {
            pair.stats = make_contact_statistics(si, sj, std::move(*pattern));
            const double contact = engine.residue_contact_range + si.r_outer + sj.r_outer;
            pair.contact2 = contact * contact;
        }
    }

    std::optional<std::string> distance_file;
    if (const auto pattern = output_pattern(contacts, "distance_field", "%s.pdb_distance.txt", names))
        distance_file = engine.make_filename(*pattern, engine.out_folder);
    engine.residues_distance_map(&si, &sj, distance_file);

    if (pair.native_n > 0) {
        if (auto pattern = output_pattern(contacts, "native", "%s.native.%%1$d.%%2$s-%%3$lu.txt", names)) {
            const int bins[1] = {pair.native_n};
            pair.native_stats = std::make_shared<HISTOGRAM_SAVER>(1, bins, std::move(*pattern));
        }
    }
}

// Reads every species and fills the pair records of each with those before
// it; returns the number of instances, or -1 after an error.
long prepare_species(PDcalc& engine) {
    PROFILE& model = engine.model;
    const int n = required_sections(*engine.config, "Species");
    if (n < 0) return -1;
    model.species_n = n;
    // Sized once: every species registers a block by its address.
    model.species = std::vector<PROT_CLASS>(static_cast<std::size_t>(n));
    model.pairs = std::vector<CLASS_PAIR>(static_cast<std::size_t>(n + 1) * static_cast<std::size_t>(n));

    long instances = 0;
    for (int i = 0; i < n; ++i) {
        PROT_CLASS& si = model.species[static_cast<std::size_t>(i)];
        engine.init_prot(si, engine.config->GetSection("Species", i));
        model.species_index[si.name] = i;
        si.index = i;
        instances += si.N;
        for (int j = 0; j <= i; ++j) {
            PROT_CLASS& sj = model.species[static_cast<std::size_t>(j)];
            CLASS_PAIR& pair = model.pairs[pair_index(model, i, j)];
            fill_pair_ranges(engine, pair, si, sj);
            prepare_pair_contacts(engine, pair, si, sj);
        }
    }
    // The drift's working storage, once, for the largest charge list.
    std::size_t charges = 0;
    for (const PROT_CLASS& s : model.species) charges = std::max(charges, s.charges.size());
    engine.drift_scratch.reserve(charges);
    return instances;
}

bool prepare_instances(PDcalc& engine, long instances) {
    if (instances < 0 || instances > std::numeric_limits<std::int32_t>::max()) {
        LOG_ERROR("the species ask for %ld instances in all", instances);
        return false;
    }
    engine.prots_n = static_cast<std::int32_t>(instances);
    // One restart block: the array is never resized.
    engine.prots = std::vector<PROT>(static_cast<std::size_t>(instances), PROT{});
    if (!engine.prots.empty())
        backup::add(engine.prots.data(), static_cast<unsigned long>(engine.prots.size() * sizeof(PROT)), __FILE__,
                    __LINE__);
    engine.pair_scan.reserve(engine.prots.size(), static_cast<std::size_t>(engine.model.species_n),
                             engine.model.compartments.size());
    return true;
}

// ---- reactions ----------------------------------------------------------------

// The species named `name`, the first in index order; null when none is.
PROT_CLASS* species_named(PROFILE& model, const char* name) {
    for (PROT_CLASS& s : model.species)
        if (s.name == name) return &s;
    return nullptr;
}

bool read_reactants(PDcalc& engine, REACTION& reaction) {
    Section& section = *reaction.section;
    const int order = section.GetSecNum("reactants");
    reaction.order = order > 0 ? order : 0;
    reaction.reactants.assign(static_cast<std::size_t>(reaction.order), nullptr);
    reaction.partner.assign(static_cast<std::size_t>(reaction.order), {});
    reaction.N0 = std::numeric_limits<std::int32_t>::max();
    reaction.stop = std::numeric_limits<std::int32_t>::max();
    reaction.volume = std::numeric_limits<double>::infinity();
    backup::add(&reaction.events, sizeof reaction.events, __FILE__, __LINE__);
    backup::add(&reaction.contacts, sizeof reaction.contacts, __FILE__, __LINE__);

    for (int m = 0; m < reaction.order; ++m) {
        const Section* entry = section.GetSection("reactants", m);
        const char* name = entry != nullptr ? entry->GetString("") : nullptr;
        PROT_CLASS* species = name != nullptr ? species_named(engine.model, name) : nullptr;
        if (species == nullptr) {
            LOG_ERROR("unknown reactant %s", name != nullptr ? name : "");
            return false;
        }
        const auto slot = static_cast<std::size_t>(m);
        reaction.reactants[slot] = species;
        reaction.partner[slot].assign(static_cast<std::size_t>(engine.prots_n), -1);
        if (!reaction.partner[slot].empty())
            backup::add(reaction.partner[slot].data(),
                        static_cast<unsigned long>(reaction.partner[slot].size() * sizeof(std::int32_t)), __FILE__,
                        __LINE__);
        if (const COMPARTMENT* c = engine.compartment_of(*species))
            reaction.volume = std::min(reaction.volume, c->volume);
        reaction.N0 = std::min(reaction.N0, species->N);
    }
    return true;
}

void prepare_reaction_contacts(PDcalc& engine, REACTION& reaction, const char* name) {
    if (reaction.order != 2 || engine.residue_contact_range <= 0) return;
    Section* contacts = reaction.section->GetSection("contacts", -1);
    if (contacts == nullptr) return;
    if (auto pattern = output_pattern(contacts, "statistics", "%s.reaction_contacts.%%1$d.%%2$s-%%3$lu.txt", name))
        reaction.contact_stats = make_contact_statistics(*reaction.reactants[0], *reaction.reactants[1],
                                                         std::move(*pattern));
}

bool prepare_reactions(PDcalc& engine) {
    PROFILE& model = engine.model;
    if (!engine.interaction) return true;
    const int n = required_sections(*engine.config, "Reactions");
    if (n < 0) return false;
    model.reactions_n = n;
    // Sized once: every reaction registers blocks by their addresses.
    model.reactions = std::vector<REACTION>(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k) {
        REACTION& reaction = model.reactions[static_cast<std::size_t>(k)];
        reaction.section = engine.config->GetSection("Reactions", k);
        reaction.log.reset();
        reaction.contacts = 0;
        if (reaction.section == nullptr) continue;
        const char* shown = reaction.section->GetName("", -1);
        const std::string name = shown != nullptr ? shown : "";
        LOG_MESSAGE("reading reaction %s", name.c_str());
        model.reaction_index[name] = k;
        if (!read_reactants(engine, reaction)) return false;
        engine.read_points(reaction);
        read_reaction_rules(reaction);
        prepare_reaction_contacts(engine, reaction, name.c_str());
    }
    return true;
}

// Both orders of every pair of different species hold the same record, and
// so share its statistics.
void mirror_pairs(PROFILE& model) {
    for (int i = 0; i < model.species_n; ++i)
        for (int j = 0; j < i; ++j) model.pairs[pair_index(model, j, i)] = model.pairs[pair_index(model, i, j)];
}

// Files every bimolecular reaction under the ordered pair whose instances
// the step loop tests in the reactants' order: an instance of reactant 0's
// species against one of reactant 1's.
void file_reactions(PROFILE& model) {
    for (CLASS_PAIR& pair : model.pairs) {
        pair.reactions_n = 0;
        pair.reactions.clear();
        pair.reactions.reserve(static_cast<std::size_t>(model.reactions_n));
    }
    for (REACTION& reaction : model.reactions) {
        if (reaction.order != 2) continue;
        CLASS_PAIR& pair = model.pairs[pair_index(model, reaction.reactants[1]->index, reaction.reactants[0]->index)];
        pair.reactions.push_back(&reaction);
        pair.reactions_n += 1;
    }
}

}  // namespace

// ---- the preparation ----------------------------------------------------------

void PDcalc::read_file_prefix(Section& root) {
    const auto folder = [&root](const char* key) {
        const char* value = root.GetString(key);
        return std::string(value != nullptr ? value : "./");
    };
    in_folder = folder("Files.in_folder");
    out_folder = folder("Files.out_folder");
    vis_folder = folder("Files.vis_folder");
    runtime_folder = folder("Files.runtime_folder");
    bin_folder = folder("Files.bin_folder");
    for (char& c : bin_folder)
        if (c == '\\') c = '/';
}

bool PDcalc::prepare(const std::string& config_path) {
    winfault::install_fault_reporter(__FILE__, __LINE__);
    install_handlers();
    log_process();
    LOG_MESSAGE("configuration file %s", config_path.c_str());

    config = open_configuration(config_path);
    if (!config) {
        LOG_ERROR("Failed to open configuration file \"%s\"", config_path.c_str());
        // A file that opened but did not parse: its errors are listed above.
        if (const int errors = ConfErrorCount(); errors > 0)
            LOG_ERROR("configuration file \"%s\" could not be parsed: %d error(s)", config_path.c_str(), errors);
        return false;
    }
    read_file_prefix(*config);
    claim_restart_registry();
    config->GetBool(no_overwrite, "Files.no_overwrite");
    rng = std::make_unique<RngStream>("ecuyer");
    if (!seed_random_stream(*this)) return false;
    if (!read_calculation_settings(*this)) return false;
    choose_collision_stages(*this);
    if (!read_physics(*this)) return false;
    charge_calc();
    compute_screening(*this);
    if (!read_time_step(*this)) return false;

    if (required_sections(*config, "Compartments") < 0) return false;
    LOG_MESSAGE("%s", separator);
    geometry_init();
    LOG_MESSAGE("%s", separator);

    const long instances = prepare_species(*this);
    if (instances < 0 || !prepare_instances(*this, instances)) return false;
    if (!prepare_reactions(*this)) return false;
    mirror_pairs(model);
    file_reactions(model);
    return true;
}
