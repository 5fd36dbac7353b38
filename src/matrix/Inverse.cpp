// The inverse of a square matrix by the Faddeev-LeVerrier recurrence and the
// Cayley-Hamilton theorem.
#include <cmath>
#include <cstddef>
#include <limits>
#include <stdexcept>
#include <vector>

#include "matrix/Matrix.h"
#include "matrix/MatrixErrors.h"

// The recurrence gives the coefficients c of the characteristic polynomial
// x^n + c[0] x^(n-1) + ... + c[n-1] from the traces of the powers P[i] =
// A^(i+1); then A^-1 = -(A^(n-1) + c[0] A^(n-2) + ... + c[n-2] I) / c[n-1].
//
// c[n-1] is (-1)^n det(A). The matrix is refused as singular when c[n-1] is
// zero or lies within the rounding error of the sum that produced it, since
// then its value (and the inverse) is noise.
Matrix inv(const Matrix& A) {
    if (A.n_rows() != A.n_cols()) throw std::runtime_error(matrix_errors::kNotSquare);
    const std::size_t n = A.n_rows();
    Matrix M = identity(n);

    std::vector<Matrix> P;
    P.reserve(n);
    std::vector<double> t(n);
    std::vector<double> c(n);
    double last_magnitude = 0.0;  // sum of |terms| that made c[n-1]
    for (std::size_t i = 0; i < n; ++i) {
        M = A * M;
        P.push_back(M);
        t[i] = M.trace();
        double s = t[i];
        double magnitude = std::fabs(t[i]);
        for (std::size_t j = 0; j < i; ++j) {
            s += t[i - j - 1] * c[j];
            magnitude += std::fabs(t[i - j - 1] * c[j]);
        }
        c[i] = -s / static_cast<double>(i + 1);
        last_magnitude = magnitude / static_cast<double>(i + 1);
    }

    const double rounding = static_cast<double>(n) * std::numeric_limits<double>::epsilon() * last_magnitude;
    const std::size_t k = n - 1;
    if (!(std::fabs(c[k]) > rounding)) throw std::runtime_error(matrix_errors::kSingular);

    Matrix R = k < 1 ? identity(n) : P[k - 1];
    for (std::size_t j = 0; j + 2 <= k; ++j) R = R + c[j] * P[k - j - 2];
    if (k > 0) R = R + c[k - 1] * identity(n);
    return R * (-1.0 / c[k]);
}
