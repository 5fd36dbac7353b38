#include "surface/support/SphereSets.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <locale>
#include <random>
#include <sstream>
#include <stdexcept>

namespace surface_testing {

namespace {

constexpr double kPi = 3.141592653589793;

}  // namespace

velmesh::RunState run_of(const std::vector<TestSphere>& spheres, double probe_radius) {
    velmesh::RunState run;
    run.probe_radius = static_cast<float>(probe_radius);
    run.inv_probe_radius = 1 / run.probe_radius;
    for (const TestSphere& s : spheres) {
        velmesh::Atom& atom = run.atoms.emplace_back();
        atom.x = static_cast<float>(s.x);
        atom.y = static_cast<float>(s.y);
        atom.z = static_cast<float>(s.z);
        atom.r = static_cast<float>(s.r);
        atom.flags = s.flags;
        (s.flags != 0 ? run.sphere_count : run.collision_only_count)++;
    }
    return run;
}

std::vector<TestSphere> random_cluster(int count, unsigned seed, double volume_per_sphere, double r_low, double r_high,
                                       double gap) {
    std::mt19937 rng(seed);
    const double ball = std::cbrt(3 * volume_per_sphere * count / (4 * kPi));
    std::uniform_real_distribution<double> coordinate(-ball, ball);
    std::uniform_real_distribution<double> radius(r_low, r_high);
    // Centres on a grid of cells one gap wide, to keep them apart quickly.
    const int cells = static_cast<int>(2 * ball / gap) + 3;
    std::vector<std::vector<int>> grid(static_cast<std::size_t>(cells) * cells * cells);
    const auto cell = [&](double v) { return static_cast<int>((v + ball) / gap) + 1; };
    std::vector<TestSphere> spheres;
    while (static_cast<int>(spheres.size()) < count) {
        const TestSphere s{coordinate(rng), coordinate(rng), coordinate(rng), radius(rng)};
        if (s.x * s.x + s.y * s.y + s.z * s.z > ball * ball) continue;
        const int cx = cell(s.x), cy = cell(s.y), cz = cell(s.z);
        bool apart = true;
        for (int dx = -1; dx <= 1 && apart; ++dx)
            for (int dy = -1; dy <= 1 && apart; ++dy)
                for (int dz = -1; dz <= 1 && apart; ++dz)
                    for (const int t : grid[((cx + dx) * cells + cy + dy) * cells + cz + dz]) {
                        const TestSphere& o = spheres[t];
                        const double dx = o.x - s.x, dy = o.y - s.y, dz = o.z - s.z;
                        const double d2 = dx * dx + dy * dy + dz * dz;
                        if (d2 < gap * gap) apart = false;
                    }
        if (!apart) continue;
        grid[(cx * cells + cy) * cells + cz].push_back(static_cast<int>(spheres.size()));
        spheres.push_back(s);
    }
    return spheres;
}

std::vector<TestSphere> tetrahedron(double edge, double r, double x, double y, double z) {
    const double a = edge / std::sqrt(8.0);
    return {{x + a, y + a, z + a, r}, {x + a, y - a, z - a, r}, {x - a, y + a, z - a, r}, {x - a, y - a, z + a, r}};
}

std::vector<TestSphere> cube_corners(double side, double r) {
    std::vector<TestSphere> spheres;
    for (int n = 0; n < 8; ++n)
        spheres.push_back({(n & 1 ? 0.5 : -0.5) * side, (n & 2 ? 0.5 : -0.5) * side, (n & 4 ? 0.5 : -0.5) * side, r});
    return spheres;
}

std::vector<TestSphere> thick_ring(int count, double ring_radius, double height, double r, double jitter) {
    std::vector<TestSphere> spheres;
    for (int layer = 0; layer < 2; ++layer)
        for (int n = 0; n < count; ++n) {
            const double angle = 2 * kPi * (n + 0.5 * layer) / count;
            const int seed = 7 * n + 3 * layer;
            spheres.push_back({ring_radius * std::cos(angle) + jitter * std::sin(seed * 1.3),
                               ring_radius * std::sin(angle) + jitter * std::sin(seed * 2.7),
                               (layer == 0 ? height : -height) / 2 + jitter * std::sin(seed * 0.7), r});
        }
    return spheres;
}

void add_shell(std::vector<TestSphere>& spheres, int count, double radius, double r) {
    const double golden = kPi * (3 - std::sqrt(5.0));
    for (int n = 0; n < count; ++n) {
        const double z = 1 - (2 * n + 1.0) / count;
        const double ring = std::sqrt(1 - z * z);
        spheres.push_back({radius * ring * std::cos(golden * n), radius * ring * std::sin(golden * n), radius * z, r});
    }
}

std::vector<TestSphere> hollow_shell(bool covered) {
    std::vector<TestSphere> spheres;
    add_shell(spheres, 80, 6.0, 1.6);
    if (covered) add_shell(spheres, 160, 8.5, 1.6);
    return spheres;
}

std::vector<TestSphere> read_spheres(const std::string& path) {
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::vector<TestSphere> spheres;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        fields.imbue(std::locale::classic());
        TestSphere s;
        fields >> s.x >> s.y >> s.z >> s.r;
        spheres.push_back(s);
    }
    return spheres;
}

std::string number_text(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.9g", value);
    return buffer;
}

std::string sphere_file(const std::vector<TestSphere>& spheres) {
    std::string lines;
    for (const TestSphere& s : spheres)
        lines += number_text(s.x) + " " + number_text(s.y) + " " + number_text(s.z) + " " + number_text(s.r) + " " +
                 std::to_string(s.flags) + "\n";
    return lines;
}

}  // namespace surface_testing
