#pragma once
// A species' charges laid out for the electrostatic drift: body positions,
// charges and charge times position, each in its own contiguous array, so
// that the drift's passes over the charges run on the vector unit. Made from
// `PROT_CLASS::charges` once they are final (species set-up, or the scene
// preparation for a species that has none yet); a table that does not match
// its species' charges is not used (the drift then takes the charges one by
// one).
//
// `DriftScratch` is the drift's working storage, held by the engine and
// sized by the preparation for the largest charge list.
#include <cstdint>
#include <vector>

#include "dynamics/species/ATOM.h"

struct DriftCharges {
    std::vector<double> x, y, z;     // body frame, metres
    std::vector<double> q;           // elementary charges
    std::vector<double> qx, qy, qz;  // q times the position

    std::size_t size() const { return q.size(); }
    // Whether the table was made from `charges` (as far as a cheap check can
    // tell: the same number, at least one, the same first and last).
    bool matches(const std::vector<ATOM>& charges) const {
        const std::size_t n = size();
        return n > 0 && charges.size() == n && same(charges.front(), 0) && same(charges.back(), n - 1);
    }

private:
    bool same(const ATOM& a, std::size_t k) const { return a.x == x[k] && a.y == y[k] && a.z == z[k] && a.q == q[k]; }
};

DriftCharges make_drift_charges(const std::vector<ATOM>& charges);

// One pair's drift between its two halves: per charge of the moving
// species its interior grid cell or -1, and the acting charges, ascending.
struct DriftSlot {
    std::vector<std::int32_t> cells;
    std::vector<std::int32_t> acting;
    std::size_t acting_n = 0;
    bool tabled = false;  // the moving species' DriftCharges were used

    void reserve(std::size_t charges) {
        if (cells.size() < charges) cells.resize(charges);
        if (acting.size() < charges) acting.resize(charges);
    }
};

// Two slots for the step loop, which finds the next pair's cells and starts
// their loads while the current pair's are summed, and one for a drift
// taken whole (eforce_prot).
struct DriftScratch {
    DriftSlot slots[2];
    DriftSlot whole;

    void reserve(std::size_t charges) {
        for (DriftSlot& slot : slots) slot.reserve(charges);
        whole.reserve(charges);
    }
};
