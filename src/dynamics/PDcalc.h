#pragma once
// The engine object: one simulation, from its configuration to its results.
//
// One PDcalc holds a whole simulation: its settings, its model (compartments,
// species, species pairs, reactions, protein instances), its configuration
// tree, its random stream and its open trajectory file. Its life: construct
// (defaults), prepare (read the configuration and build the model),
// calculate (run this process's experiments), destroy (log the reaction
// counts).
//
// The members are defined in the files of their area:
//   PD_calc_create.cpp     constructor, destructor, random draws
//   PD_calc_prepare.cpp    preparation, terminate and interrupt handlers
//   PD_folders.cpp         output file names
//   species/               structure and charge files, charges at pH, grids, shapes, set-up
//   scene/                 compartments, placement, motion, collisions, electrostatic drift
//   reactions/             reactions, dock points, residue contacts
//   run/                   the experiments and the time step
//   output/                trajectory, reaction logs, statistics, state saves
//
// Only the viewer touches an engine object from a second thread: it sets
// `finish_flag` to stop a running calculation.
#include <atomic>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "dynamics/PROFILE.h"
#include "dynamics/reactions/ContactScratch.h"
#include "dynamics/run/PairScan.h"
#include "dynamics/scene/DriftCharges.h"
#include "utils/File.h"
#include "utils/config/Section.h"
#include "utils/geometry/POINT3D.h"
#include "utils/random/RngStream.h"

class PDcalc {
public:
    // A narrow collision test between two instances: nonzero on overlap.
    using CollisionTest = int (PDcalc::*)(PROT* p, PROT* q);

    // Reads processorID and numberOfProcessors as they are now.
    PDcalc();
    // Logs the reaction counts and "Done.".
    ~PDcalc();
    PDcalc(const PDcalc&) = delete;
    PDcalc& operator=(const PDcalc&) = delete;

    // ---- run ----------------------------------------------------------------

    // Reads the configuration and builds the model; false after an error
    // has been logged.
    bool prepare(const std::string& config_path);

    // Runs this process's experiments.
    void calculate();

    // ---- the run (run/) ---------------------------------------------------------

    // One experiment: restored or placed, stepped, its outputs closed.
    void run_experiment();
    // Restores the experiment from its restart file ("Files.recover.exp_%d")
    // or places the scene afresh at step 0; true for a restore.
    bool restore_or_place();
    // One time step of every instance in the scene, in array order.
    void step_instances();
    // The step of instance i within step_instances: pair tests against
    // every other instance, then drift plus Brownian motion with collision
    // handling, then the periodic wrap.
    void instance_step(std::int32_t i);

    // Experiment numbering: this process runs experiment_index, then
    // experiment_index + experiment_stride, ... while the number is at most
    // experiment_count.
    bool experiment_pending() const { return experiment_index <= experiment_count; }
    void next_experiment() { experiment_index += experiment_stride; }

    // ---- random draws (PD_calc_create.cpp) ------------------------------------

    // The next uniform number of the stream, in (0, 1).
    double uniform_rand();
    // A normal deviate by the Box-Muller method (cosine branch): two uniform
    // numbers a call, more only when the first is exactly 0.
    double normal_rand(double mean, double variance);

    // ---- output file names (PD_folders.cpp) -----------------------------------

    // `pattern` filled with the experiment number, the local date and time and
    // the process id, placed in `folder` (runtime_folder when none). None,
    // after an error is logged, when the pattern holds anything but those
    // placeholders and "%%".
    std::optional<std::string> make_filename(std::string_view pattern,
                                             std::optional<std::string_view> folder = std::nullopt) const;
    // The file named by the text of `key` in the species' (reaction's)
    // configuration section; none when the key is missing. A value beginning
    // with '*' stands for `default_format` filled with the species' (the
    // reaction section's) name, when a default is given.
    std::optional<std::string> make_prot_filename(const PROT_CLASS& species, const char* key,
                                                  std::optional<std::string_view> default_format,
                                                  std::optional<std::string_view> folder) const;
    std::optional<std::string> make_reaction_filename(const REACTION& reaction, const char* key,
                                                      std::optional<std::string_view> default_format,
                                                      std::optional<std::string_view> folder) const;

    // The compartment of a species; null (open space) when its index names
    // none.
    const COMPARTMENT* compartment_of(const PROT_CLASS& species) const {
        const auto index = static_cast<std::size_t>(species.compartment);
        return species.compartment >= 0 && index < model.compartments.size() ? &model.compartments[index] : nullptr;
    }

    // ---- preparation (PD_calc_prepare.cpp) ------------------------------------
    void read_file_prefix(Section& root);

    // Starts the process's restart registry afresh for this engine
    // (backup::init with runtime_folder). The destructor clears the registry
    // again, unless another engine has claimed it since: its blocks live in
    // this object.
    void claim_restart_registry();

    // ---- species (species/) ---------------------------------------------------
    void init_prot(PROT_CLASS& species, Section* section);
    // Reads the species' structure in its body frame and, unless told not to
    // (a read whose frame is about to change), writes the structure in that
    // frame ("pdb_out").
    void pdb_read(PROT_CLASS& species, bool write_structure = true);
    void residue_build_r(PROT_CLASS& species, RESIDUE& residue, int last);
    // Fills charge_rules for pH.
    void charge_calc();
    bool read_eps(PROT_CLASS& species);
    void eps_calc(PROT_CLASS& species);
    void prot_electrostatics(PROT_CLASS& species);
    bool read_pot(PROT_CLASS& species, const std::optional<std::string>& name);
    void pot_calc(PROT_CLASS& species, const std::optional<std::string>& name);
    void prot_geometry(PROT_CLASS& species);
    bool read_spheres(PROT_CLASS& species);
    void spheres_gen(PROT_CLASS& species);
    void surf_points(PROT_CLASS& species);

    // ---- scene (scene/) -------------------------------------------------------
    void geometry_init();
    void scene_prepare();
    // -1: p crosses a wall; k + 1: p collides with instance k; 0: free.
    int collision3D(PROT* p);
    int collision3D(PROT* p, PROT* q);
    int collision3D_spheres(PROT* p, PROT* q);
    int collision3D_surface(PROT* p, PROT* q);
    int collision3D_residues(PROT* p, PROT* q);
    int collision3D_atoms(PROT* p, PROT* q);
    void prot_move(PROT& p, POINT3D& d, POINT3D& w);
    // Adds q's electrostatic drift of p for one time step: the displacement
    // (metres) to d and the rotation angles (radians) to w, both in p's body
    // frame.
    void eforce_prot(POINT3D& d, POINT3D& w, const PROT& p, const PROT& q) const;
    // eforce_prot in two halves, so that the step loop can start the memory
    // loads of one pair before it sums the pair before: drift_cells finds
    // the grid cells of p's charges in q's grid and starts their loads,
    // drift_add sums them and adds the drift to d and w.
    void drift_cells(const PROT& p, const PROT& q, DriftSlot& slot) const;
    void drift_add(POINT3D& d, POINT3D& w, const PROT& p, const PROT& q, const DriftSlot& slot) const;

    // ---- reactions and contacts (reactions/) ----------------------------------
    void read_points(REACTION& reaction);
    int dockpoints_test(REACTION* reaction, PROT& A, PROT& B, bool force);
    int reaction_event(REACTION* reaction, PROT& A, PROT& B);
    void residues_in_range(PROT* p, PROT* q, histogram* counts, bool unused = false);
    double atomic_distance(PROT* p, PROT* q, int& ip, int& iq);
    void residues_distance_map(PROT_CLASS* A, PROT_CLASS* B, const std::optional<std::string>& file);
    void histogram_init(HISTOGRAM_SAVER* saver);

    // ---- output (output/) -----------------------------------------------------
    // Progress line, reaction-log lines, histogram files and restart file;
    // the final save's restart file stays on disk.
    void save_state(bool final);
    void trajectory_save();
    // Opens the experiment's trajectory ("Files.trajectory" in vis_folder):
    // anew for a fresh experiment; a restored one keeps the frames before
    // its step and goes on after them.
    void open_trajectory(bool restored);
    // Opens every reaction's log: anew, or for a restored experiment to
    // append to. A log that is empty gets the header. Readies the reactions'
    // contact statistics.
    void open_reaction_logs(bool restored);
    // One line of the reaction's log: time, events and rate constant.
    void write_reaction_log_line(REACTION& reaction);
    // Readies the species pairs' statistics for the experiment: reset and
    // named, or only named when restored (the counts come from the restart
    // file).
    void prepare_pair_statistics(bool restored);
    void save_pair_statistics();
    // Makes the experiment's file name of the histogram, keeping its counts.
    void histogram_name(HISTOGRAM_SAVER* saver);

    // ---- fields -----------------------------------------------------------------

    std::int32_t experiment_count;          // experiments to run ("Calculation.EXP_NUM")
    std::atomic<bool> finish_flag{false};   // ends the running experiment's step loop
    std::int64_t random_seed = 0;           // 0: the current time; the rank is added
    CollisionTest collision_stage1 = nullptr;  // first narrow collision test, or none
    CollisionTest collision_stage2 = nullptr;  // second narrow collision test, or none
    PROFILE model;
    std::int32_t active_n = 0;  // instances in the scene of the running experiment
    std::int32_t prots_n = 0;   // all instances
    // The instances, species after species; one restart block, so allocated
    // once and never resized.
    std::vector<PROT> prots;
    std::unique_ptr<Config> config;  // the configuration tree
    std::string in_folder = "./";       // input folder prefix
    std::string out_folder = "./";      // output folder prefix
    std::string vis_folder = "./";      // trajectory and display files
    std::string runtime_folder = "./";  // restart files; default folder of make_filename
    std::string bin_folder = "./";      // helper programs
    FilePtr trajectory_file;            // the running experiment's trajectory (process 0)
    std::unique_ptr<RngStream> rng;     // the stream "ecuyer"
    std::int32_t experiment_stride;     // added to experiment_index after each experiment
    std::int32_t experiment_index;      // number of the running experiment, from 1
    std::int64_t NT = std::numeric_limits<std::int64_t>::max();  // steps per experiment
    std::int64_t save_interval = 1000;             // steps between state saves
    std::int64_t trajectory_save_interval = 100;   // steps between trajectory frames
    std::int64_t step = 0;        // current step (a restart block)
    double h = 2e-10;             // grid step, m
    double I = 100.0;             // ionic strength
    double kappa2 = 1.0;          // screening constant of the potential solver
    double min_charge = 0.01;     // smallest charge magnitude that counts
    double A = 100.0;             // margin of grids and interaction range, ångström
    double TimeStep = 1e-12;      // s
    double T = 293.16;            // K
    double pH = 7.0;
    double v = 0.001004;          // solvent viscosity, Pa s
    double solvent_r = 1.5;       // solvent probe radius, ångström
    double VdW_r = 1.5;           // default atom radius, ångström
    double max_atom_r = 0;        // largest atom radius of all species, m
    double residue_contact_range = 0;   // m
    double residue_contact_range2 = 0;  // m²
    bool interaction = true;      // reactions are read and tested
    bool calc_kin = false;        // calculate runs the experiments
    bool surface_outer = true;    // option of the surface-cell collision test
    bool EF_Trans = true;         // the electrostatic force moves the proteins
    bool EF_Rotate = true;        // the electrostatic torque turns the proteins
    bool frame_due = false;       // this step's trajectory frame is written whatever the interval
    bool mark_collisions = false; // the trajectory marks colliding pairs
    bool no_overwrite = true;     // passed to fopen_share for the output files

    ContactScratch contact_scratch;  // working storage of residues_in_range
    // Working storage of eforce_prot, sized for the largest charge list by
    // the preparation, so the step loop does not allocate.
    mutable DriftScratch drift_scratch;
    PairScan pair_scan;  // working storage of the step's pair loop

    // ---- display hooks ------------------------------------------------------------
    // The viewer sets these to write its display files while species are
    // prepared; they are empty in the engine program.

    // Called by prot_geometry first, for each species.
    std::function<void(PROT_CLASS& species, PDcalc& engine)> velmesh_surface;
    // Called by surf_points once the surface points are known: the count of
    // their face neighbours of permittivity above 3 (2 each) and the grid
    // indices of the points.
    std::function<void(PROT_CLASS& species, PDcalc& engine, int count, const std::vector<int>& x,
                       const std::vector<int>& y, const std::vector<int>& z)>
        surf_cells_save;
};

// An instance's step stamps are compared with the step counter, so they are
// as wide as it is: runs beyond 2^31 steps keep their contact and collision
// marks.
static_assert(std::is_same_v<decltype(PROT::contact_step), decltype(PDcalc::step)> &&
                  std::is_same_v<decltype(PROT::collision_step), decltype(PDcalc::step)>,
              "step stamps are as wide as the step counter");
