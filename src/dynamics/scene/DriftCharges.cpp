#include "dynamics/scene/DriftCharges.h"

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
