// Centred 2-D filtering (correlation) of a matrix with a kernel.
#include <cstddef>
#include <stdexcept>

#include "matrix/Matrix.h"
#include "matrix/MatrixErrors.h"

// Terms whose position lies outside A are left out (zero padding). A kernel
// of even size uses only its first 2h + 1 rows or columns; an empty kernel
// gives zeros. Out may be A itself or K itself.
void filter2d(const Matrix& A, const Matrix& K, Matrix& Out) {
    if (Out.n_rows() != A.n_rows() || Out.n_cols() != A.n_cols()) {
        throw std::invalid_argument(matrix_errors::kElementSizesDisagree);
    }
    if (&Out == &A || &Out == &K) {
        Matrix separate(Out);
        filter2d(A, K, separate);
        Out = separate;
        return;
    }
    const std::ptrdiff_t rows = static_cast<std::ptrdiff_t>(A.n_rows());
    const std::ptrdiff_t cols = static_cast<std::ptrdiff_t>(A.n_cols());
    const bool empty_kernel = K.n_rows() == 0;
    const std::ptrdiff_t hr = empty_kernel ? -1 : static_cast<std::ptrdiff_t>((K.n_rows() - 1) / 2);
    const std::ptrdiff_t hc = empty_kernel ? -1 : static_cast<std::ptrdiff_t>((K.n_cols() - 1) / 2);
    for (std::ptrdiff_t i = 0; i < rows; ++i) {
        for (std::ptrdiff_t j = 0; j < cols; ++j) {
            double sum = 0.0;
            for (std::ptrdiff_t u = -hr; u <= hr; ++u) {
                const std::ptrdiff_t r = i + u;
                if (r < 0 || r >= rows) continue;
                for (std::ptrdiff_t v = -hc; v <= hc; ++v) {
                    const std::ptrdiff_t c = j + v;
                    if (c < 0 || c >= cols) continue;
                    sum += A(r, c) * K(u + hr, v + hc);
                }
            }
            Out(i, j) = sum;
        }
    }
}
