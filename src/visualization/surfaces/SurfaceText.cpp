#include "visualization/surfaces/SurfaceText.h"

#include <array>
#include <cstdio>

#include "dynamics/species/GridIndex.h"
#include "dynamics/species/PROT_CLASS.h"
#include "utils/CLocaleScope.h"
#include "utils/Format.h"

namespace {

// The lines of `text`, CR LF or LF ended; a last line without its end too.
std::vector<std::string> lines_of(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        lines.emplace_back(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

struct Vertex {
    double x, y, z;
};

std::vector<Vertex> read_vertices(std::string_view vert) {
    std::vector<Vertex> vertices;
    for (const std::string& line : lines_of(vert)) {
        Vertex v{};
        if (std::sscanf(line.c_str(), "%lf%lf%lf", &v.x, &v.y, &v.z) != 3) break;
        vertices.push_back(v);
    }
    return vertices;
}

std::vector<std::array<long, 3>> read_faces(std::string_view face) {
    std::vector<std::array<long, 3>> faces;
    for (const std::string& line : lines_of(face)) {
        std::array<long, 3> f{};
        if (std::sscanf(line.c_str(), "%ld%ld%ld", &f[0], &f[1], &f[2]) != 3) break;
        faces.push_back(f);
    }
    return faces;
}

// The corners (a, b, c) of the two triangles of the face towards each
// neighbour, in the order x - 1, x + 1, y - 1, y + 1, z - 1, z + 1.
struct Corner {
    int a, b, c;
};
constexpr std::array<std::array<Corner, 6>, 6> face_corners = {{
    {{{0, 0, 0}, {0, 0, 1}, {0, 1, 1}, {0, 0, 0}, {0, 1, 0}, {0, 1, 1}}},
    {{{1, 0, 0}, {1, 0, 1}, {1, 1, 1}, {1, 0, 0}, {1, 1, 0}, {1, 1, 1}}},
    {{{0, 0, 0}, {0, 0, 1}, {1, 0, 1}, {0, 0, 0}, {1, 0, 0}, {1, 0, 1}}},
    {{{0, 1, 0}, {0, 1, 1}, {1, 1, 1}, {0, 1, 0}, {1, 1, 0}, {1, 1, 1}}},
    {{{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {0, 0, 0}, {1, 0, 0}, {1, 1, 0}}},
    {{{0, 0, 1}, {0, 1, 1}, {1, 1, 1}, {0, 0, 1}, {1, 0, 1}, {1, 1, 1}}},
}};
constexpr std::array<std::array<int, 3>, 6> neighbour_offsets = {
    {{-1, 0, 0}, {1, 0, 0}, {0, -1, 0}, {0, 1, 0}, {0, 0, -1}, {0, 0, 1}}};

constexpr double solvent_eps = 60.0;

}  // namespace

std::string sphere_file_text(const PROT_CLASS& species, double grid, double radius) {
    const CLocaleScope c_locale;
    const double unit = grid * 1e-10;
    std::string text;
    for (const ATOM& atom : species.atoms)
        text += format("%f\t%f\t%f\t%f\n", atom.x / unit, atom.y / unit, atom.z / unit, radius);
    return text;
}

VelmeshShape velmesh_shape_text(std::string_view vert, std::string_view face, double grid) {
    const CLocaleScope c_locale;
    VelmeshShape shape;
    const std::vector<Vertex> vertices = read_vertices(vert);
    const std::vector<std::array<long, 3>> faces = read_faces(face);
    shape.vertices = vertices.size();
    const auto known = [&](long k) { return k >= 1 && static_cast<std::size_t>(k) <= vertices.size(); };
    std::string corners;
    for (const std::array<long, 3>& f : faces) {
        if (!known(f[0]) || !known(f[1]) || !known(f[2])) {
            ++shape.skipped_faces;
            continue;
        }
        ++shape.faces;
        for (const long k : f) {
            const Vertex& v = vertices[static_cast<std::size_t>(k - 1)];
            corners += format("%4.1f\t%4.1f\t%4.1f\n", v.x * grid, v.y * grid, v.z * grid);
        }
    }
    shape.text = format("%zu\n", 3 * shape.faces) + corners;
    return shape;
}

std::string cells_shape_text(const std::vector<double>& eps, int n, double step, const std::vector<int>& x,
                             const std::vector<int>& y, const std::vector<int>& z) {
    const CLocaleScope c_locale;
    const int m = n / 2;
    const auto inside = [n](int i) { return i >= 0 && i < n; };
    std::string lines;
    std::size_t written = 0;
    for (std::size_t cell = 0; cell < x.size() && cell < y.size() && cell < z.size(); ++cell) {
        for (std::size_t side = 0; side < 6; ++side) {
            const int i = x[cell] + neighbour_offsets[side][0];
            const int j = y[cell] + neighbour_offsets[side][1];
            const int k = z[cell] + neighbour_offsets[side][2];
            if (!inside(i) || !inside(j) || !inside(k)) continue;
            const auto at = static_cast<std::size_t>(lin(n, i, j, k));
            if (at >= eps.size() || !(eps[at] > solvent_eps)) continue;
            for (const Corner& corner : face_corners[side]) {
                lines += format("%.0f\t%.0f\t%.0f\n", (x[cell] - m + corner.a) * step, (y[cell] - m + corner.b) * step,
                                (z[cell] - m + corner.c) * step);
                ++written;
            }
        }
    }
    return format("%zu\n", written) + lines;
}
