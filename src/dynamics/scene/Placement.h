#pragma once
// Orientations for the placement of instances.

// A rotation matrix (row-major) drawn uniformly over all rotations, from
// three numbers drawn uniformly from [0, 1]: the unit quaternion of
// Shoemake's method ("Uniform random rotations", Graphics Gems III), whose
// distribution is the same for every orientation of the body.
void uniform_rotation(double u1, double u2, double u3, double rot[3][3]);

// Whether `rot` is a proper rotation: its rows orthonormal and its
// determinant 1, each within `tolerance`.
bool is_rotation(const double rot[3][3], double tolerance);
