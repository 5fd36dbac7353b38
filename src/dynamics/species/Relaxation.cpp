#include "dynamics/species/Relaxation.h"

#include <algorithm>
#include <atomic>
#include <barrier>
#include <cmath>
#include <system_error>
#include <thread>

#include "dynamics/species/GridIndex.h"

namespace {

// The denominator of a cell: 6e + e_1 + ... + e_6 + screening (none where e
// is exactly 2.0), summed in the neighbour order i−1, i+1, j−1, j+1, k−1, k+1.
double denominator(double e, const double (&neighbours)[6], double screening) {
    double d = 6.0 * e;
    for (const double e_q : neighbours) d += e_q;
    return d + (e != 2.0 ? screening : 0.0);
}

// The hot loop: one stretch of uniform cells along k.
inline void uniform_span(const double* __restrict c, double* __restrict o, std::ptrdiff_t plane, std::ptrdiff_t row,
                         int begin, int end, double factor) {
    const double* __restrict xm = c - plane;
    const double* __restrict xp = c + plane;
    const double* __restrict ym = c - row;
    const double* __restrict yp = c + row;
    for (int k = begin; k < end; ++k)
        o[k] = (((((xm[k] + xp[k]) + ym[k]) + yp[k]) + c[k - 1]) + c[k + 1]) * factor;
}

}  // namespace

Relaxation::Relaxation(std::span<const double> eps, std::span<const double> source, int n, double screening)
    : n_(n) {
    if (n < 3) {
        row_spans_.assign(1, 0);
        return;
    }
    const int inner = n - 2;
    row_spans_.reserve(static_cast<std::size_t>(inner) * inner + 1);
    auto at = [&](int i, int j, int k) { return eps[static_cast<std::size_t>(lin(n, i, j, k))]; };
    for (int i = 1; i <= inner; ++i)
        for (int j = 1; j <= inner; ++j) {
            row_spans_.push_back(static_cast<std::uint32_t>(spans_.size()));
            const std::size_t first_span = spans_.size();
            for (int k = 1; k <= inner; ++k) {
                const double e = at(i, j, k);
                const double neighbours[6] = {at(i - 1, j, k), at(i + 1, j, k), at(i, j - 1, k),
                                              at(i, j + 1, k), at(i, j, k - 1), at(i, j, k + 1)};
                const double d = denominator(e, neighbours, screening);
                const double s = source[static_cast<std::size_t>(lin(n, i, j, k))];
                const bool alike = std::all_of(std::begin(neighbours), std::end(neighbours),
                                               [e](double e_q) { return e_q == e; });
                if (alike && s == 0.0) {
                    const double factor = (2.0 * e) / d;
                    if (spans_.size() > first_span && spans_.back().general == uniform &&
                        spans_.back().end == k && spans_.back().factor == factor) {
                        ++spans_.back().end;
                    } else {
                        spans_.push_back(Span{k, k + 1, uniform, factor});
                    }
                    continue;
                }
                General g{};
                for (int q = 0; q < 6; ++q) g.weight[q] = e + neighbours[q];
                g.twice_source = 2.0 * s;
                g.denominator = d;
                if (spans_.size() > first_span && spans_.back().general != uniform && spans_.back().end == k) {
                    ++spans_.back().end;
                } else {
                    spans_.push_back(Span{k, k + 1, static_cast<std::uint32_t>(general_.size()), 0.0});
                }
                general_.push_back(g);
            }
        }
    row_spans_.push_back(static_cast<std::uint32_t>(spans_.size()));
}

// The rows j_begin..j_end-1 of plane i. Compiled for several instruction
// sets; without contraction into fused multiply-adds every version rounds
// alike, so the choice does not change the result.
#if defined(__x86_64__) && !defined(__clang__)
__attribute__((target_clones("avx2", "default")))
#endif
void Relaxation::sweep_rows(const double* in, double* out, int i, int j_begin, int j_end) const {
    const int n = n_;
    const std::ptrdiff_t plane = static_cast<std::ptrdiff_t>(n) * n;
    const std::ptrdiff_t row = n;
    const std::uint32_t* row_spans = row_spans_.data();
    const Span* spans = spans_.data();
    for (int j = j_begin; j < j_end; ++j) {
        const std::size_t r = static_cast<std::size_t>(i - 1) * static_cast<std::size_t>(n - 2) +
                              static_cast<std::size_t>(j - 1);
        const std::ptrdiff_t base = static_cast<std::ptrdiff_t>(lin(n, i, j, 0));
        const double* c = in + base;
        double* o = out + base;
        for (std::uint32_t s = row_spans[r]; s < row_spans[r + 1]; ++s) {
            const Span& span = spans[s];
            if (span.general == uniform) {
                uniform_span(c, o, plane, row, span.begin, span.end, span.factor);
                continue;
            }
            const General* g = &general_[span.general];
            for (int k = span.begin; k < span.end; ++k, ++g) {
                double sum = g->twice_source;
                sum += g->weight[0] * c[k - plane];
                sum += g->weight[1] * c[k + plane];
                sum += g->weight[2] * c[k - row];
                sum += g->weight[3] * c[k + row];
                sum += g->weight[4] * c[k - 1];
                sum += g->weight[5] * c[k + 1];
                o[k] = sum / g->denominator;
            }
        }
    }
}

bool Relaxation::sweep_all(double* a, double* b, int sweeps, unsigned workers, Pipeline pipeline) const {
    const int n = n_;
    const int inner = n - 2;
    const int levels = pipeline.levels;
    const int rows = pipeline.tile_rows;
    // Sweep m covers rows (top − m) to (top + rows − m) of a tile, so that the
    // tiles together cover every row for every sweep in flight.
    const int tiles = (inner + levels - 1 + rows - 1) / rows;
    std::vector<std::atomic<int>> steps_done(static_cast<std::size_t>(tiles));
    std::barrier group_done(static_cast<std::ptrdiff_t>(workers));

    auto work = [&](unsigned worker) {
        for (int first = 0; first < sweeps; first += levels) {
            const int in_flight = std::min(levels, sweeps - first);
            const int steps = inner + 2 * (in_flight - 1);
            for (int tile = static_cast<int>(worker); tile < tiles; tile += static_cast<int>(workers)) {
                const int top = 1 + tile * rows;
                std::atomic<int>* before = tile > 0 ? &steps_done[static_cast<std::size_t>(tile - 1)] : nullptr;
                std::atomic<int>& mine = steps_done[static_cast<std::size_t>(tile)];
                for (int t = 0; t < steps; ++t) {
                    if (before != nullptr) {
                        for (int done = before->load(std::memory_order_acquire); done < t;
                             done = before->load(std::memory_order_acquire))
                            before->wait(done, std::memory_order_acquire);
                    }
                    for (int m = 0; m < in_flight; ++m) {
                        const int plane = t - 2 * m;
                        const int j_begin = std::max(1, top - m);
                        const int j_end = std::min(n - 1, top + rows - m);
                        if (plane < 0 || plane >= inner || j_begin >= j_end) continue;
                        // Sweep s reads B and writes A when s is even.
                        const bool even = (first + m) % 2 == 0;
                        sweep_rows(even ? b : a, even ? a : b, plane + 1, j_begin, j_end);
                    }
                    mine.store(t + 1, std::memory_order_release);
                    mine.notify_all();
                }
            }
            group_done.arrive_and_wait();
            for (int tile = static_cast<int>(worker); tile < tiles; tile += static_cast<int>(workers))
                steps_done[static_cast<std::size_t>(tile)].store(0, std::memory_order_relaxed);
            group_done.arrive_and_wait();
        }
    };

    // The helpers wait at a gate until all of them exist, so that a thread
    // that cannot be started leaves none of them waiting for it.
    enum Gate : int { waiting, open, closed };
    std::atomic<int> gate{waiting};
    std::vector<std::jthread> helpers;
    try {
        helpers.reserve(workers - 1);
        for (unsigned w = 1; w < workers; ++w)
            helpers.emplace_back([&, w] {
                gate.wait(waiting, std::memory_order_acquire);
                if (gate.load(std::memory_order_acquire) == open) work(w);
            });
    } catch (const std::system_error&) {
        gate.store(closed, std::memory_order_release);
        gate.notify_all();
        return false;
    }
    gate.store(open, std::memory_order_release);
    gate.notify_all();
    work(0);
    return true;
}

Relaxation::Result Relaxation::run(int sweeps, unsigned threads, Pipeline pipeline) const {
    const int n = n_;
    const std::size_t cells = n > 0 ? static_cast<std::size_t>(n) * n * n : 0;
    std::vector<double> a(cells, 0.0), b(cells, 0.0);
    Result result;
    if (n < 3 || sweeps <= 0) {
        result.grid = std::move(a);
        return result;
    }
    pipeline.levels = std::clamp(pipeline.levels, 1, sweeps);
    // A tile's rows must reach past the slant of one sweep to the next: at
    // least two, so that a tile depends on the tile before it alone.
    pipeline.tile_rows = std::max(pipeline.tile_rows, 2);
    const int tiles = (n - 2 + pipeline.levels - 1 + pipeline.tile_rows - 1) / pipeline.tile_rows;
    const unsigned workers = std::clamp(threads, 1u, static_cast<unsigned>(tiles));
    if (!sweep_all(a.data(), b.data(), sweeps, workers, pipeline)) sweep_all(a.data(), b.data(), sweeps, 1, pipeline);

    std::vector<double>& last = sweeps % 2 == 1 ? a : b;
    const std::vector<double>& previous = sweeps % 2 == 1 ? b : a;
    double largest = 0.0, change = 0.0;
    for (std::size_t c = 0; c < cells; ++c) {
        largest = std::max(largest, std::fabs(last[c]));
        change = std::max(change, std::fabs(last[c] - previous[c]));
    }
    result.relative_change = largest > 0.0 ? change / largest : 0.0;
    result.grid = std::move(last);
    return result;
}
