#pragma once
// The first stages of the covering-sphere generator: which grid cells may
// centre a sphere, how large it may grow, and how much covering each atom
// cell is worth.
//
// Distances on the grid are measured in half-cells: the centre of a cell
// lies one half-cell from its faces. Protein cells (permittivity below 30)
// are the candidate centres; solvent cells (above 70) limit how far a
// candidate's ball may reach.
#include <array>
#include <memory>
#include <vector>

#include "dynamics/species/ATOM.h"

namespace covering_spheres {

inline constexpr double protein_level = 30.0;  // eps below: a protein cell
inline constexpr double solvent_level = 70.0;  // eps above: a solvent cell

// The candidate grid, one value per cell (flat, lin order):
// 0 for a cell that is no candidate; otherwise |value| is the candidate's
// squared ball radius in half-cells, and the value is positive when an atom
// centre lies in the cell (an atom cell, which is to be covered).
struct CandidateGrid {
    std::vector<double> reach;
    int protein_cells = 0;
};

// For every protein cell p: with D the distance from p's centre to the
// nearest point of a solvent cell plus `r_plus` (half-cells), the value
// −max(3, min(n, D²)) over the nearest solvent cell, clamped the way the
// generator has always done it: −n when there is no solvent cell at all.
// Then every atom whose centre lies in a protein cell makes that cell's value
// positive. `eps` holds n³ cells; atoms are in the body frame (metres), h is
// the grid step.
CandidateGrid candidate_grid(const std::vector<double>& eps, int n, double r_plus, const std::vector<ATOM>& atoms,
                             double h);

// The squared radius in half-cells of a candidate's ball (the integer part of
// |reach|) and the half-width of the window of cells it can touch: cells
// whose offset from the candidate is below this on every axis.
int candidate_r2(double reach);
int candidate_window(int r2);

// Whether a cell at offset (dx, dy, dz) from a candidate lies wholly within
// its ball (its farthest corner does), or touches it (its nearest point
// does).
inline bool wholly_within(int dx, int dy, int dz, int r2) {
    const auto far = [](int d) {
        const int a = 2 * (d < 0 ? -d : d) + 1;
        return a * a;
    };
    return far(dx) + far(dy) + far(dz) <= r2;
}
inline bool touches(int dx, int dy, int dz, int r2) {
    const auto near = [](int d) {
        const int a = d == 0 ? 0 : 2 * (d < 0 ? -d : d) - 1;
        return a * a;
    };
    return near(dx) + near(dy) + near(dz) <= r2;
}

// The cell offsets around a candidate of squared radius r2, in scan order
// (x, then y, then z ascending): those within its window that touch its
// ball, and those wholly within it. Built once per radius met.
class BallOffsets {
public:
    using Offset = std::array<int, 3>;
    struct Lists {
        std::vector<Offset> touched;
        std::vector<Offset> held;
    };
    const Lists& operator()(int r2);

private:
    std::vector<std::unique_ptr<Lists>> by_r2_;
};

// Weights of the atom cells: an atom cell that c candidates' balls hold
// wholly gets 1/c³, so that atoms few candidates can reach count more; every
// other cell 0.
std::vector<double> atom_cell_weights(const CandidateGrid& candidates, int n);

}  // namespace covering_spheres
