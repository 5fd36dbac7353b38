#pragma once
// Checks a velmesh output pair (.vert and .face files, with or without their
// headers) for what a solvent-excluded surface mesh must be: indices in
// range, every edge shared by exactly two triangles running opposite ways
// (closed and consistently oriented), the Euler characteristic 2 - 2g of
// every connected piece, no triangle without area, a positive enclosed volume
// (agreeing with the printed one), and every vertex where a surface point
// lies: its probe (at the normal) touches a sphere and enters none.
#include <array>
#include <optional>
#include <string>
#include <vector>

namespace surface_testing {

struct VertexRow {
    std::array<double, 3> point{};
    std::array<double, 3> normal{};
    int face = 0;
    int sphere = 0;  // from 1
    int type = 0;
    std::string name;
};

struct FaceRow {
    std::array<int, 3> vertices{};  // from 1
    int type = 0;
    int face = 0;
};

struct Mesh {
    std::vector<VertexRow> vertices;
    std::vector<FaceRow> faces;
    bool vertex_header = false;
    bool face_header = false;
    int vertex_header_count = -1;  // the count line of the header
    int face_header_count = -1;
    std::vector<std::string> read_problems;
};

// Reads both files; what cannot be read is listed in read_problems.
Mesh read_mesh(const std::string& vertex_file, const std::string& face_file);

struct Sphere {
    double x = 0, y = 0, z = 0, r = 0;
};

struct MeshCheckOptions {
    std::vector<Sphere> spheres;  // in input order
    double probe_radius = 1.5;
    // Probe centres the surface may lie on; when empty, a vertex off its
    // sphere must sit at the probe radius from the probe that its normal
    // points to, and that probe must touch but not enter the spheres.
    std::vector<std::array<double, 3>> probes;
    double position_tolerance = 0.002;
    // Genus of each piece, in order of the pieces' smallest vertex; missing
    // entries are 0.
    std::vector<int> genus;
    bool check_genus = true;  // false when the genus is not known
    // The sign the enclosed volume must have: a cavity's surface faces into
    // the cavity and encloses a negative volume.
    int volume_sign = 1;
    bool check_positions = true;  // false when the radii the run used differ
    std::optional<double> printed_volume;
    double volume_tolerance = 1e-3;  // relative
    bool allow_unused_vertices = false;
    bool check_flat = true;  // triangles of no area (as the files give the positions) are faults
};

struct MeshCheck {
    std::vector<std::string> problems;
    int pieces = 0;
    std::vector<int> euler;  // per piece
    double volume = 0;       // signed
    double area = 0;

    bool ok() const { return problems.empty(); }
    std::string report() const;
};

MeshCheck check_mesh(const Mesh& mesh, const MeshCheckOptions& options);

// How many times the closed mesh winds round the point (its triangles' solid
// angles summed over 4 pi): 1 inside a surface facing out, -1 inside one
// facing in, 0 outside.
double winding_number(const Mesh& mesh, const std::array<double, 3>& point);

// For each of the meshes (the components of one run), the others that enclose
// it (its first vertex), in order.
std::vector<std::vector<int>> surrounding_meshes(const std::vector<Mesh>& meshes);

// The sign that the enclosed volume of each of the meshes must have, from how
// they nest: a surface inside an odd number of the others bounds a cavity and
// faces into it (-1); a surface inside none (the outside of the molecule, a
// lone sphere, a cluster apart) or inside a cavity's surface and the one
// around that faces out (+1).
std::vector<int> volume_signs(const std::vector<std::vector<int>>& surrounding);

// Reads and checks the pair.
MeshCheck check_mesh_files(const std::string& vertex_file, const std::string& face_file,
                           const MeshCheckOptions& options);

}  // namespace surface_testing
