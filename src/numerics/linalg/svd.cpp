// The svd export.
#include "numerics/calvex.h"
#include "numerics/linalg/Decompose.h"

extern "C" CALVEX_API void svd(const Matrix& A, std::valarray<double>& S, Matrix& U, Matrix& V) {
    calvex::decompose(A, S, U, V);
}
