#pragma once
// The principal-axes file of a species: the rows of its rotation matrix, the
// semi-axes of its equivalent ellipsoid (metres) and its centre of mass
// (metres), as text.
#include <string>

#include "utils/geometry/POINT3D.h"

namespace axes_file {

struct Content {
    // Numbers of the matrix read before the first that failed (at most 9);
    // the elements not read are those of the identity matrix.
    int matrix_numbers = 0;
    double rot[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    // Numbers of the semi-axes read after a whole matrix (at most 2).
    int ellipsoid_numbers = 0;
    double ell_a = 0, ell_b = 0;
};

// The content of the file's text: nine numbers separated by any white
// space, then two more; the centre of mass is not read.
Content parse(const std::string& text);

// Whether the matrix is a rotation: orthonormal rows and determinant +1,
// to the precision the file is written with.
bool is_rotation(const double rot[3][3]);

// The file's text: three lines "%e\t%e\t%e" (the rows of rot), one line
// "%e\t%e" (ell_a, ell_b), one line "%e\t%e\t%e" (the centre of mass given in
// ångström, written in metres).
std::string text(const double rot[3][3], double ell_a, double ell_b, const POINT3D& mass_center);

}  // namespace axes_file
