#pragma once
// The greedy stage of the covering-sphere generator: picks candidate balls
// one by one until every reachable atom cell is covered.
#include <vector>

#include "dynamics/species/SphereCandidates.h"
#include "utils/geometry/SPHERE.h"

namespace covering_spheres {

// Repeatedly takes the candidate whose ball holds the most weight of atom
// cells not yet covered (cells of permittivity above 10 count against it:
// 2 each above 50, else 1, among the cells its ball touches; the higher of
// these penalties breaks a tie of weight, and then the earlier cell in x, y,
// z order), until no candidate holds any weight. Each ball taken becomes a
// sphere centred on its cell with the radius sqrt((r2 + 0.01) / 2) · h, and
// the weights of the cells it holds wholly drop to 0. `weight` is consumed.
//
// The result equals that of scanning every candidate's window on every pass;
// scores are kept per candidate and only those whose cells lost weight are
// summed again, in the same order, so they are the same numbers.
std::vector<SPHERE> select_spheres(const CandidateGrid& candidates, std::vector<double>& weight,
                                   const std::vector<double>& eps, int n, double h);

}  // namespace covering_spheres
