// The deterministic part of an instance's step: the drift and turn that the
// electrostatic field of another instance gives it in one time step.
#include <cstddef>

#include "dynamics/PDcalc.h"
#include "dynamics/species/GridIndex.h"

namespace {

// The elementary charge with the sign that turns the potential gradient into
// a force: F = −e · q · ∇φ.
constexpr double signed_elementary_charge = -1.6e-19;

// The grid cell along one axis of a body coordinate, when it lies inside the
// grid's interior (cells 1 to n − 2): the outer layer of cells, and all
// outside the grid, exert nothing. The cell is trunc(coordinate / h + n / 2);
// the range is tested before the conversion, so far-away and non-finite
// coordinates are skipped too.
inline bool interior_cell(double coordinate, double h, int n, int& cell) {
    const double t = coordinate / h + static_cast<double>(n / 2);
    if (!(t >= 1.0 && t < static_cast<double>(n - 1))) return false;
    cell = static_cast<int>(t);
    return true;
}

}  // namespace

void PDcalc::eforce_prot(POINT3D& d, POINT3D& w, const PROT& p, const PROT& q) const {
    if (!EF_Trans && !EF_Rotate) return;
    const PROT_CLASS& moving = model.species[static_cast<std::size_t>(p.species)];
    const PROT_CLASS& source = model.species[static_cast<std::size_t>(q.species)];
    const int n = source.pot_n;
    if (n < 3 || source.field.size() < static_cast<std::size_t>(n) * n * n) return;
    const COMPARTMENT* compartment = compartment_of(moving);
    const POINT3D* field = source.field.data();
    const double grid_step = h;
    const double impulse_per_charge = TimeStep * signed_elementary_charge;

    // The force impulse (N·s) and the torque impulse r × F summed over the
    // charges, in p's body frame; kept in locals so that the loop stores
    // nothing.
    POINT3D impulse{0.0, 0.0, 0.0};
    POINT3D torque{0.0, 0.0, 0.0};
    bool acted = false;
    for (const ATOM& charge : moving.charges) {
        const POINT3D r{charge.x, charge.y, charge.z};
        const POINT3D in_source = r.fromInternal(p).toInternal(q, compartment);
        int i, j, k;
        if (!interior_cell(in_source.x, grid_step, n, i) || !interior_cell(in_source.y, grid_step, n, j) ||
            !interior_cell(in_source.z, grid_step, n, k))
            continue;
        // Nearest cell, no interpolation; the gradient is kept in q's frame.
        const POINT3D gradient = field[lin(n, i, j, k)].fromInternalRotateOnly(q).toInternalRotateOnly(p);
        const POINT3D F = gradient * (impulse_per_charge * charge.q);
        impulse += F;
        torque += POINT3D{r.y * F.z - r.z * F.y, r.z * F.x - r.x * F.z, r.x * F.y - r.y * F.x};
        acted = true;
    }
    if (!acted) return;
    if (EF_Trans) {
        d.x += impulse.x / moving.f_trans_b;
        d.y += impulse.y / moving.f_trans_b;
        d.z += impulse.z / moving.f_trans_a;
    }
    if (EF_Rotate) {
        // The angles are stored negated: prot_move turns the body through
        // turn_3a with the negated angles, so it turns by +τ/f.
        w.z -= torque.z / moving.f_rot_a;
        w.y -= torque.y / moving.f_rot_b;
        w.x -= torque.x / moving.f_rot_b;
    }
}
