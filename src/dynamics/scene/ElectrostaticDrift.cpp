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
//
// The passes over the charges are compiled for several instruction sets.
// Each charge's arithmetic is the same in every version, and the sums are
// split over a fixed number of partial sums whatever the vector width, so
// every version gives the same bits.
#include <algorithm>
#include <cstddef>
#include <limits>

#include "dynamics/PDcalc.h"
#include "dynamics/species/GridIndex.h"

#if defined(__x86_64__) && !defined(__clang__)
#define ZELMAR_VECTOR_CLONES __attribute__((target_clones("avx512f", "avx2", "default")))
#else
#define ZELMAR_VECTOR_CLONES
#endif

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

// The flat index of the cell holding a position given in cells from the
// grid's centre when the cell lies in the grid's interior (cells 1 to n − 2
// along every axis), or -1: the outer layer of cells, and all outside the
// grid, exert nothing. The cell along an axis is trunc(position + n / 2).
// Without branches, since whether a charge falls inside is a coin toss for
// the processor; the range is tested before the conversion, so far-away and
// non-finite positions are converted as cell 1 and then dropped.
inline std::int32_t interior_index(double vx, double vy, double vz, int n) {
    const double centre = static_cast<double>(n / 2);
    const double last = static_cast<double>(n - 1);
    const double x = vx + centre;
    const double y = vy + centre;
    const double z = vz + centre;
    const bool inside = (x >= 1.0) & (x < last) & (y >= 1.0) & (y < last) & (z >= 1.0) & (z < last);
    const int i = static_cast<int>(inside ? x : 1.0);
    const int j = static_cast<int>(inside ? y : 1.0);
    const int k = static_cast<int>(inside ? z : 1.0);
    return inside ? lin(n, i, j, k) : -1;
}

// p's body frame to q's grid, in cells from the grid's centre: v = a · r +
// offset, with the centres' difference folded to its nearest image once.
// Within sqrt(far2) cells of q's centre a charge is within half a period of
// it along every axis, so that image is the charge's own nearest image too;
// a charge farther out (only in a box not much wider than the grid) is
// carried on its own, out into the world and folded by itself.
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

// The charge's own way into q's grid: out into the world, the difference to
// q's centre folded by itself, into q's frame; in cells from the centre.
POINT3D own_way(const POINT3D& r, const PROT& p, const PROT& q, const COMPARTMENT* compartment, double h) {
    return r.fromInternal(p).toInternal(q, compartment) / h;
}

// The grid cells of the table's charges, -1 outside the interior. Returns
// whether some charge lies beyond the map's far radius (its cell is then
// still to be found its own way).
ZELMAR_VECTOR_CLONES
bool map_cells(const DriftCharges& table, const CellMap& map, int n, std::int32_t* cells) {
    const double* x = table.x.data();
    const double* y = table.y.data();
    const double* z = table.z.data();
    const std::size_t count = table.size();
    const double a00 = map.a[0][0], a01 = map.a[0][1], a02 = map.a[0][2];
    const double a10 = map.a[1][0], a11 = map.a[1][1], a12 = map.a[1][2];
    const double a20 = map.a[2][0], a21 = map.a[2][1], a22 = map.a[2][2];
    const double ox = map.offset.x, oy = map.offset.y, oz = map.offset.z;
    const double far2 = map.far2;
    int far = 0;
    for (std::size_t c = 0; c < count; ++c) {
        const double vx = a00 * x[c] + a01 * y[c] + a02 * z[c] + ox;
        const double vy = a10 * x[c] + a11 * y[c] + a12 * z[c] + oy;
        const double vz = a20 * x[c] + a21 * y[c] + a22 * z[c] + oz;
        far |= vx * vx + vy * vy + vz * vz > far2 ? 1 : 0;
        cells[c] = interior_index(vx, vy, vz, n);
    }
    return far != 0;
}

// Four doubles that the compiler maps onto whatever vector unit a version is
// compiled for, element by element; the fourth is unused.
typedef double Vec4 __attribute__((vector_size(32)));

// The sums over the acting charges: Σ q g and the rows of S = Σ q r gᵀ (row
// j: Σ (q r_j) g), with the gradients in q's frame. Charges at even and odd
// places of the acting list go to two separate partial sums, added at the
// end, so that consecutive charges do not wait for each other's additions.
struct DriftSums {
    Vec4 f[2] = {};
    Vec4 s[2][3] = {};

    template <std::size_t k>
    void add(double q, double qx, double qy, double qz, const POINT3D& g) {
        const Vec4 v = {g.x, g.y, g.z, 0.0};
        f[k] += q * v;
        s[k][0] += qx * v;
        s[k][1] += qy * v;
        s[k][2] += qz * v;
    }
};

ZELMAR_VECTOR_CLONES
void sum_acting(const DriftCharges& table, const std::int32_t* acting, std::size_t acting_n,
                const std::int32_t* cells, const POINT3D* field, DriftSums& sums) {
    const double* q = table.q.data();
    const double* qx = table.qx.data();
    const double* qy = table.qy.data();
    const double* qz = table.qz.data();
    DriftSums local;
    std::size_t m = 0;
    for (; m + 2 <= acting_n; m += 2) {
        const auto c0 = static_cast<std::size_t>(acting[m]);
        const auto c1 = static_cast<std::size_t>(acting[m + 1]);
        local.add<0>(q[c0], qx[c0], qy[c0], qz[c0], field[cells[c0]]);
        local.add<1>(q[c1], qx[c1], qy[c1], qz[c1], field[cells[c1]]);
    }
    if (m < acting_n) {
        const auto c = static_cast<std::size_t>(acting[m]);
        local.add<0>(q[c], qx[c], qy[c], qz[c], field[cells[c]]);
    }
    sums = local;
}

}  // namespace

void PDcalc::eforce_prot(POINT3D& d, POINT3D& w, const PROT& p, const PROT& q) const {
    DriftSlot& slot = drift_scratch.whole;
    drift_cells(p, q, slot);
    drift_add(d, w, p, q, slot);
}

void PDcalc::drift_cells(const PROT& p, const PROT& q, DriftSlot& slot) const {
    slot.acting_n = 0;
    if (!EF_Trans && !EF_Rotate) return;
    const PROT_CLASS& moving = model.species[static_cast<std::size_t>(p.species)];
    const PROT_CLASS& source = model.species[static_cast<std::size_t>(q.species)];
    const int n = source.pot_n;
    if (n < 3 || source.field.size() < static_cast<std::size_t>(n) * n * n) return;
    const COMPARTMENT* compartment = compartment_of(moving);
    const POINT3D* field = source.field.data();
    const std::size_t charges = moving.charges.size();
    slot.reserve(charges);
    std::int32_t* cells = slot.cells.data();
    std::int32_t* acting = slot.acting.data();
    const CellMap map(p, q, compartment, h);

    // The grid cells of all charges come first, then each acting cell's
    // load is started at once: the cells of one protein lie far apart in a
    // grid of many megabytes, and waiting for them one after another would
    // dominate the step.
    const DriftCharges& table = moving.drift_charges;
    slot.tabled = table.matches(moving.charges);
    if (slot.tabled) {
        if (map_cells(table, map, n, cells)) [[unlikely]] {
            for (std::size_t c = 0; c < charges; ++c) {
                const POINT3D r{table.x[c], table.y[c], table.z[c]};
                const POINT3D v = times(map.a, r) + map.offset;
                if (!(v.x * v.x + v.y * v.y + v.z * v.z > map.far2)) continue;
                const POINT3D own = own_way(r, p, q, compartment, h);
                cells[c] = interior_index(own.x, own.y, own.z, n);
            }
        }
    } else {
        // Without a table every charge takes its own way.
        for (std::size_t c = 0; c < charges; ++c) {
            const ATOM& a = moving.charges[c];
            const POINT3D own = own_way({a.x, a.y, a.z}, p, q, compartment, h);
            cells[c] = interior_index(own.x, own.y, own.z, n);
        }
    }
    std::size_t acting_n = 0;
    for (std::size_t c = 0; c < charges; ++c) {
        // Written always, kept only when the cell acts.
        acting[acting_n] = static_cast<std::int32_t>(c);
        // Into the second-level cache, which can wait for many more lines
        // at once than the first; and both ends of the cell, which may
        // straddle two lines.
        const POINT3D* cell = field + std::max(cells[c], 0);
        __builtin_prefetch(cell, 0, 2);
        __builtin_prefetch(reinterpret_cast<const char*>(cell + 1) - 1, 0, 2);
        acting_n += cells[c] >= 0 ? 1 : 0;
    }
    slot.acting_n = acting_n;
}

void PDcalc::drift_add(POINT3D& d, POINT3D& w, const PROT& p, const PROT& q, const DriftSlot& slot) const {
    const std::size_t acting_n = slot.acting_n;
    if (acting_n == 0) return;
    const PROT_CLASS& moving = model.species[static_cast<std::size_t>(p.species)];
    const POINT3D* field = model.species[static_cast<std::size_t>(q.species)].field.data();
    const std::int32_t* cells = slot.cells.data();
    const std::int32_t* acting = slot.acting.data();
    DriftSums sums;
    if (slot.tabled) {
        sum_acting(moving.drift_charges, acting, acting_n, cells, field, sums);
    } else {
        for (std::size_t m = 0; m < acting_n; ++m) {
            const ATOM& a = moving.charges[static_cast<std::size_t>(acting[m])];
            const POINT3D& g = field[cells[acting[m]]];
            if (m % 2 == 0)
                sums.add<0>(a.q, a.q * a.x, a.q * a.y, a.q * a.z, g);
            else
                sums.add<1>(a.q, a.q * a.x, a.q * a.y, a.q * a.z, g);
        }
    }
    const Vec4 f = sums.f[0] + sums.f[1];
    const POINT3D charge_field{f[0], f[1], f[2]};
    double s[3][3];
    for (int j = 0; j < 3; ++j) {
        const Vec4 row = sums.s[0][j] + sums.s[1][j];
        for (int l = 0; l < 3; ++l) s[j][l] = row[l];
    }

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
