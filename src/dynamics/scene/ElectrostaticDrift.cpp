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

    // The grid cells of the charges come first, each cell's load started at
    // once: the cells of one protein lie far apart in a grid of many
    // megabytes, and waiting for them one after another would dominate the
    // step. The sums then run over the charges in their order, as before.
    const std::size_t charges = moving.charges.size();
    if (drift_cells.size() < charges) drift_cells.resize(charges);
    std::int32_t* cells = drift_cells.data();
    for (std::size_t c = 0; c < charges; ++c) {
        const ATOM& charge = moving.charges[c];
        const POINT3D in_source = POINT3D{charge.x, charge.y, charge.z}.fromInternal(p).toInternal(q, compartment);
        int i, j, k;
        if (interior_cell(in_source.x, grid_step, n, i) && interior_cell(in_source.y, grid_step, n, j) &&
            interior_cell(in_source.z, grid_step, n, k)) {
            cells[c] = lin(n, i, j, k);
            __builtin_prefetch(field + cells[c]);
        } else {
            cells[c] = -1;
        }
    }

    // The force impulse (N·s) and the torque impulse r × F summed over the
    // charges, in p's body frame; kept in locals so that the loop stores
    // nothing.
    POINT3D impulse{0.0, 0.0, 0.0};
    POINT3D torque{0.0, 0.0, 0.0};
    bool acted = false;
    for (std::size_t c = 0; c < charges; ++c) {
        if (cells[c] < 0) continue;
        const ATOM& charge = moving.charges[c];
        const POINT3D r{charge.x, charge.y, charge.z};
        // Nearest cell, no interpolation; the gradient is kept in q's frame.
        const POINT3D gradient = field[cells[c]].fromInternalRotateOnly(q).toInternalRotateOnly(p);
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
