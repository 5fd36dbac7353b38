#include "surface/support/MeshChecker.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <numeric>
#include <sstream>

#include "surface/support/SphereGrid.h"
#include "surface/support/UnionFind.h"

namespace surface_testing {

namespace {

using Point = std::array<double, 3>;

Point minus(const Point& a, const Point& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
double dot(const Point& a, const Point& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Point cross(const Point& a, const Point& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double length(const Point& a) { return std::sqrt(dot(a, a)); }

// Skips the three header lines when the file has them; returns the count of
// the count line, or -1.
int skip_header(std::istream& in, std::vector<std::string>& lines, bool& has_header) {
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    has_header = !lines.empty() && !lines[0].empty() && lines[0][0] == '#';
    if (!has_header) return -1;
    int count = -1;
    if (lines.size() >= 3) std::sscanf(lines[2].c_str(), "%d", &count);
    lines.erase(lines.begin(), lines.begin() + std::min<std::size_t>(3, lines.size()));
    return count;
}

void add_problem(MeshCheck& check, const std::string& text) {
    if (check.problems.size() < 20) check.problems.push_back(text);
}


// Where the vertices lie. With probe centres given, each vertex lies on its
// sphere or on one of those probes. Otherwise every vertex x with normal n
// must pass what any point of the surface does: the probe centre x + p n
// enters no sphere and touches at least one, and x itself lies inside none.
void check_vertex_positions(const Mesh& mesh, const MeshCheckOptions& options, MeshCheck& check) {
    const double tol = options.position_tolerance;
    const double p = options.probe_radius;
    // The normal is written to three decimals: its rounding moves the probe too.
    const double probe_tol = tol + 0.0018 * p;
    std::vector<SphereGrid::Ball> balls;
    for (const Sphere& s : options.spheres) balls.push_back({{s.x, s.y, s.z}, s.r});
    const SphereGrid grid(std::move(balls), p + 0.1);
    struct Worst {
        int count = 0;
        double amount = 0;
        int vertex = 0;
        void add(double by, int v) {
            ++count;
            if (by > amount) amount = by, vertex = v;
        }
    } entering, touching_none, inside;
    const int nv = static_cast<int>(mesh.vertices.size());
    for (int i = 0; i < nv; ++i) {
        const VertexRow& v = mesh.vertices[i];
        if (std::fabs(length(v.normal) - 1) > 0.01) add_problem(check, "vertex " + std::to_string(i + 1) + " normal is not unit");
        const int s = v.sphere - 1;
        if (s < 0 || s >= static_cast<int>(options.spheres.size())) {
            add_problem(check, "vertex " + std::to_string(i + 1) + " names sphere " + std::to_string(v.sphere));
            continue;
        }
        const Sphere& sphere = options.spheres[s];
        const bool on_sphere = std::fabs(length(minus(v.point, {sphere.x, sphere.y, sphere.z})) - sphere.r) <= tol;
        if (!options.probes.empty()) {
            bool on_probe = false;
            for (const Point& q : options.probes)
                if (std::fabs(length(minus(v.point, q)) - p) <= tol) on_probe = true;
            if (!on_sphere && !on_probe)
                add_problem(check, "vertex " + std::to_string(i + 1) + " lies on neither its sphere nor a probe");
            continue;
        }
        const double own = grid.nearest_gap(v.point).first;
        if (own < -tol) inside.add(-own, i + 1);
        const Point q = {v.point[0] + p * v.normal[0], v.point[1] + p * v.normal[1], v.point[2] + p * v.normal[2]};
        const double gap = grid.nearest_gap(q).first;
        if (gap < p - probe_tol) entering.add(p - gap, i + 1);
        else if (gap > p + probe_tol) touching_none.add(std::isinf(gap) ? p : gap - p, i + 1);
    }
    const auto summary = [&](const Worst& w, const std::string& what) {
        if (w.count == 0) return;
        std::ostringstream text;
        text << w.count << " vertex(es) " << what << " (by up to " << w.amount << " at vertex " << w.vertex << ")";
        add_problem(check, text.str());
    };
    summary(entering, "whose probe enters a sphere");
    summary(touching_none, "whose probe touches no sphere");
    summary(inside, "inside a sphere");
}

}  // namespace

Mesh read_mesh(const std::string& vertex_file, const std::string& face_file) {
    Mesh mesh;
    std::ifstream vin(vertex_file);
    std::ifstream fin(face_file);
    if (!vin) mesh.read_problems.push_back("cannot open " + vertex_file);
    if (!fin) mesh.read_problems.push_back("cannot open " + face_file);
    std::vector<std::string> lines;
    mesh.vertex_header_count = skip_header(vin, lines, mesh.vertex_header);
    for (const std::string& line : lines) {
        VertexRow v;
        std::istringstream row(line);
        row >> v.point[0] >> v.point[1] >> v.point[2] >> v.normal[0] >> v.normal[1] >> v.normal[2] >> v.face >>
            v.sphere >> v.type;
        if (!row) {
            mesh.read_problems.push_back("bad vertex line: " + line);
            continue;
        }
        std::getline(row >> std::ws, v.name);
        mesh.vertices.push_back(v);
    }
    lines.clear();
    mesh.face_header_count = skip_header(fin, lines, mesh.face_header);
    for (const std::string& line : lines) {
        FaceRow f;
        std::istringstream row(line);
        row >> f.vertices[0] >> f.vertices[1] >> f.vertices[2] >> f.type >> f.face;
        if (!row) {
            mesh.read_problems.push_back("bad face line: " + line);
            continue;
        }
        mesh.faces.push_back(f);
    }
    if (mesh.vertex_header && mesh.vertex_header_count != static_cast<int>(mesh.vertices.size()))
        mesh.read_problems.push_back("vertex count line says " + std::to_string(mesh.vertex_header_count));
    if (mesh.face_header && mesh.face_header_count != static_cast<int>(mesh.faces.size()))
        mesh.read_problems.push_back("face count line says " + std::to_string(mesh.face_header_count));
    return mesh;
}

std::string MeshCheck::report() const {
    std::ostringstream text;
    text << pieces << " piece(s), volume " << volume << ", area " << area;
    for (const std::string& p : problems) text << "\n  " << p;
    return text.str();
}

MeshCheck check_mesh(const Mesh& mesh, const MeshCheckOptions& options) {
    MeshCheck check;
    for (const std::string& p : mesh.read_problems) add_problem(check, p);
    const int nv = static_cast<int>(mesh.vertices.size());

    // Indices, and the directed edges.
    std::map<std::pair<int, int>, int> directed;
    std::vector<bool> used(nv, false);
    bool indices_ok = true;
    for (std::size_t f = 0; f < mesh.faces.size(); ++f) {
        const auto& v = mesh.faces[f].vertices;
        for (int k = 0; k < 3; ++k) {
            if (v[k] < 1 || v[k] > nv) {
                add_problem(check, "face " + std::to_string(f + 1) + " has vertex " + std::to_string(v[k]) +
                                       " out of 1.." + std::to_string(nv));
                indices_ok = false;
            }
        }
        if (v[0] == v[1] || v[1] == v[2] || v[2] == v[0])
            add_problem(check, "face " + std::to_string(f + 1) + " repeats a vertex");
    }
    if (!indices_ok) return check;
    for (const FaceRow& face : mesh.faces) {
        for (int k = 0; k < 3; ++k) {
            const int a = face.vertices[k] - 1;
            const int b = face.vertices[(k + 1) % 3] - 1;
            ++directed[{a, b}];
            used[a] = true;
        }
    }
    for (const auto& [edge, count] : directed) {
        const auto reverse = directed.find({edge.second, edge.first});
        const int back = reverse == directed.end() ? 0 : reverse->second;
        if (count != 1 || back != 1)
            add_problem(check, "edge " + std::to_string(edge.first + 1) + "->" + std::to_string(edge.second + 1) +
                                   " in " + std::to_string(count) + " triangle(s), reverse in " +
                                   std::to_string(back));
    }
    const int unused = static_cast<int>(std::count(used.begin(), used.end(), false));
    if (unused > 0 && !options.allow_unused_vertices)
        add_problem(check, std::to_string(unused) + " vertex(es) in no triangle");

    // Pieces and their Euler characteristics.
    UnionFind pieces(nv);
    for (const FaceRow& face : mesh.faces) {
        pieces.join(face.vertices[0] - 1, face.vertices[1] - 1);
        pieces.join(face.vertices[1] - 1, face.vertices[2] - 1);
    }
    std::map<int, std::array<long, 3>> counts;  // root -> V, E, F
    for (int v = 0; v < nv; ++v)
        if (used[v]) ++counts[pieces.find(v)][0];
    for (const auto& [edge, count] : directed)
        if (edge.first < edge.second || directed.find({edge.second, edge.first}) == directed.end())
            ++counts[pieces.find(edge.first)][1];
    for (const FaceRow& face : mesh.faces) ++counts[pieces.find(face.vertices[0] - 1)][2];
    int piece = 0;
    for (const auto& [root, c] : counts) {
        const int euler = static_cast<int>(c[0] - c[1] + c[2]);
        check.euler.push_back(euler);
        const int g = piece < static_cast<int>(options.genus.size()) ? options.genus[piece] : 0;
        if (options.check_genus && euler != 2 - 2 * g)
            add_problem(check, "piece " + std::to_string(piece) + " has Euler characteristic " +
                                   std::to_string(euler) + ", expected " + std::to_string(2 - 2 * g));
        ++piece;
    }
    check.pieces = piece;

    // Triangles with no area as written: no normal either.
    int flat = 0, first_flat = 0;
    for (std::size_t f = 0; f < mesh.faces.size(); ++f) {
        const FaceRow& face = mesh.faces[f];
        const Point c = cross(minus(mesh.vertices[face.vertices[1] - 1].point, mesh.vertices[face.vertices[0] - 1].point),
                              minus(mesh.vertices[face.vertices[2] - 1].point, mesh.vertices[face.vertices[0] - 1].point));
        if (dot(c, c) < 1e-13 && flat++ == 0) first_flat = static_cast<int>(f) + 1;
    }
    if (flat > 0 && options.check_flat)
        add_problem(check, std::to_string(flat) + " triangle(s) of no area (the first " + std::to_string(first_flat) + ")");

    // Volume and area.
    for (const FaceRow& face : mesh.faces) {
        const Point& a = mesh.vertices[face.vertices[0] - 1].point;
        const Point& b = mesh.vertices[face.vertices[1] - 1].point;
        const Point& c = mesh.vertices[face.vertices[2] - 1].point;
        check.volume += dot(a, cross(b, c)) / 6;
        check.area += length(cross(minus(b, a), minus(c, a))) / 2;
    }
    if (!mesh.faces.empty() && !(check.volume * options.volume_sign > 0))
        add_problem(check, "enclosed volume " + std::to_string(check.volume) + " has the wrong sign");
    if (options.printed_volume) {
        const double printed = *options.printed_volume;
        if (std::fabs(check.volume - printed) > options.volume_tolerance * std::fabs(printed) + 0.005)
            add_problem(check, "volume of the files " + std::to_string(check.volume) + " but printed " +
                                   std::to_string(printed));
    }

    if (options.check_positions) check_vertex_positions(mesh, options, check);
    return check;
}

double winding_number(const Mesh& mesh, const std::array<double, 3>& point) {
    double solid_angle = 0;
    for (const FaceRow& face : mesh.faces) {
        const Point a = minus(mesh.vertices[face.vertices[0] - 1].point, point);
        const Point b = minus(mesh.vertices[face.vertices[1] - 1].point, point);
        const Point c = minus(mesh.vertices[face.vertices[2] - 1].point, point);
        const double la = length(a), lb = length(b), lc = length(c);
        solid_angle += 2 * std::atan2(dot(a, cross(b, c)), la * lb * lc + dot(a, b) * lc + dot(a, c) * lb + dot(b, c) * la);
    }
    return solid_angle / (4 * M_PI);
}

std::vector<std::vector<int>> surrounding_meshes(const std::vector<Mesh>& meshes) {
    std::vector<std::vector<int>> surrounding(meshes.size());
    for (std::size_t k = 0; k < meshes.size(); ++k) {
        if (meshes[k].vertices.empty()) continue;
        const Point& point = meshes[k].vertices[0].point;
        for (std::size_t j = 0; j < meshes.size(); ++j)
            if (j != k && std::fabs(winding_number(meshes[j], point)) > 0.5)
                surrounding[k].push_back(static_cast<int>(j));
    }
    return surrounding;
}

std::vector<int> volume_signs(const std::vector<std::vector<int>>& surrounding) {
    std::vector<int> signs;
    for (const std::vector<int>& around : surrounding) signs.push_back(around.size() % 2 == 1 ? -1 : 1);
    return signs;
}

MeshCheck check_mesh_files(const std::string& vertex_file, const std::string& face_file,
                           const MeshCheckOptions& options) {
    return check_mesh(read_mesh(vertex_file, face_file), options);
}

}  // namespace surface_testing
