// The Golub-Reinsch singular value decomposition in the arrangement of the
// classic EISPACK routine, translated to 0-based indices. Comments name the
// stages; the arithmetic follows the published algorithm step for step.
#include "numerics/linalg/SvdKernel.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace calvex {
namespace {

// |a| with the sign of b, b >= 0 giving +.
double with_sign(double a, double b) { return b >= 0.0 ? std::fabs(a) : -std::fabs(a); }

// sqrt(a^2 + b^2), scaled by the larger component against overflow.
double rotation_norm(double a, double b) {
    const double p = std::max(std::fabs(a), std::fabs(b));
    if (p == 0.0) return 0.0;
    const double r = std::min(std::fabs(a), std::fabs(b)) / p;
    return p * std::sqrt(1.0 + r * r);
}

// Applies the plane rotation (c, s) to columns a and b of length `length`.
void rotate_columns(double* a, double* b, std::size_t length, double c, double s) {
    for (std::size_t j = 0; j < length; ++j) {
        const double y = a[j];
        const double z = b[j];
        a[j] = y * c + z * s;
        b[j] = -y * s + z * c;
    }
}

// Householder reduction to upper bidiagonal form: the diagonal goes to w, the
// super-diagonal to e (e[0] = 0); u keeps the reflection vectors. Returns the
// largest |diagonal| + |super-diagonal|, the scale of the negligibility tests.
double householder_bidiagonalise(std::size_t m, std::size_t n, ColumnMajor u, std::span<double> w,
                                     std::span<double> e, std::span<double> row_sums) {
    double g = 0.0;
    double scale = 0.0;
    double anorm = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t l = i + 1;
        e[i] = scale * g;
        g = 0.0;
        double s = 0.0;
        scale = 0.0;
        // Left reflection: zeros column i below the diagonal.
        if (i < m) {
            double* ui = u.column(i);
            for (std::size_t k = i; k < m; ++k) scale += std::fabs(ui[k]);
            if (scale != 0.0) {
                for (std::size_t k = i; k < m; ++k) {
                    ui[k] /= scale;
                    s += ui[k] * ui[k];
                }
                const double f = ui[i];
                g = -with_sign(std::sqrt(s), f);
                const double h = f * g - s;
                ui[i] = f - g;
                for (std::size_t j = l; j < n; ++j) {
                    double* uj = u.column(j);
                    double sum = 0.0;
                    for (std::size_t k = i; k < m; ++k) sum += ui[k] * uj[k];
                    const double factor = sum / h;
                    for (std::size_t k = i; k < m; ++k) uj[k] += factor * ui[k];
                }
                for (std::size_t k = i; k < m; ++k) ui[k] *= scale;
            }
        }
        w[i] = scale * g;
        g = 0.0;
        s = 0.0;
        scale = 0.0;
        // Right reflection: zeros row i right of the super-diagonal.
        if (i < m && i + 1 != n) {
            for (std::size_t k = l; k < n; ++k) scale += std::fabs(u(i, k));
            if (scale != 0.0) {
                for (std::size_t k = l; k < n; ++k) {
                    u(i, k) /= scale;
                    s += u(i, k) * u(i, k);
                }
                const double f = u(i, l);
                g = -with_sign(std::sqrt(s), f);
                const double h = f * g - s;
                u(i, l) = f - g;
                for (std::size_t k = l; k < n; ++k) e[k] = u(i, k) / h;
                if (i + 1 != m) {
                    // Row j gets (row j . row i) e; the dot products are
                    // gathered column by column so that u is walked
                    // contiguously; each row's sum keeps its order in k.
                    std::fill(row_sums.begin() + l, row_sums.begin() + m, 0.0);
                    for (std::size_t k = l; k < n; ++k) {
                        const double uik = u(i, k);
                        const double* uk = u.column(k);
                        for (std::size_t j = l; j < m; ++j) row_sums[j] += uk[j] * uik;
                    }
                    for (std::size_t k = l; k < n; ++k) {
                        const double ek = e[k];
                        double* uk = u.column(k);
                        for (std::size_t j = l; j < m; ++j) uk[j] += row_sums[j] * ek;
                    }
                }
                for (std::size_t k = l; k < n; ++k) u(i, k) *= scale;
            }
        }
        anorm = std::max(anorm, std::fabs(w[i]) + std::fabs(e[i]));
    }
    return anorm;
}

// Accumulates the right-hand transformations into v.
void accumulate_right(std::size_t n, ColumnMajor u, ColumnMajor v, std::span<const double> e) {
    std::size_t l = n;
    double g = 0.0;
    for (std::size_t ii = 0; ii < n; ++ii) {
        const std::size_t i = n - 1 - ii;
        if (i + 1 != n) {
            if (g != 0.0) {
                // Double division avoids possible underflow.
                for (std::size_t j = l; j < n; ++j) v(j, i) = (u(i, j) / u(i, l)) / g;
                for (std::size_t j = l; j < n; ++j) {
                    double s = 0.0;
                    for (std::size_t k = l; k < n; ++k) s += u(i, k) * v(k, j);
                    for (std::size_t k = l; k < n; ++k) v(k, j) += s * v(k, i);
                }
            }
            for (std::size_t j = l; j < n; ++j) {
                v(i, j) = 0.0;
                v(j, i) = 0.0;
            }
        }
        v(i, i) = 1.0;
        g = e[i];
        l = i;
    }
}

// Accumulates the left-hand transformations into the first n columns of u.
void accumulate_left(std::size_t m, std::size_t n, ColumnMajor u, std::span<const double> w) {
    const std::size_t mn = std::min(m, n);
    for (std::size_t ii = 0; ii < mn; ++ii) {
        const std::size_t i = mn - 1 - ii;
        const std::size_t l = i + 1;
        const double g = w[i];
        double* ui = u.column(i);
        for (std::size_t j = l; j < n; ++j) u(i, j) = 0.0;
        if (g != 0.0) {
            if (i + 1 != mn) {
                for (std::size_t j = l; j < n; ++j) {
                    double* uj = u.column(j);
                    double s = 0.0;
                    for (std::size_t k = l; k < m; ++k) s += ui[k] * uj[k];
                    // Double division avoids possible underflow.
                    const double f = (s / ui[i]) / g;
                    for (std::size_t k = i; k < m; ++k) uj[k] += f * ui[k];
                }
            }
            for (std::size_t j = i; j < m; ++j) ui[j] /= g;
        } else {
            for (std::size_t j = i; j < m; ++j) ui[j] = 0.0;
        }
        ui[i] += 1.0;
    }
}

// Finds l, the start of the unreduced block that ends at k, and cancels
// e[l] by rotations when the diagonal element l - 1 is negligible.
std::size_t split_block(std::size_t m, std::size_t k, double tst1, ColumnMajor u, std::span<double> w,
                        std::span<double> e) {
    std::size_t l = k;
    for (;; --l) {
        // e[0] is zero, so l = 0 always ends the search.
        if (l == 0 || tst1 + std::fabs(e[l]) == tst1) return l;
        if (tst1 + std::fabs(w[l - 1]) == tst1) break;
    }
    // Cancellation of e[l], l >= 1.
    double c = 0.0;
    double s = 1.0;
    for (std::size_t i = l; i <= k; ++i) {
        const double f = s * e[i];
        e[i] = c * e[i];
        if (tst1 + std::fabs(f) == tst1) break;
        const double g = w[i];
        const double h = rotation_norm(f, g);
        w[i] = h;
        c = g / h;
        s = -f / h;
        rotate_columns(u.column(l - 1), u.column(i), m, c, s);
    }
    return l;
}

// One implicit-shift QR step on the block l .. k (l < k), with the shift
// from the trailing 2 x 2 block.
void qr_step(std::size_t m, std::size_t n, std::size_t l, std::size_t k, ColumnMajor u, std::span<double> w,
             ColumnMajor v, std::span<double> e) {
    double x = w[l];
    double y = w[k - 1];
    double g = e[k - 1];
    double h = e[k];
    const double z = w[k];
    double f = ((y - z) * (y + z) + (g - h) * (g + h)) / (2.0 * h * y);
    g = rotation_norm(f, 1.0);
    f = ((x - z) * (x + z) + h * (y / (f + with_sign(g, f)) - h)) / x;

    double c = 1.0;
    double s = 1.0;
    for (std::size_t i1 = l; i1 < k; ++i1) {
        const std::size_t i = i1 + 1;
        g = e[i];
        y = w[i];
        h = s * g;
        g = c * g;
        double r = rotation_norm(f, h);
        e[i1] = r;
        c = f / r;
        s = h / r;
        f = x * c + g * s;
        g = -x * s + g * c;
        h = y * s;
        y = y * c;
        rotate_columns(v.column(i1), v.column(i), n, c, s);
        r = rotation_norm(f, h);
        w[i1] = r;
        // The rotation can be arbitrary when r is zero.
        if (r != 0.0) {
            c = f / r;
            s = h / r;
        }
        f = c * g + s * y;
        x = -s * g + c * y;
        rotate_columns(u.column(i1), u.column(i), m, c, s);
    }
    e[l] = 0.0;
    e[k] = f;
    w[k] = x;
}

}  // namespace

std::size_t svd_kernel(std::size_t m, std::size_t n, ColumnMajor u, std::span<double> w, ColumnMajor v,
                       std::span<double> e, std::span<double> row_sums) {
    assert(m >= n && n >= 1 && w.size() >= n && e.size() >= n && row_sums.size() >= m);
    const double tst1 = householder_bidiagonalise(m, n, u, w, e, row_sums);
    accumulate_right(n, u, v, e);
    accumulate_left(m, n, u, w);

    // Diagonalisation of the bidiagonal form, from the last value upward.
    for (std::size_t kk = 0; kk < n; ++kk) {
        const std::size_t k = n - 1 - kk;
        for (int steps = 0;; ++steps) {
            const std::size_t l = split_block(m, k, tst1, u, w, e);
            if (l == k) break;
            if (steps == svd_step_limit) return k + 1;
            qr_step(m, n, l, k, u, w, v, e);
        }
        // A converged value is made non-negative.
        if (w[k] < 0.0) {
            w[k] = -w[k];
            double* vk = v.column(k);
            for (std::size_t j = 0; j < n; ++j) vk[j] = -vk[j];
        }
    }
    return 0;
}

}  // namespace calvex
