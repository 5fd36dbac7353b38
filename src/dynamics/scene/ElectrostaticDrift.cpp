// The deterministic part of an instance's step: the drift and turn that the
// electrostatic field of another instance gives it in one time step.
//
// Every charge of the moving instance p is carried into the body frame of
// the field's source q, looked up in q's gradient grid (nearest cell), and
// its force and torque are summed in p's body frame. The work is arranged
// per pair rather than per charge:
// - the frames' rotations and the centres' difference, folded once to its
//   nearest periodic image, are composed into one rotation and one offset
//   from p's body frame to q's grid cells; a charge far enough from q's
//   centre that its own nearest image might differ from the centres' is
//   carried the long way instead;
// - the gradients are summed in q's frame, weighted by charge and by charge
//   times position, and turned into p's frame once: the impulse is
//   G · Σ q g and the torque is read off S · Gᵀ with S = Σ q r gᵀ, the same
//   sums as Σ r × (q G g) grouped differently.
// The cell of each charge is chosen as before (up to the rounding of the
// composed transform); only the order of the sums' roundings changes.
#include <algorithm>
#include <cstddef>
#include <limits>

#include "dynamics/PDcalc.h"
#include "dynamics/species/GridIndex.h"

namespace {

// The elementary charge with the sign that turns the potential gradient into
// a force: F = −e · q · ∇φ.
constexpr double signed_elementary_charge = -1.6e-19;

// How far from orthonormal the stored rotations may be (a few parts in a
// million), with room to spare: lengths carried through them are trusted to
// this fraction.
constexpr double rotation_tolerance = 1e-3;

using RowMatrix = double[3][3];

// out = aᵀ · bᵀ.
void transposes_product(const RowMatrix& a, const RowMatrix& b, RowMatrix& out) {
    for (int k = 0; k < 3; ++k)
        for (int l = 0; l < 3; ++l) out[k][l] = a[0][k] * b[l][0] + a[1][k] * b[l][1] + a[2][k] * b[l][2];
}

// m · v.
POINT3D times(const RowMatrix& m, const POINT3D& v) {
    return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z, m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
            m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
}

// The grid cell along one axis of a position t in cells from the grid's
// lower face, when it lies inside the grid's interior (cells 1 to n − 2):
// the outer layer of cells, and all outside the grid, exert nothing. The
// range is tested before the conversion, so far-away and non-finite
// positions are skipped too.
inline bool interior_cell(double t, int n, int& cell) {
    if (!(t >= 1.0 && t < static_cast<double>(n - 1))) return false;
    cell = static_cast<int>(t);
    return true;
}

// The flat index of the interior cell holding a position given in cells
// from the grid's centre, or -1.
inline std::int32_t interior_index(const POINT3D& v, int n) {
    const double centre = static_cast<double>(n / 2);
    int i, j, k;
    if (interior_cell(v.x + centre, n, i) && interior_cell(v.y + centre, n, j) && interior_cell(v.z + centre, n, k))
        return lin(n, i, j, k);
    return -1;
}

// p's body frame to q's grid, in cells from the grid's centre: v = a · r +
// offset, with the centres' difference folded to its nearest image once.
// Within sqrt(far2) cells of q's centre a charge is within half a period of
// it along every axis, so that image is the charge's own nearest image too;
// a charge farther out (only in a box not much wider than the grid) is
// carried charge by charge, out into the world and folded on its own.
struct CellMap {
    RowMatrix a;
    POINT3D offset;
    double far2;  // squared, cells; infinite in open space

    CellMap(const PROT& p, const PROT& q, const COMPARTMENT* compartment, double h) {
        transposes_product(q.rot_inv, p.rot, a);
        for (auto& row : a)
            for (double& e : row) e /= h;
        const POINT3D centres{getAxisDelta(p.x - q.x, AXIS::x, compartment),
                              getAxisDelta(p.y - q.y, AXIS::y, compartment),
                              getAxisDelta(p.z - q.z, AXIS::z, compartment)};
        offset = centres.toInternalRotateOnly(q) / h;
        far2 = std::numeric_limits<double>::infinity();
        if (compartment != nullptr && compartment->type == 0) {
            const POINT3D& half = compartment->halfsize;
            const double nearest = std::min({half.x, half.y, half.z}) / h * (1.0 - rotation_tolerance);
            far2 = nearest > 0 ? nearest * nearest : -1.0;
        }
    }
};

}  // namespace

void PDcalc::eforce_prot(POINT3D& d, POINT3D& w, const PROT& p, const PROT& q) const {
    if (!EF_Trans && !EF_Rotate) return;
    const PROT_CLASS& moving = model.species[static_cast<std::size_t>(p.species)];
    const PROT_CLASS& source = model.species[static_cast<std::size_t>(q.species)];
    const int n = source.pot_n;
    if (n < 3 || source.field.size() < static_cast<std::size_t>(n) * n * n) return;
    const COMPARTMENT* compartment = compartment_of(moving);
    const POINT3D* field = source.field.data();

    // The grid cells of the charges come first, each cell's load started at
    // once: the cells of one protein lie far apart in a grid of many
    // megabytes, and waiting for them one after another would dominate the
    // step.
    const std::size_t charges = moving.charges.size();
    if (drift_cells.size() < charges) drift_cells.resize(charges);
    std::int32_t* cells = drift_cells.data();
    const ATOM* charge = moving.charges.data();
    const CellMap map(p, q, compartment, h);
    for (std::size_t c = 0; c < charges; ++c) {
        const POINT3D r{charge[c].x, charge[c].y, charge[c].z};
        POINT3D v = times(map.a, r) + map.offset;
        if (v.x * v.x + v.y * v.y + v.z * v.z > map.far2) [[unlikely]]
            v = r.fromInternal(p).toInternal(q, compartment) / h;
        cells[c] = interior_index(v, n);
        if (cells[c] >= 0) __builtin_prefetch(field + cells[c]);
    }

    // Σ q g and S = Σ q r gᵀ over the charges in the grid's interior, with
    // the gradients in q's frame; kept in locals so that the loop stores
    // nothing.
    POINT3D charge_field{0.0, 0.0, 0.0};
    double s[3][3] = {};
    bool acted = false;
    for (std::size_t c = 0; c < charges; ++c) {
        if (cells[c] < 0) continue;
        const POINT3D g = field[cells[c]];
        const double qc = charge[c].q;
        const double rq[3] = {charge[c].x * qc, charge[c].y * qc, charge[c].z * qc};
        charge_field += g * qc;
        for (int j = 0; j < 3; ++j) {
            s[j][0] += rq[j] * g.x;
            s[j][1] += rq[j] * g.y;
            s[j][2] += rq[j] * g.z;
        }
        acted = true;
    }
    if (!acted) return;

    // g' = G · g carries a gradient from q's frame into p's: G = rot_inv_pᵀ ·
    // rot_qᵀ. The impulse (N·s) is k · G · Σ q g and the torque impulse
    // r × F summed is k · (T_yz − T_zy, T_zx − T_xz, T_xy − T_yx) with
    // T = S · Gᵀ, k = Δt · (−e).
    RowMatrix g;
    transposes_product(p.rot_inv, q.rot, g);
    const double k = TimeStep * signed_elementary_charge;
    const POINT3D impulse = times(g, charge_field) * k;
    double t[3][3];
    for (int j = 0; j < 3; ++j)
        for (int l = 0; l < 3; ++l) t[j][l] = s[j][0] * g[l][0] + s[j][1] * g[l][1] + s[j][2] * g[l][2];
    const POINT3D torque{(t[1][2] - t[2][1]) * k, (t[2][0] - t[0][2]) * k, (t[0][1] - t[1][0]) * k};
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
