// The pinv export: the Moore-Penrose pseudo-inverse from the singular value
// decomposition, X = V_r diag(1 / S_r) U_r^T over the r singular values above
// the tolerance.
#include <algorithm>
#include <cstddef>
#include <stdexcept>

#include "matrix/MatrixErrors.h"
#include "numerics/calvex.h"
#include "numerics/linalg/Decompose.h"

extern "C" CALVEX_API void pinv(const Matrix& A, Matrix& X) {
    const std::size_t m = A.n_rows();
    const std::size_t n = A.n_cols();
    if (m == 0 || n == 0) throw std::out_of_range(matrix_errors::kRowsNotPositive);
    if (X.n_rows() != n || X.n_cols() != m) throw std::runtime_error(matrix_errors::kSizesDisagree);

    Matrix U(m, m);
    Matrix V(n, n);
    std::valarray<double> S(std::min(m, n));
    calvex::decompose(A, S, U, V);

    const double tol = static_cast<double>(std::max(m, n)) * S.max() * 1e-14;
    const std::size_t r = static_cast<std::size_t>(std::count_if(std::begin(S), std::end(S), [tol](double s) { return s > tol; }));
    if (r == 0) throw std::out_of_range(matrix_errors::kRowsNotPositive);

    // (V_r diag(1/S)) times U_r^T; each element sums over k ascending.
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = 0; j < m; ++j) {
            double sum = 0.0;
            for (std::size_t k = 0; k < r; ++k) sum += (V(i, k) * (1.0 / S[k])) * U(j, k);
            X(i, j) = sum;
        }
    }
}
