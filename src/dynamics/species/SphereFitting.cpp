#include "dynamics/species/SphereFitting.h"

#include <cmath>
#include <cstddef>

#include "dynamics/species/Miniball.h"

namespace covering_spheres {

bool covers(const SPHERE& s, const ATOM& a) {
    const double dx = a.x - s.x, dy = a.y - s.y, dz = a.z - s.z;
    return (std::sqrt(dx * dx + dy * dy + dz * dz) - s.r) * 1e10 < 0.1;
}

namespace {

// How many of the spheres present (radius not 0) cover each atom.
std::vector<int> cover_counts(const std::vector<SPHERE>& spheres, const std::vector<ATOM>& atoms) {
    std::vector<int> count(atoms.size(), 0);
    for (const SPHERE& s : spheres) {
        if (s.r == 0.0) continue;
        for (std::size_t a = 0; a < atoms.size(); ++a)
            if (covers(s, atoms[a])) ++count[a];
    }
    return count;
}

}  // namespace

int fit_spheres(std::vector<SPHERE>& spheres, const std::vector<ATOM>& atoms, double h) {
    std::vector<int> count = cover_counts(spheres, atoms);
    std::vector<char> mine(atoms.size());
    int removed = 0;
    for (SPHERE& s : spheres) {
        // The atoms s covers, and whether the others cover every atom.
        bool redundant = true;
        for (std::size_t a = 0; a < atoms.size(); ++a) {
            mine[a] = s.r != 0.0 && covers(s, atoms[a]);
            if (count[a] - mine[a] < 1) redundant = false;
        }
        if (redundant) {
            for (std::size_t a = 0; a < atoms.size(); ++a) count[a] -= mine[a];
            s.r = 0.0;
            ++removed;
            continue;
        }
        Miniball<3> ball;
        for (std::size_t a = 0; a < atoms.size(); ++a)
            if (mine[a]) ball.check_in(Point<3>(atoms[a].x, atoms[a].y, atoms[a].z));
        if (ball.nr_points() == 0) throw "sphere generator: internal error";
        ball.build();
        const Point<3> centre = ball.center();
        s = SPHERE{{centre[0], centre[1], centre[2]}, std::sqrt(ball.squared_radius()) + h / 10.0};
        for (std::size_t a = 0; a < atoms.size(); ++a) count[a] += (covers(s, atoms[a]) ? 1 : 0) - mine[a];
    }
    return removed;
}

}  // namespace covering_spheres
