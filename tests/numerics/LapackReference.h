#pragma once
// Reference results from LAPACK for the tests of the numerics library.
#include <lapacke.h>

#include <stdexcept>
#include <vector>

#include "matrix/Matrix.h"

namespace lapack_reference {

// The singular values of A, descending.
inline std::vector<double> singular_values(const Matrix& A) {
    const lapack_int m = static_cast<lapack_int>(A.n_rows());
    const lapack_int n = static_cast<lapack_int>(A.n_cols());
    std::vector<double> a(A.data(), A.data() + A.n_rows() * A.n_cols());
    std::vector<double> s(std::min(m, n));
    std::vector<double> superb(std::max<lapack_int>(1, std::min(m, n)));
    double none = 0.0;
    if (LAPACKE_dgesvd(LAPACK_ROW_MAJOR, 'N', 'N', m, n, a.data(), n, s.data(), &none, 1, &none, 1, superb.data()) != 0) {
        throw std::runtime_error("dgesvd failed");
    }
    return s;
}

// The pseudo-inverse of A with the tolerance max(m, n) x max(S) x 1e-14.
inline Matrix pseudo_inverse(const Matrix& A) {
    const lapack_int m = static_cast<lapack_int>(A.n_rows());
    const lapack_int n = static_cast<lapack_int>(A.n_cols());
    const lapack_int k = std::min(m, n);
    std::vector<double> a(A.data(), A.data() + A.n_rows() * A.n_cols());
    std::vector<double> s(k), u(m * k), vt(k * n), superb(std::max<lapack_int>(1, k));
    if (LAPACKE_dgesvd(LAPACK_ROW_MAJOR, 'S', 'S', m, n, a.data(), n, s.data(), u.data(), k, vt.data(), n,
                       superb.data()) != 0) {
        throw std::runtime_error("dgesvd failed");
    }
    const double tol = std::max(m, n) * s[0] * 1e-14;
    Matrix X(n, m);
    for (lapack_int i = 0; i < n; ++i) {
        for (lapack_int j = 0; j < m; ++j) {
            double sum = 0.0;
            for (lapack_int l = 0; l < k && s[l] > tol; ++l) sum += vt[l * n + i] * u[j * k + l] / s[l];
            X(i, j) = sum;
        }
    }
    return X;
}

}  // namespace lapack_reference
