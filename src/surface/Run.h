#pragma once
// The velmesh run: command line, sphere input, reduced surface, solvent-
// excluded surface per component, areas, triangulation per component, output
// files and numerical volumes, under one restart counter that enlarges the
// troublesome radii and starts again.
#include <string>
#include <vector>

#include "surface/Stages.h"

namespace velmesh {

// Runs velmesh on the arguments (without the program name) and returns the
// exit status: 0 on success, 1 for usage and consistency errors, 2 for input
// errors, -1 for a missing input. Numbers are read and written in the C
// locale.
int run_velmesh(const std::vector<std::string>& args);
int run_velmesh(const std::vector<std::string>& args, SurfaceStages& stages);

}  // namespace velmesh
