#pragma once
// Working storage of the step's pair loop. The centres and species of the
// scene are mirrored in separate contiguous arrays, so that the squared
// distances from one instance to all others are computed in one pass that
// the compiler can vectorise; the loop then looks at the few pairs within a
// range. The distances are those of getDistance2, bit for bit.
#include <cstdint>
#include <vector>

#include "dynamics/scene/PROT.h"
#include "utils/geometry/COMPARTMENT.h"

struct PairScan {
    std::vector<double> x, y, z;         // centres of the scene's instances
    std::vector<std::int32_t> species;   // their species
    std::vector<double> d2;              // squared distances of the last pass
    std::vector<double> reach2;          // per species: the largest squared range of a pair record
    // Set while a time step runs: the mirror then holds every instance but
    // the one moving, whose own entry is skipped.
    bool live = false;

    // Sizes every array once, so that the step loop does not allocate.
    void reserve(std::size_t instances, std::size_t species_n);
    // Mirrors the first n instances.
    void load(const PROT* prots, std::int32_t n);
    // Mirrors instance i after it has moved.
    void update(std::int32_t i, const PROT& p) {
        const auto k = static_cast<std::size_t>(i);
        x[k] = p.x;
        y[k] = p.y;
        z[k] = p.z;
    }
    // d2[j] = getDistance2(p, instance j, c) for the n mirrored instances;
    // NaN where a centre lies more than a period away, which `exact` then
    // gives.
    void distances(const POINT3D& p, std::int32_t n, const COMPARTMENT* c);
    double exact(const POINT3D& p, std::int32_t j, const COMPARTMENT* c) const;
};
