#pragma once
// The command line of velmesh. Each argument is tried against the options in
// a fixed order and the first match wins, by one of two rules: a prefix rule
// (the argument is a prefix of the option name: "-de" is -density, "-" is
// -help) and a fixed rule (the argument's first n characters are the
// option's: "-no_rest_on_pbr" is -no_rest_on, "-ifoo" is -if).
#include <string>
#include <vector>

#include "surface/RunState.h"

namespace velmesh {

// Reads the options into the run. Help, and every option error, end the run
// (exit_run) with their message and status.
void parse_command_line(RunState& run, const std::vector<std::string>& args);

// Probe radius 1.5, density 1.0 and hdensity 3.0 where still 0, their
// derived values, and the triangulated surface when no -surface was given.
void apply_defaults(RunState& run);

void print_banner(const RunState& run);
void print_usage();

}  // namespace velmesh
