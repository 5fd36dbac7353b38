#pragma once
// The species' body frame and the structure-file frame.
#include "dynamics/species/PROT_CLASS.h"
#include "utils/geometry/POINT3D.h"

// Body coordinates (metres) of a structure-file position (ångström):
// b_j = 1e-10 · Σ_i rot[i][j] · (P − mass_center)_i.
inline POINT3D body_position(const PROT_CLASS& s, const POINT3D& structure) {
    const POINT3D u = structure - s.mass_center;
    return POINT3D{s.rot[0][0] * u.x + s.rot[1][0] * u.y + s.rot[2][0] * u.z,
                   s.rot[0][1] * u.x + s.rot[1][1] * u.y + s.rot[2][1] * u.z,
                   s.rot[0][2] * u.x + s.rot[1][2] * u.y + s.rot[2][2] * u.z} *
           1e-10;
}

// Structure-file position (ångström) of body coordinates (metres), through
// the stored inverse: P = rot_invᵀ · (b · 1e10) + mass_center.
inline POINT3D structure_position(const PROT_CLASS& s, const POINT3D& body) {
    const POINT3D b = body * 1e10;
    return POINT3D{s.rot_inv[0][0] * b.x + s.rot_inv[1][0] * b.y + s.rot_inv[2][0] * b.z,
                   s.rot_inv[0][1] * b.x + s.rot_inv[1][1] * b.y + s.rot_inv[2][1] * b.z,
                   s.rot_inv[0][2] * b.x + s.rot_inv[1][2] * b.y + s.rot_inv[2][2] * b.z} +
           s.mass_center;
}
