// One step's move of an instance, cut back to its largest collision-free
// fraction when the whole move collides.
#include <cstddef>

#include "dynamics/PDcalc.h"
#include "dynamics/scene/Rotation.h"

namespace {

// The halving stops once the part of the translation still to be decided
// is this short (squared, m²): about 0.32 ångström.
constexpr double resolution2 = 1e-21;

double norm2(const POINT3D& v) { return v.x * v.x + v.y * v.y + v.z * v.z; }

// Centre and orientation of an instance.
struct Pose {
    POINT3D centre;
    double rot[3][3];
};

Pose pose_of(const PROT& p) {
    Pose pose{{p.x, p.y, p.z}, {}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) pose.rot[i][j] = p.rot[i][j];
    return pose;
}

void take_pose(PROT& p, const Pose& pose) {
    p.x = pose.centre.x;
    p.y = pose.centre.y;
    p.z = pose.centre.z;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) p.rot[i][j] = pose.rot[i][j];
    inv_mat(p.rot, p.rot_inv);
}

// rot = Rz(w.z) · Ry(w.y) · Rx(w.x) · start.
void turn_from(PROT& p, const double (&start)[3][3], const POINT3D& w) {
    turn_3a(p.rot, start, -w.z, -w.y, -w.x);
    inv_mat(p.rot, p.rot_inv);
}

}  // namespace

void PDcalc::prot_move(PROT& p, POINT3D& d, POINT3D& w) {
    const PROT_CLASS& species = model.species[static_cast<std::size_t>(p.species)];
    if (!species.move || p.stopped) return;

    const POINT3D D = d.fromInternalRotateOnly(p);
    Pose good = pose_of(p);
    const Pose start = good;

    p.x += D.x;
    p.y += D.y;
    p.z += D.z;
    turn_from(p, start.rot, w);
    if (collision3D(&p) == 0) return;

    // Bisection over the fraction of the move, translation and rotation
    // alike: w accumulates the fraction of the turn now applied.
    if (norm2(D) > resolution2) {
        double sign = -1.0;
        POINT3D step = D;
        POINT3D turn = w;
        bool free = false;
        do {
            step *= 0.5;
            turn *= 0.5;
            p.x += sign * step.x;
            p.y += sign * step.y;
            p.z += sign * step.z;
            w += turn * sign;
            turn_from(p, start.rot, w);
            free = collision3D(&p) == 0;
            if (free) good = pose_of(p);
            sign = free ? 1.0 : -1.0;
        } while (norm2(step) > resolution2);
        if (free) return;
    }
    // The last free state found, or the start when none was.
    take_pose(p, good);
}
