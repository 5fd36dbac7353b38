#pragma once
// The vertex and face files of one triangulated SES component, from the
// run's triangulation tables.
//
// Face file: unless no_header, "# VELMESH solvent excluded surface faces for
// <input>", "#faces  #sphere density probe_r" and a count line; then per
// triangle its three vertex numbers from 1, its type (3 toric, 2 reentrant,
// 1 contact) and its SES face number from 1. Vertex file: likewise a header,
// then per vertex its position, normal, SES face number, sphere number from
// 1, type and the sphere's name.
#include <string>

#include "surface/RunState.h"

namespace velmesh {

// "<base>.face" for component 0, "<base>_<n>.face" for component n.
std::string face_file_name(const std::string& base, int component_number);
std::string vertex_file_name(const std::string& base, int component_number);

// Writes the component's two files. A file that cannot be opened or written
// is reported and leaves neither file of the component; the run goes on.
void write_surface_files(const RunState& run, const std::string& base, const SES_component& component,
                         bool no_header);

}  // namespace velmesh
