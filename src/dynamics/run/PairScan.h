#pragma once
// Working storage of the step's pair loop. The centres and species of the
// scene are mirrored in separate contiguous arrays, so that the squared
// distances from one instance to all others are computed in one pass that
// the compiler can vectorise; the loop then looks at the few pairs within a
// range, picked in a second quick pass. The distances are those of
// getDistance2, bit for bit.
//
// In a scene large enough, the instances are also filed in cells of each
// compartment (NeighbourCells), kept current as they move: the near
// instances are then picked among those of the cells around a point, with
// the same distances, in the same ascending order.
#include <cstdint>
#include <vector>

#include "dynamics/run/NeighbourCells.h"
#include "dynamics/scene/PROT.h"
#include "utils/geometry/COMPARTMENT.h"

struct PairScan {
    std::vector<double> x, y, z;         // centres of the scene's instances
    std::vector<std::int32_t> species;   // their species
    std::vector<double> d2;              // squared distances of the last pass
    std::vector<std::int32_t> near;      // indices picked by the last pick (pick_near, select_near)
    std::vector<std::int32_t> drifting;  // places in `near` of the instances whose field moves the stepping one
    std::vector<double> reach2;          // per species: the largest squared range of a pair record
    // The instances of the cells around a point: centres, distances, indices.
    std::vector<double> found_x, found_y, found_z, found_d2;
    std::vector<std::int32_t> found_index;
    // Per compartment of the model: the scene filed in its cells, and the
    // compartment they were laid over (null: none this step).
    std::vector<NeighbourCells> cells;
    std::vector<const COMPARTMENT*> cells_over;
    bool use_cells = true;  // false: every pick takes the plain pass (tests compare the two)
    // Set while a time step runs: the mirror then holds every instance but
    // the one moving, whose own entry is skipped.
    bool live = false;
    // The instance whose near list `near` holds (-1: none), its centre when
    // the list was picked, the list's squared range and its length.
    std::int32_t near_owner = -1;
    POINT3D near_centre{};
    double near_limit2 = 0.0;
    std::size_t near_n = 0;

    // Sizes every array once, so that the step loop does not allocate.
    void reserve(std::size_t instances, std::size_t species_n, std::size_t compartments_n = 1);
    // Mirrors the first n instances; no cells are laid.
    void load(const PROT* prots, std::int32_t n);
    // Lays the cells of compartment `k` of the model, c, for picks within
    // sqrt(range2) (m) of instances of its species, and files the n
    // mirrored instances in them.
    void lay_cells(std::size_t k, const COMPARTMENT* c, double range2, std::int32_t n);
    // Mirrors instance i after it has moved.
    void update(std::int32_t i, const PROT& p) {
        const auto k = static_cast<std::size_t>(i);
        x[k] = p.x;
        y[k] = p.y;
        z[k] = p.z;
        for (std::size_t g = 0; g < cells_over.size(); ++g)
            if (cells_over[g] != nullptr) cells[g].move(i, p.x, p.y, p.z);
    }
    // Puts into `near`, ascending, every instance j < n that may lie within
    // sqrt(limit2) of p under c's distances: each j whose getDistance2 is
    // at most limit2 or NaN, and possibly a few farther ones, whose d2[j]
    // then holds their distance or NaN (resolve_near gives those). Taken
    // from the cells laid over c when there are any that serve limit2,
    // otherwise from a pass over all n (distances, select_near). Returns
    // their number.
    std::size_t pick_near(const POINT3D& p, std::int32_t n, double limit2, const COMPARTMENT* c);
    // d2[j] = getDistance2(p, instance j, c) for the n mirrored instances;
    // NaN where a centre lies more than a period away, which `exact` then
    // gives.
    void distances(const POINT3D& p, std::int32_t n, const COMPARTMENT* c);
    double exact(const POINT3D& p, std::int32_t j, const COMPARTMENT* c) const;
    // Puts into `near`, ascending, the indices j < n whose d2[j] of the last
    // pass is at most limit2 or NaN: every instance that may lie within a
    // range of limit2 or less. Returns their number.
    std::size_t select_near(std::int32_t n, double limit2);
    // Replaces the NaN marks among the first n near instances' distances by
    // their full folds (exact), so that every near distance is known.
    void resolve_near(const POINT3D& p, std::size_t n, const COMPARTMENT* c);
    // Records that `near` (of select_near) is instance i's list, picked with
    // limit2 from its centre `centre`.
    void own_near(std::int32_t i, const POINT3D& centre, double limit2, std::size_t n);
    // Whether instance i's recorded list holds every instance within
    // sqrt(limit2) of i's centre `now`: i has moved from where the list was
    // picked by no more than the list's range beyond sqrt(limit2). Distances
    // on a periodic box's torus are never longer than in space, so the test
    // holds there too.
    bool near_covers(std::int32_t i, const POINT3D& now, double limit2) const;
};
