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
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "surface/RunState.h"
#include "surface/output/ReplacingFile.h"

namespace velmesh {

// "<base>.face" for component 0, "<base>_<n>.face" for component n.
std::string face_file_name(const std::string& base, int component_number);
std::string vertex_file_name(const std::string& base, int component_number);

// A component's two files, written and on disk beside their names.
struct PendingSurfaceFiles {
    std::unique_ptr<ReplacingFile> faces;
    std::unique_ptr<ReplacingFile> vertices;
};

// Writes the component's two files beside their names, from the tables,
// without syncing them. A file that cannot be opened or written is reported
// and gives nothing (its half-written partner goes); the run goes on.
std::optional<PendingSurfaceFiles> prepare_surface_files(const RunState& run, const std::string& base,
                                                         const SES_component& component, bool no_header);

// Puts the files on disk (all of them with one sync of their file system;
// each by itself where that fails), then moves each pair over its names.
// When a file cannot be synced or moved it is reported and neither name of
// its pair is left with a file: an old partner would pass for this run's
// surface.
void install_surface_files(std::vector<PendingSurfaceFiles>& files);

// Both at once.
void write_surface_files(const RunState& run, const std::string& base, const SES_component& component,
                         bool no_header);

}  // namespace velmesh
