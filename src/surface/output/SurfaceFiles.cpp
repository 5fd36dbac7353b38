#include "surface/output/SurfaceFiles.h"

#include <cstdio>

#include "surface/Console.h"
#include "surface/output/ReplacingFile.h"

namespace velmesh {

namespace {

std::string file_name(const std::string& base, int component_number, const char* extension) {
    if (component_number == 0) return base + extension;
    return base + "_" + std::to_string(component_number) + extension;
}

void write_faces(std::FILE* out, const RunState& run, bool no_header) {
    const TriangulationTables& tables = run.triangulation;
    if (!no_header) {
        std::fprintf(out, "# VELMESH solvent excluded surface faces for %s\n", run.input_path.c_str());
        std::fprintf(out, "#faces  #sphere density probe_r\n");
        std::fprintf(out, "%7d %7d %5.2f %5.2f\n", tables.face_count(), run.atom_count(), run.density,
                     run.probe_radius);
    }
    int index = 0;
    for (int b = 0; b < tables.faces.block_count(); ++b) {
        const MeshFace* faces = tables.faces.block(b);
        const int count = tables.faces.block_size(b);
        for (int f = 0; f < count; ++f, ++index) {
            const MeshFace& face = faces[f];
            std::fprintf(out, "%6d %6d %6d %2d %6d\n", face.vertices[0] + 1, face.vertices[1] + 1,
                         face.vertices[2] + 1, tables.face_type(index), face.face + 1);
        }
    }
}

void write_vertices(std::FILE* out, const RunState& run, bool no_header) {
    const TriangulationTables& tables = run.triangulation;
    if (!no_header) {
        std::fprintf(out, "# VELMESH solvent excluded surface vertices for %s\n", run.input_path.c_str());
        std::fprintf(out, "#vertex #sphere density probe_r\n");
        std::fprintf(out, "%7d %7d %5.2f %5.2f\n", tables.vertex_count(), run.atom_count(), run.density,
                     run.probe_radius);
    }
    static const std::string no_name;
    int index = 0;
    for (int b = 0; b < tables.vertices.block_count(); ++b) {
        const MeshVertex* vertices = tables.vertices.block(b);
        const int count = tables.vertices.block_size(b);
        for (int v = 0; v < count; ++v, ++index) {
            const MeshVertex& vertex = vertices[v];
            const bool has_sphere = vertex.sphere >= 0 && vertex.sphere < run.atom_count();
            const std::string& name = has_sphere ? run.atoms[vertex.sphere].name : no_name;
            std::fprintf(out, "%9.3f %9.3f %9.3f %9.3f %9.3f %9.3f %7d %7d %2d %s\n", vertex.point[0],
                         vertex.point[1], vertex.point[2], vertex.normal[0], vertex.normal[1], vertex.normal[2],
                         vertex.face, vertex.sphere + 1, tables.vertex_type(index), name.c_str());
        }
    }
}

}  // namespace

std::string face_file_name(const std::string& base, int component_number) {
    return file_name(base, component_number, ".face");
}

std::string vertex_file_name(const std::string& base, int component_number) {
    return file_name(base, component_number, ".vert");
}

namespace {

// Neither file of the pair may outlive a failed write.
void remove_pair(const ReplacingFile& failed, const ReplacingFile& faces, const ReplacingFile& vertices) {
    print_out("Output file %s couldn't be written\n", failed.target().c_str());
    std::remove(faces.target().c_str());
    std::remove(vertices.target().c_str());
}

}  // namespace

std::optional<PendingSurfaceFiles> prepare_surface_files(const RunState& run, const std::string& base,
                                                         const SES_component& component, bool no_header) {
    PendingSurfaceFiles files{std::make_unique<ReplacingFile>(face_file_name(base, component.number)),
                              std::make_unique<ReplacingFile>(vertex_file_name(base, component.number))};
    for (const ReplacingFile* file : {files.faces.get(), files.vertices.get()})
        if (!file->is_open()) {
            print_out("Output file %s couldn't be open ... Bye\n", file->target().c_str());
            return std::nullopt;
        }
    write_faces(files.faces->stream(), run, no_header);
    write_vertices(files.vertices->stream(), run, no_header);
    for (ReplacingFile* file : {files.faces.get(), files.vertices.get()})
        if (!file->finish(false)) {
            remove_pair(*file, *files.faces, *files.vertices);
            return std::nullopt;
        }
    return files;
}

void install_surface_files(std::vector<PendingSurfaceFiles>& pending) {
    if (pending.empty()) return;
    const bool synced = sync_file_system_of(pending.front().faces->temporary());
    for (PendingSurfaceFiles& files : pending)
        for (ReplacingFile* file : {files.faces.get(), files.vertices.get()})
            if (!(synced || sync_file_system_of(file->temporary())) || !file->replace_target()) {
                remove_pair(*file, *files.faces, *files.vertices);
                break;
            }
    pending.clear();
}

void write_surface_files(const RunState& run, const std::string& base, const SES_component& component,
                         bool no_header) {
    std::vector<PendingSurfaceFiles> pending;
    if (auto files = prepare_surface_files(run, base, component, no_header)) pending.push_back(std::move(*files));
    install_surface_files(pending);
}

}  // namespace velmesh
