#pragma once
// The engine program's entry: options, MPI set-up, working directory,
// priority, logging, and the run of one engine with its exit statuses.
#include <ostream>
#include <string>

#include "zelmar/Engine.h"

namespace zelmar {

// The option tables of the builds with and without MPI, each ended by a null
// entry.
extern const char* const optv_with_mpi[];
extern const char* const optv_without_mpi[];

// The table of this build.
const char* const* option_table();

// Writes the usage line and the help paragraphs of the table with or without
// MPI, as -h does.
void print_help(std::ostream& out, const char* program_name, bool with_mpi);

// Changes the working directory; an empty path does nothing. Returns 0, or
// the failing call's result after writing the line "error: Failed to chdir
// to ..." to standard error.
int chdir_drive(const std::string& path);

// Ends logging (the summary of warnings and errors) and leaves the MPI job;
// registered to run when the process exits.
void exit_fn();

// Runs the program with its arguments and returns its exit status.
int zelmar_main(int argc, char** argv, const EngineFactory& make_engine);

}  // namespace zelmar

// Seam for tests: the registration of the exit function (returns 0 or the
// failure's code); null restores the runtime's.
namespace zelmar_detail {
using ExitRegistration = int (*)(void (*function)());
void set_exit_registration(ExitRegistration registration);
}  // namespace zelmar_detail
