#include "surface/Run.h"

#include <cstdio>
#include <exception>
#include <locale.h>
#include <new>

#include "surface/CommandLine.h"
#include "surface/Console.h"
#include "surface/Restart.h"
#include "surface/RunState.h"
#include "surface/input/SphereReader.h"
#include "surface/output/AreaFile.h"
#include "surface/output/SurfaceFiles.h"
#include "surface/triangulation/Volume.h"
#include "utils/File.h"

namespace velmesh {

namespace {

// The C locale for this thread while the run lasts.
class CLocaleScope {
public:
    CLocaleScope() : locale_(newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr))) {
        if (locale_ != static_cast<locale_t>(nullptr)) previous_ = uselocale(locale_);
    }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;
    ~CLocaleScope() {
        if (locale_ == static_cast<locale_t>(nullptr)) return;
        uselocale(previous_);
        freelocale(locale_);
    }

private:
    locale_t locale_;
    locale_t previous_ = static_cast<locale_t>(nullptr);
};

class Run {
public:
    Run(const std::vector<std::string>& args, SurfaceStages& stages) : args_(args), stages_(stages) {}

    void execute() {
        parse_command_line(run_, args_);
        if (args_.empty() || !run_.input_given) {
            print_banner(run_);
            print_out("VELMESH: No input stream specified\n");
            exit_run(-1);
        }
        print_banner(run_);
        apply_defaults(run_);
        read_spheres();
        print_out("INPUT  %s %d spheres %d collision only, radii %6.3f to %6.3f\n", run_.input_name.c_str(),
                  run_.sphere_count + run_.collision_only_count, run_.collision_only_count, run_.min_radius,
                  run_.max_radius);
        print_out("PARAM  Probe_radius %6.3f density %6.3f hdensity %6.3f\n", run_.probe_radius, run_.density,
                  run_.hdensity);
        check_one_cavity();
        reduced_surface_with_restarts();

        const bool any_output = run_.do_area || run_.analytical_ses_wanted() || run_.triangulation_wanted();
        while (true) {
            if (any_output) solvent_excluded_surface_with_restarts();
            if (run_.do_area) report_analytical_areas();
            if (!run_.triangulation_wanted() || !triangulate_or_restart()) break;
        }
        if (run_.do_area && run_.triangulation_wanted()) report_numerical_volumes();
        // The surface files appear together, once the run has succeeded: a
        // run that fails leaves none of them (the unfinished ones go with
        // the run).
        install_surface_files(pending_files_);
        print_out("VELMESH terminated normally\n");
    }

private:
    void read_spheres() {
        FilePtr file;
        std::FILE* input = console().in;
        if (run_.input_path != "-") {
            file.reset(std::fopen(run_.input_path.c_str(), "r"));
            if (file == nullptr) {
                print_out("input file %s couldn't be open ... Bye\n", run_.input_path.c_str());
                exit_run(2);
            }
            input = file.get();
        }
        const int count = get_atom_no_num(run_, input, true);
        if (count < 1) {
            print_out("Too many or Too few points : %d\n", count);
            exit_run(2);
        }
    }

    void check_one_cavity() {
        if (!run_.one_cavity) return;
        bool bad = false;
        for (const int index : run_.one_cavity_atoms) {
            if (index >= 0 && index < run_.atom_count()) continue;
            print_out("Bad atom for one_cavity option %d (min:0, max:%d)\n", index, run_.atom_count());
            bad = true;
        }
        if (bad) exit_run(1);
    }

    // Runs a stage; one that runs out of memory has failed like one with
    // problems (the restart frees everything before it tries again) and
    // gives `failure` instead of its result.
    template <class Stage>
    int guarded(Stage&& stage, int failure) {
        try {
            return stage();
        } catch (const std::bad_alloc&) {
            print_err("velmesh: not enough memory\n");
            out_of_memory_ = true;
            return failure;
        }
    }

    // A stage out of memory with no attempt left to mend it: what was built
    // is incomplete, so the run cannot go on with it.
    void end_if_out_of_memory() {
        if (out_of_memory_) exit_run(1);
    }

    // The reduced surface; 0 is fatal.
    int reduced_surface() {
        out_of_memory_ = false;
        const int result = guarded([&] { return stages_.reduced_surface(run_); }, -1);
        if (result == 0) {
            print_err("ERROR while computing the reduced surface, status = %d\n", run_.rs_failed);
            exit_run(1);
        }
        return result;
    }

    void reduced_surface_with_restarts() {
        int result = reduced_surface();
        while (result < 0 && run_.attempt < run_.max_attempts) {
            ++run_.attempt;
            enlarge_marked_radii(run_);
            print_out("Failed to compute reduced surface %d, try again %d\n", result, run_.attempt);
            release_for_restart(run_);
            result = reduced_surface();
        }
        // Still negative after the last attempt: go on with what exists.
        if (result < 0) end_if_out_of_memory();
    }

    int solvent_excluded_surface() {
        release_ses(run_);
        out_of_memory_ = false;
        int problems = 0;
        for (RS_component& component : run_.rs_components) {
            problems += guarded([&] { return stages_.solvent_excluded_surface(run_, component); }, 1);
            if (out_of_memory_) break;
        }
        if (problems != 0) print_out(" %d faces with problems\n", problems);
        return problems;
    }

    void solvent_excluded_surface_with_restarts() {
        int problems = solvent_excluded_surface();
        if (!(run_.restart || run_.restart_on_triangulation)) {
            end_if_out_of_memory();
            return;
        }
        while (problems != 0 && run_.attempt < run_.max_attempts) {
            ++run_.attempt;
            enlarge_marked_radii(run_);
            print_out("Failed to compute level 0 surface, try again %d\n", run_.attempt);
            release_for_restart(run_);
            if (reduced_surface() < 0) end_if_out_of_memory();
            problems = solvent_excluded_surface();
        }
        if (problems != 0) {
            print_out("    failed after %d attemps to compute the surface\n", run_.max_attempts);
            exit_run(1);
        }
    }

    void report_analytical_areas() {
        print_out("ANALYTICAL SURFACE AREA :\n");
        print_out("    Comp. probe_radius,   reent,    toric,   contact    SES       SAS\n");
        stages_.analytical_areas(run_);
        for (const SES_component& c : run_.ses_components)
            print_out("    %3d   %9.3f   %9.3f %9.3f %9.3f %9.3f %9.3f\n", c.number, c.probe_radius,
                      c.reentrant_area, c.toric_area, c.contact_area, c.ses_area, c.sas_area);
        if (run_.area_file_given) write_area_file(run_);
    }

    // Triangulates and writes every component; true when problems ask for
    // another attempt from the solvent-excluded surface on. A mesh with holes
    // is never written: without a restart to mend it the run fails.
    bool triangulate_or_restart() {
        const bool restart_follows = restart_follows_triangulation(run_);
        int problems = 0;
        out_of_memory_ = false;
        for (SES_component& component : run_.ses_components) {
            const int failed = guarded([&] { return stages_.triangulate(run_, component); }, 1);
            problems += failed;
            if (out_of_memory_ && !restart_follows) end_if_out_of_memory();
            if (failed > 0 && !restart_follows) {
                print_out(" %d faces with PBR problems\n", failed);
                print_out("    failed to triangulate component %d: the surface would have holes\n", component.number);
                exit_run(1);
            }
            if (problems == 0) {
                if (run_.output_given)
                    if (auto files = prepare_surface_files(run_, run_.output_base, component, run_.no_header))
                        pending_files_.push_back(std::move(*files));
                compute_volume(run_.triangulation, component.numerical_ses_volume, component.numerical_ses_area);
            }
            run_.triangulation.release();
            if (out_of_memory_) break;
        }
        if (problems <= 0) return false;
        pending_files_.clear();
        print_out(" %d faces with PBR problems\n", problems);
        enlarge_marked_radii(run_);
        ++run_.attempt;
        print_out("Failed during triangulation, try again %d\n", run_.attempt);
        release_for_restart(run_);
        if (reduced_surface() < 0) end_if_out_of_memory();
        return true;
    }

    void report_numerical_volumes() {
        print_out("NUMERICAL VOLUMES AND AREA\n");
        print_out("    Comp. probe_radius SES_volume SES_area)\n");
        double total = 0;
        for (const SES_component& c : run_.ses_components) {
            print_out("     %3d    %6.2f    %9.3f  %9.3f\n", c.number, c.probe_radius, c.numerical_ses_volume,
                      c.numerical_ses_area);
            total += c.numerical_ses_volume;
        }
        print_out("    Total ses_volume: %9.3f\n", total);
    }

    const std::vector<std::string>& args_;
    SurfaceStages& stages_;
    RunState run_;
    bool out_of_memory_ = false;  // the last stage run out of memory
    std::vector<PendingSurfaceFiles> pending_files_;  // written, not yet in place
};

}  // namespace

int run_velmesh(const std::vector<std::string>& args, SurfaceStages& stages) {
    CLocaleScope c_locale;
    int status = 0;
    try {
        Run(args, stages).execute();
    } catch (const RunExit& exit) {
        status = exit.status;
    } catch (const std::bad_alloc&) {
        print_err("velmesh: not enough memory\n");
        status = 1;
    } catch (const std::exception& error) {
        print_err("velmesh: %s\n", error.what());
        status = 1;
    }
    std::fflush(console().out);
    std::fflush(console().err);
    return status;
}

int run_velmesh(const std::vector<std::string>& args) {
    VelmeshStages stages;
    return run_velmesh(args, stages);
}

}  // namespace velmesh
