#pragma once
// The electrostatic drift written plainly, charge by charge: each charge is
// carried out of the mover's body frame into the world and into the
// source's body frame with its own nearest periodic image, the gradient of
// its grid cell is carried back the same way, and its force and torque are
// added one at a time. The engine's drift is held to it.
#include <cmath>
#include <cstddef>

#include "dynamics/PDcalc.h"
#include "dynamics/species/GridIndex.h"

namespace dynamics_testing {

struct ReferenceDrift {
    POINT3D d{0.0, 0.0, 0.0};  // displacement, m (mover's body frame)
    POINT3D w{0.0, 0.0, 0.0};  // the stored (negated) rotation angles, rad
    // Per component the sum of the magnitudes of the charges' terms: the
    // scale against which a sum taken in another order is compared.
    POINT3D d_scale{0.0, 0.0, 0.0};
    POINT3D w_scale{0.0, 0.0, 0.0};
    int acting = 0;  // charges inside the grid's interior
};

inline ReferenceDrift reference_drift(const PDcalc& engine, const PROT& p, const PROT& q) {
    ReferenceDrift out;
    const PROT_CLASS& mover = engine.model.species[static_cast<std::size_t>(p.species)];
    const PROT_CLASS& source = engine.model.species[static_cast<std::size_t>(q.species)];
    const COMPARTMENT* compartment = engine.compartment_of(mover);
    const int n = source.pot_n;
    const auto cell = [&](double coordinate, int& index) {
        const double t = coordinate / engine.h + static_cast<double>(n / 2);
        if (!(t >= 1.0 && t < static_cast<double>(n - 1))) return false;
        index = static_cast<int>(t);
        return true;
    };
    const auto add = [](double& sum, double& scale, double term) {
        sum += term;
        scale += std::fabs(term);
    };
    for (const ATOM& charge : mover.charges) {
        const POINT3D r{charge.x, charge.y, charge.z};
        const POINT3D in_source = r.fromInternal(p).toInternal(q, compartment);
        int i, j, k;
        if (!cell(in_source.x, i) || !cell(in_source.y, j) || !cell(in_source.z, k)) continue;
        ++out.acting;
        const POINT3D g = source.field[static_cast<std::size_t>(lin(n, i, j, k))]
                              .fromInternalRotateOnly(q)
                              .toInternalRotateOnly(p);
        const POINT3D F = g * (engine.TimeStep * -1.6e-19 * charge.q);
        const POINT3D torque{r.y * F.z - r.z * F.y, r.z * F.x - r.x * F.z, r.x * F.y - r.y * F.x};
        if (engine.EF_Trans) {
            add(out.d.x, out.d_scale.x, F.x / mover.f_trans_b);
            add(out.d.y, out.d_scale.y, F.y / mover.f_trans_b);
            add(out.d.z, out.d_scale.z, F.z / mover.f_trans_a);
        }
        if (engine.EF_Rotate) {
            add(out.w.x, out.w_scale.x, -torque.x / mover.f_rot_b);
            add(out.w.y, out.w_scale.y, -torque.y / mover.f_rot_b);
            add(out.w.z, out.w_scale.z, -torque.z / mover.f_rot_a);
        }
    }
    return out;
}

}  // namespace dynamics_testing
