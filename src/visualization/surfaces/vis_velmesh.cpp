// The display surfaces of the viewer's engine (vis_velmesh.h).
#include "visualization/surfaces/vis_velmesh.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "dynamics/PDcalc.h"
#include "dynamics/species/PROT_CLASS.h"
#include "utils/CLocaleScope.h"
#include "utils/Format.h"
#include "utils/Log.h"
#include "utils/ReadText.h"
#include "utils/fopen_s.h"
#include "visualization/surfaces/ChildProcess.h"
#include "visualization/surfaces/SurfaceText.h"

namespace {

std::optional<std::string> string_key(const PROT_CLASS& species, const char* key) {
    if (species.section == nullptr) return std::nullopt;
    const char* value = species.section->GetString(key);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
}

double double_key(const PROT_CLASS& species, const char* key, double value) {
    if (species.section != nullptr) species.section->GetDouble(value, key);
    return value;
}

// Writes `text` to `path` (fopen_share "w+" with the engine's no_overwrite,
// reporting on); false when the file is not opened or not written whole.
bool write_output(const PDcalc& engine, const std::string& path, const std::string& text) {
    FilePtr file = fopen_share(path, "w+", engine.no_overwrite, true);
    if (!file) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
    const bool closed = std::fclose(file.release()) == 0;
    if (written && closed) return true;
    LOG_WARNING("display file %s was not written whole", path.c_str());
    return false;
}

// The command line as text for the log: arguments with blanks or quotes in
// double quotes.
std::string command_text(const std::vector<std::string>& arguments) {
    std::string text;
    for (const std::string& argument : arguments) {
        if (!text.empty()) text += ' ';
        if (argument.find_first_of(" \t\"'") == std::string::npos) {
            text += argument;
            continue;
        }
        text += '"';
        for (const char c : argument) {
            if (c == '"' || c == '\\') text += '\\';
            text += c;
        }
        text += '"';
    }
    return text;
}

// velmesh's own lines, each logged as a warning after `what`.
void warn_with_output(const std::string& what, const std::string& output) {
    LOG_WARNING("%s", what.c_str());
    std::size_t at = 0;
    while (at < output.size()) {
        std::size_t end = output.find('\n', at);
        if (end == std::string::npos) end = output.size();
        std::string line = output.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) LOG_WARNING("velmesh: %s", line.c_str());
        at = end + 1;
    }
}

std::vector<std::string> velmesh_arguments(const PDcalc& engine, const std::string& base, double density,
                                           double radius) {
    const CLocaleScope c_locale;
    return {engine.bin_folder + "velmesh",
            "-if",
            engine.runtime_folder + base,
            "-de",
            format("%f", density),
            "-probe_radius",
            format("%f", radius),
            "-no_header",
            "-of",
            engine.runtime_folder + base};
}

}  // namespace

void velmesh_surface(PROT_CLASS& species, PDcalc& engine) {
    const std::optional<std::string> base = string_key(species, "velmesh");
    if (!base) return;
    const double density = double_key(species, "velmesh_de", 1.0);
    const double grid = double_key(species, "velmesh_grid", 1.0);
    double radius = double_key(species, "solvent_r", engine.solvent_r);
    radius = double_key(species, "velmesh_r", radius);
    if (!(grid > 0.0) || !std::isfinite(grid)) {
        LOG_WARNING("species %s: velmesh_grid %g is not a positive number: no surface", species.name.c_str(), grid);
        return;
    }
    radius /= grid;

    const std::string spheres = engine.runtime_folder + *base;
    if (!write_output(engine, spheres, sphere_file_text(species, grid, radius))) return;

    const std::vector<std::string> arguments = velmesh_arguments(engine, *base, density, radius);
    const std::string face_path = spheres + ".face";
    const std::string vert_path = spheres + ".vert";
    const std::optional<std::string> surface = string_key(species, "surface");
    if (!surface) return;

    LOG_MESSAGE("%s", command_text(arguments).c_str());
    // A run that fails must not leave the files of an earlier run to be
    // taken for its own.
    std::error_code ignored;
    std::filesystem::remove(face_path, ignored);
    std::filesystem::remove(vert_path, ignored);
    const ChildRun run = run_child(arguments);
    if (!run.started) {
        LOG_WARNING("velmesh for species %s could not be started (%s): no surface", species.name.c_str(),
                    run.start_error.c_str());
        return;
    }
    if (!run.succeeded())
        warn_with_output(format("velmesh for species %s ended with %s", species.name.c_str(), run.outcome().c_str()),
                         run.output);

    const std::optional<std::string> vert = read_text_file(vert_path);
    const std::optional<std::string> face = read_text_file(face_path);
    if (!vert || !face) {
        const std::string& missing = !vert ? vert_path : face_path;
        if (run.succeeded())
            warn_with_output(format("velmesh for species %s wrote no %s: no surface", species.name.c_str(),
                                    missing.c_str()),
                             run.output);
        else
            LOG_WARNING("velmesh for species %s wrote no %s: no surface", species.name.c_str(), missing.c_str());
        return;
    }
    const VelmeshShape shape = velmesh_shape_text(*vert, *face, grid);
    if (shape.skipped_faces > 0)
        LOG_WARNING("species %s: %zu faces of %s name vertices that %s does not hold (%zu vertices): skipped",
                    species.name.c_str(), shape.skipped_faces, face_path.c_str(), vert_path.c_str(), shape.vertices);
    write_output(engine, engine.vis_folder + *surface, shape.text);
}

void surf_cells_save(PROT_CLASS& species, PDcalc& engine, int /*count*/, const std::vector<int>& x,
                     const std::vector<int>& y, const std::vector<int>& z) {
    // The count passed counts the neighbours of permittivity above 3; the
    // file counts the vertex lines it holds.
    const std::optional<std::string> cells = string_key(species, "cells");
    if (!cells) return;
    write_output(engine, engine.vis_folder + *cells,
                 cells_shape_text(species.eps, species.pot_n, engine.h * 1e10, x, y, z));
}

void set_display_hooks(PDcalc& engine) {
    engine.velmesh_surface = velmesh_surface;
    engine.surf_cells_save = surf_cells_save;
}
