// The engine program's entry.
//
// Reads the options left to right, optionally joins an MPI job, changes the
// working directory, lowers the priority, starts logging, and prepares and
// runs one engine object, mapping every failure to a message and an exit
// status. Several processes of one MPI job sharing a folder meet at two
// barriers: the others wait until process 0 has prepared (and cached the
// species files on disk), then prepare in turn.
#include "zelmar/Zelmar_main.h"

#include <cstdio>
#include <iostream>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "dynamics/PDcalc.h"
#include "dynamics/ProcessGlobals.h"
#include "utils/Format.h"
#include "utils/Log.h"
#include "utils/options.h"
#include "utils/par/Par.h"
#include "utils/platform/Paths.h"
#include "utils/platform/Process.h"

namespace zelmar {

const char* const optv_with_mpi[] = {
    "h|help", "v|verbose", "s|silent", "l:logfile  <filename>", "d:directory  <foldername>", "m|mpich",
    "c:config  <filename>", nullptr,
};

const char* const optv_without_mpi[] = {
    "h|help", "v|verbose", "s|silent", "l:logfile  <filename>", "d:directory  <foldername>",
    "c:config  <filename>", nullptr,
};

const char* const* option_table() { return par::available ? optv_with_mpi : optv_without_mpi; }

namespace {

constexpr const char* help_paragraphs[] = {
    "\nOptions are processed left-to-right and their order is essential (the order shown above is suitable for "
    "most tasks).",
    "\n-c option sets current directory to one containing the config file unless -d option has been specified "
    "earlier.",
    "\n-m option enables paralell processing and tries toset current directory to one corresponding to process "
    "rank ('./0', './1' and so on). If corresponding directory does not exist, paralell computations with config "
    "in current directory will be performed. This may leed to unexpected results if current directory contains, "
    "for example, only '0' and '1' subdirectories but you try to start 3 MPI processes (however in most cases "
    "you'll just get an error).",
    "\nWhen -m option is enabled a standard set of MPICH options can be applied.",
};

constexpr const char* default_config = "Zelmar";
constexpr const char* default_log_base = "./Zelmar";
constexpr int priority_increment = 20;

// The status of a run that could not start: a working folder or a log that
// cannot be used.
constexpr int failed_start = 1;

// Messages the entry writes to standard error itself, before logging runs,
// each on a line of its own.
void report(const std::string& text) {
    std::fputs(text.c_str(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

// The absolute form of a path given on the command line. A path that does not
// resolve is reported; the run goes on with its absolute form as far as it
// exists (so a configuration named without its extension is still found).
std::string absolute_path(const std::string& argument) {
    if (auto real = platform::real_path(argument)) return *real;
    report(format("error: bad filename \"%s\"", argument.c_str()));
    return platform::resolved_as_far_as_possible(argument);
}

// What the options decide.
struct Settings {
    bool verbose = false;
    bool directory_chosen = false;
    std::string config_path = default_config;
    std::optional<std::string> log_base;
};

// -m: joins the job, then works alone in the rank's folder when there is
// one, or shares the current folder with the whole job.
int join_job(int* count, char*** args) {
    if (const int code = par::init(count, args); code != 0) {
        report(format("error: Failed to init MPICH (%d)", code));
        return code;
    }
    mpi_initialized = true;
    if (const int code = par::rank(processorID); code != 0) {
        report(format("error: Failed to get process rank (%d)", code));
        return code;
    }
    if (platform::change_directory(std::to_string(processorID)) == 0) {
        numberOfProcessors = 1;
        processorID = 0;
        return 0;
    }
    if (const int code = par::size(numberOfProcessors); code != 0) {
        report(format("error: Failed to get communictor group size (%d)", code));
        return code;
    }
    return 0;
}

// -d: the working directory from now on. A folder that cannot be entered
// ends the run as a failed start.
int choose_directory(Settings& settings, const std::string& argument) {
    const std::string directory = absolute_path(argument);
    if (chdir_drive(directory) != 0) return failed_start;
    settings.directory_chosen = true;
    return 0;
}

// -c or a positional argument: the configuration; its folder becomes the
// working directory unless -d came earlier.
int choose_config(Settings& settings, const std::string& argument) {
    settings.config_path = absolute_path(argument);
    if (settings.directory_chosen) return 0;
    return chdir_drive(platform::folder_part(settings.config_path)) != 0 ? failed_start : 0;
}

// Reads the options left to right, acting on each; returns an exit status
// when the program is to end here.
std::optional<int> parse_options(int argc, char** argv, Settings& settings) {
    Options options(argc > 0 ? argv[0] : "zelmar", option_table());
    options.set_controls(Options::return_positional);
    int count = argc > 0 ? argc - 1 : 0;
    char** args = argc > 0 ? argv + 1 : argv;
    OptArgvIter iter(count, args);

    std::optional<std::string> optarg;
    while (const int option = options(iter, optarg)) {
        int status = 0;
        switch (option) {
            case 'v': settings.verbose = true; break;
            case 's': settings.verbose = false; break;
            case 'l':
                if (optarg) settings.log_base = *optarg;
                break;
            case 'h':
                print_help(std::cout, argc > 0 ? argv[0] : "zelmar", par::available);
                return 0;
            case 'm': status = join_job(&count, &args); break;
            // An option without its argument has been reported by the parser
            // ("argument required") and is left out.
            case 'd':
                if (optarg) status = choose_directory(settings, *optarg);
                break;
            case 'c':
            case Options::positional:
                if (optarg) status = choose_config(settings, *optarg);
                break;
            default: break;  // the parser has reported it
        }
        if (status != 0) return status;
    }
    return std::nullopt;
}

std::string log_file_name(const Settings& settings) {
    const std::string base = settings.log_base.value_or(default_log_base);
    if (numberOfProcessors > 1) return format("%s.%d.log", base.c_str(), processorID);
    return format("%s.log", base.c_str());
}

// Ends the whole job: the other processes of a shared folder would otherwise
// wait at their barrier for ever.
[[noreturn]] void abort_job(int status) {
    CLog::EndLogging();
    par::abort(status);
}

// Constructs, prepares and runs the engine; returns the exit status.
int run_engine(const EngineFactory& make_engine, const std::string& config_path) {
    // Until this process has passed its barrier, others of a shared-folder
    // job may be waiting for it.
    bool others_wait = numberOfProcessors > 1;
    std::unique_ptr<Engine> engine;
    int status = 0;
    try {
        engine = make_engine();
        if (processorID > 0) {
            par::barrier();
            others_wait = false;
        }
        if (!engine->prepare(config_path)) {
            LOG_ERROR("program terminated with error");
            status = 1;
        } else {
            if (numberOfProcessors > 1 && processorID == 0) {
                par::barrier();
                others_wait = false;
            }
            engine->calculate();
        }
    } catch (const char* text) {
        LOG_ERROR("program terminated with exception %s", text);
        status = 1;
    } catch (const std::string& text) {
        LOG_ERROR("program terminated with exception %s", text.c_str());
        status = 1;
    } catch (const std::bad_alloc&) {
        LOG_ERROR("not enough memory");
        status = 1;
    } catch (...) {
        LOG_ERROR("program terminated with exception");
        status = 1;
    }
    engine.reset();
    if (status != 0 && others_wait) abort_job(status);
    return status;
}

zelmar_detail::ExitRegistration exit_registration = nullptr;

// The exit function is registered once per process, however often the entry
// runs in it.
int register_exit_function_once() {
    if (exit_registration != nullptr) return exit_registration(exit_fn);
    static const int result = platform::register_exit_function(exit_fn);
    return result;
}

}  // namespace

void print_help(std::ostream& out, const char* program_name, bool with_mpi) {
    const Options options(program_name, with_mpi ? optv_with_mpi : optv_without_mpi);
    options.usage(out, "");
    const std::size_t paragraphs = with_mpi ? 4 : 2;
    for (std::size_t i = 0; i < paragraphs; ++i) out << help_paragraphs[i];
    out.flush();
}

int chdir_drive(const std::string& path) {
    if (path.empty()) return 0;
    const int result = platform::change_directory(path);
    if (result != 0) report(format("error: Failed to chdir to \"%s\" (%d)", path.c_str(), result));
    return result;
}

void exit_fn() {
    CLog::EndLogging();
    if (mpi_initialized) par::finalize();
}

int zelmar_main(int argc, char** argv, const EngineFactory& make_engine) {
    Settings settings;
    settings.verbose = platform::stdout_is_terminal();
    if (const int code = register_exit_function_once(); code != 0) {
        report(format("error: Failed to register exit function (%d)", code));
        return code;
    }

    if (const auto status = parse_options(argc, argv, settings)) return *status;

    platform::lower_priority(priority_increment);

    SLogParams params{};
    params.no_console = !settings.verbose;
    const std::string log_name = log_file_name(settings);
    if (!CLog::StartLogging(&params, log_name.c_str())) {
        report("error: Failed to start logging");
        if (numberOfProcessors > 1) abort_job(failed_start);
        return failed_start;
    }

    return run_engine(make_engine, settings.config_path);
}

}  // namespace zelmar

void zelmar_detail::set_exit_registration(ExitRegistration registration) {
    zelmar::exit_registration = registration;
}

#ifndef ZELMAR_ENTRY_LIBRARY
int main(int argc, char** argv) {
    return zelmar::zelmar_main(argc, argv, [] { return std::make_unique<zelmar::EngineOf<PDcalc>>(); });
}
#endif
