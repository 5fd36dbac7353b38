#include "dynamics/species/RelaxationRows.h"

#include <algorithm>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

// Any processor: one cell at a time as written, which the compiler turns
// into vector code for the instruction sets below. Without contraction into
// fused multiply-adds every version rounds alike.
#if defined(__x86_64__) && !defined(__clang__)
__attribute__((target_clones("avx2", "default")))
#endif
void uniform_rows_any(const double* in, double* out, RowLayout layout, int planes, int rows, int begin, int end,
                      double factor) {
    for (int p = 0; p < planes * rows; ++p) {
        const std::ptrdiff_t at = p / rows * layout.plane + p % rows * layout.row;
        const double* __restrict c = in + at;
        double* __restrict o = out + at;
        const double* __restrict xm = c - layout.plane;
        const double* __restrict xp = c + layout.plane;
        const double* __restrict ym = c - layout.row;
        const double* __restrict yp = c + layout.row;
        for (int k = begin; k < end; ++k)
            o[k] = (((xm[k] + xp[k]) + (ym[k] + yp[k])) + (c[k - 1] + c[k + 1])) * factor;
    }
}

#if defined(__x86_64__)
#define EIGHT_LANES __attribute__((target("avx512f")))

// The lanes of `high`:`low` shifted down by `shift` lanes. (The masked form
// with every lane selected is the plain instruction; the unmasked intrinsic
// trips a false uninitialised-value warning in some compilers.)
template <int shift>
EIGHT_LANES inline __m512d shifted(__m512d high, __m512d low) {
    const __m512i h = _mm512_castpd_si512(high);
    return _mm512_castsi512_pd(_mm512_mask_alignr_epi64(h, 0xff, h, _mm512_castpd_si512(low), shift));
}

// Lane l holds cell k + l − 1, from the lanes of cells k − 8 .. k + 7.
EIGHT_LANES inline __m512d cells_before(__m512d cur, __m512d prev) { return shifted<7>(cur, prev); }

// Lane l holds cell k + l + 1, from the lanes of cells k .. k + 15.
EIGHT_LANES inline __m512d cells_after(__m512d next, __m512d cur) { return shifted<1>(next, cur); }

// P consecutive planes of R consecutive rows at once, so that the rows
// between them are loaded once, both for their own cells and as the
// neighbours along i and j of the rows beside. `c` and `o` point at cell
// k = 1 of the first row of the first plane; the cells low..high−1 counted
// from there are written. Every load and store is aligned (the lanes of a
// line outside low..high−1 are computed and not stored); the neighbours
// along k come from the loaded lines by shifting lanes.
template <int P, int R>
struct UniformBlock {
    const double* c;
    double* o;
    std::ptrdiff_t row, plane;
    __m512d factor;
    __m512d prev[P][R], cur[P][R];  // the lines of cells k − 8 .. k − 1 and k .. k + 7 of each row

    EIGHT_LANES UniformBlock(const double* c_, double* o_, RowLayout layout, double f, int k)
        : c(c_), o(o_), row(layout.row), plane(layout.plane), factor(_mm512_set1_pd(f)) {
        for (int q = 0; q < P; ++q)
            for (int r = 0; r < R; ++r) {
                prev[q][r] = _mm512_load_pd(c + q * plane + r * row + k - 8);
                cur[q][r] = _mm512_load_pd(c + q * plane + r * row + k);
            }
    }

    // The new values of cells k .. k + 7 of every row; moves on by a line.
    EIGHT_LANES void step(int k, __m512d (&value)[P][R]) {
        __m512d next[P][R];
        for (int q = 0; q < P; ++q)
            for (int r = 0; r < R; ++r) next[q][r] = _mm512_load_pd(c + q * plane + r * row + k + 8);
        for (int q = 0; q < P; ++q)
            for (int r = 0; r < R; ++r) {
                const double* at = c + q * plane + r * row + k;
                const __m512d before = q > 0 ? cur[q - 1][r] : _mm512_load_pd(at - plane);
                const __m512d after = q + 1 < P ? cur[q + 1][r] : _mm512_load_pd(at + plane);
                const __m512d below = r > 0 ? cur[q][r - 1] : _mm512_load_pd(at - row);
                const __m512d above = r + 1 < R ? cur[q][r + 1] : _mm512_load_pd(at + row);
                const __m512d along =
                    _mm512_add_pd(cells_before(cur[q][r], prev[q][r]), cells_after(next[q][r], cur[q][r]));
                const __m512d sum =
                    _mm512_add_pd(_mm512_add_pd(_mm512_add_pd(before, after), _mm512_add_pd(below, above)), along);
                value[q][r] = _mm512_mul_pd(sum, factor);
            }
        for (int q = 0; q < P; ++q)
            for (int r = 0; r < R; ++r) {
                prev[q][r] = cur[q][r];
                cur[q][r] = next[q][r];
            }
    }

    EIGHT_LANES void store(int k, const __m512d (&value)[P][R]) {
        for (int q = 0; q < P; ++q)
            for (int r = 0; r < R; ++r) _mm512_store_pd(o + q * plane + r * row + k, value[q][r]);
    }
    EIGHT_LANES void store(int k, const __m512d (&value)[P][R], unsigned from, unsigned to) {  // lanes from..to−1
        const auto lanes = static_cast<__mmask8>(((1u << to) - 1u) & ~((1u << from) - 1u));
        for (int q = 0; q < P; ++q)
            for (int r = 0; r < R; ++r) _mm512_mask_store_pd(o + q * plane + r * row + k, lanes, value[q][r]);
    }
};

template <int P, int R>
EIGHT_LANES void uniform_block(const double* c, double* o, RowLayout layout, int low, int high, double factor) {
    int k = low & ~7;
    UniformBlock<P, R> block(c, o, layout, factor, k);
    __m512d value[P][R];
    if (k < low) {  // a first line that starts before the cells
        block.step(k, value);
        block.store(k, value, static_cast<unsigned>(low - k), static_cast<unsigned>(std::min(high - k, 8)));
        k += 8;
    }
    for (; k + 8 <= high; k += 8) {
        block.step(k, value);
        block.store(k, value);
    }
    if (k < high) {  // a last line that reaches past them
        block.step(k, value);
        block.store(k, value, 0u, static_cast<unsigned>(high - k));
    }
}

// Rows in pairs; one or two planes.
template <int P>
EIGHT_LANES void uniform_rows_eight(const double* in, double* out, RowLayout layout, int rows, int begin, int end,
                                    double factor) {
    int r = 0;
    for (; r + 2 <= rows; r += 2)
        uniform_block<P, 2>(in + r * layout.row + 1, out + r * layout.row + 1, layout, begin - 1, end - 1, factor);
    if (r < rows)
        uniform_block<P, 1>(in + r * layout.row + 1, out + r * layout.row + 1, layout, begin - 1, end - 1, factor);
}
#endif

}  // namespace

bool eight_lanes_available() {
#if defined(__x86_64__)
    static const bool available = __builtin_cpu_supports("avx512f");
    return available;
#else
    return false;
#endif
}

void uniform_rows(const double* in, double* out, RowLayout layout, int planes, int rows, int begin, int end,
                  double factor, bool eight_lanes) {
#if defined(__x86_64__)
    if (eight_lanes && eight_lanes_available()) {
        for (; planes >= 2; planes -= 2, in += 2 * layout.plane, out += 2 * layout.plane)
            uniform_rows_eight<2>(in, out, layout, rows, begin, end, factor);
        if (planes == 1) uniform_rows_eight<1>(in, out, layout, rows, begin, end, factor);
        return;
    }
#endif
    uniform_rows_any(in, out, layout, planes, rows, begin, end, factor);
}
