// The closest pair of atoms of two instances.
#include <cmath>
#include <limits>

#include "dynamics/PDcalc.h"

double PDcalc::atomic_distance(PROT* p, PROT* q, int& ip, int& iq) {
    const PROT_CLASS& sp = model.species.at(static_cast<std::size_t>(p->species));
    const PROT_CLASS& sq = model.species.at(static_cast<std::size_t>(q->species));
    double best = std::numeric_limits<double>::infinity();
    if (sq.atoms.empty()) return best;
    const COMPARTMENT* c = compartment_of(sp);
    for (std::size_t j = 0; j < sq.atoms.size(); ++j) {
        const ATOM& b = sq.atoms[j];
        const POINT3D world_b = POINT3D{b.x, b.y, b.z}.fromInternal(*q);
        for (std::size_t i = 0; i < sp.atoms.size(); ++i) {
            const ATOM& a = sp.atoms[i];
            const double d2 = getDistance2(POINT3D{a.x, a.y, a.z}.fromInternal(*p), world_b, c);
            if (d2 < best) {
                best = d2;
                ip = static_cast<int>(i);
                iq = static_cast<int>(j);
            }
        }
    }
    return std::sqrt(best);
}
