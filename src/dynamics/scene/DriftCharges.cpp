#include "dynamics/scene/DriftCharges.h"

namespace {

bool same(const ATOM& a, const DriftCharges& t, std::size_t k) {
    return a.x == t.x[k] && a.y == t.y[k] && a.z == t.z[k] && a.q == t.q[k];
}

}  // namespace

bool DriftCharges::matches(const std::vector<ATOM>& charges) const {
    const std::size_t n = size();
    return n > 0 && charges.size() == n && same(charges.front(), *this, 0) && same(charges.back(), *this, n - 1);
}

DriftCharges make_drift_charges(const std::vector<ATOM>& charges) {
    DriftCharges t;
    for (const ATOM& a : charges) {
        t.x.push_back(a.x);
        t.y.push_back(a.y);
        t.z.push_back(a.z);
        t.q.push_back(a.q);
        t.qx.push_back(a.q * a.x);
        t.qy.push_back(a.q * a.y);
        t.qz.push_back(a.q * a.z);
    }
    return t;
}
