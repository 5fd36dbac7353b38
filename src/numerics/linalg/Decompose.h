#pragma once
// The singular value decomposition behind the svd and pinv exports.
#include <valarray>

#include "matrix/Matrix.h"

namespace calvex {

// See svd in numerics/calvex.h.
void decompose(const Matrix& A, std::valarray<double>& S, Matrix& U, Matrix& V);

}  // namespace calvex
