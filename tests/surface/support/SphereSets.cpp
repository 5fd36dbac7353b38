#include "surface/support/SphereSets.h"

#include <cmath>
#include <fstream>
#include <locale>
#include <random>
#include <sstream>
#include <stdexcept>

namespace surface_testing {

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
    const double ball = std::cbrt(3 * volume_per_sphere * count / (4 * 3.141592653589793));
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
                        if ((o.x - s.x) * (o.x - s.x) + (o.y - s.y) * (o.y - s.y) + (o.z - s.z) * (o.z - s.z) < gap * gap)
                            apart = false;
                    }
        if (!apart) continue;
        grid[(cx * cells + cy) * cells + cz].push_back(static_cast<int>(spheres.size()));
        spheres.push_back(s);
    }
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

}  // namespace surface_testing
