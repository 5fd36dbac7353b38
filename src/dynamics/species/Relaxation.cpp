#include "dynamics/species/Relaxation.h"

#include <algorithm>
#include <atomic>
#include <barrier>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <system_error>
#include <thread>

#include "dynamics/species/GridIndex.h"
#include "utils/platform/Memory.h"

namespace {

// The denominator of a cell: 6e + e_1 + ... + e_6 + screening (none where e
// is exactly 2.0), summed in the neighbour order i−1, i+1, j−1, j+1, k−1, k+1.
double denominator(double e, const double (&neighbours)[6], double screening) {
    double d = 6.0 * e;
    for (const double e_q : neighbours) d += e_q;
    return d + (e != 2.0 ? screening : 0.0);
}

constexpr std::ptrdiff_t line_cells = 8;  // doubles in a 64-byte cache line

}  // namespace

Relaxation::Relaxation(std::span<const double> eps, std::span<const double> source, int n, double screening)
    : n_(n) {
    // Rows reach from k = −7 to at least n − 1, in whole cache lines.
    layout_.row = (static_cast<std::ptrdiff_t>(n) + 7 + line_cells - 1) / line_cells * line_cells;
    layout_.plane = static_cast<std::ptrdiff_t>(n) * layout_.row;
    if (n < 3) return;
    const int inner = n - 2;
    rows_.reserve(static_cast<std::size_t>(inner) * inner);
    std::map<double, std::uint32_t> factor_index;
    for (int i = 1; i <= inner; ++i)
        for (int j = 1; j <= inner; ++j) {
            const std::size_t first_span = spans_.size();
            classify_row(eps, source, screening, i, j);
            if (spans_.size() == first_span + 1 && spans_.back().general == uniform) {
                const auto [at, added] =
                    factor_index.try_emplace(spans_.back().factor, static_cast<std::uint32_t>(factors_.size()));
                if (added) factors_.push_back(spans_.back().factor);
                spans_.pop_back();
                rows_.push_back(uniform_row | at->second);
            } else {
                rows_.push_back(static_cast<std::uint32_t>(first_span));
            }
        }
}

// Appends the spans of row (i, j) to spans_ and its general cells to general_.
void Relaxation::classify_row(std::span<const double> eps, std::span<const double> source, double screening, int i,
                              int j) {
    const int n = n_;
    auto at = [&](int i_, int j_, int k_) { return eps[static_cast<std::size_t>(lin(n, i_, j_, k_))]; };
    const std::size_t first_span = spans_.size();
    for (int k = 1; k <= n - 2; ++k) {
        const double e = at(i, j, k);
        const double neighbours[6] = {at(i - 1, j, k), at(i + 1, j, k), at(i, j - 1, k),
                                      at(i, j + 1, k), at(i, j, k - 1), at(i, j, k + 1)};
        const double d = denominator(e, neighbours, screening);
        const double s = source[static_cast<std::size_t>(lin(n, i, j, k))];
        const bool alike =
            std::all_of(std::begin(neighbours), std::end(neighbours), [e](double e_q) { return e_q == e; });
        const bool extends = spans_.size() > first_span && spans_.back().end == k;
        if (alike && s == 0.0) {
            const double factor = (2.0 * e) / d;
            if (extends && spans_.back().general == uniform && spans_.back().factor == factor)
                ++spans_.back().end;
            else
                spans_.push_back(Span{k, k + 1, uniform, factor});
            continue;
        }
        General g{};
        for (int q = 0; q < 6; ++q) g.weight[q] = e + neighbours[q];
        g.twice_source = 2.0 * s;
        if (s != 0.0) sources_ = true;
        g.denominator = d;
        if (extends && spans_.back().general != uniform)
            ++spans_.back().end;
        else
            spans_.push_back(Span{k, k + 1, static_cast<std::uint32_t>(general_.size()), 0.0});
        general_.push_back(g);
    }
}

// The cells of a general span; `c` and `o` point at cell k = 0 of its row.
void Relaxation::general_cells(const double* c, double* o, const Span& span) const {
    const std::ptrdiff_t plane = layout_.plane, row = layout_.row;
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

// The rows j_begin..j_end−1 of plane i: runs of rows uniform with one factor
// at once, the other rows span by span.
void Relaxation::sweep_rows(const double* in, double* out, int i, int j_begin, int j_end, bool eight_lanes) const {
    const int n = n_;
    // The kinds of the rows of plane i, from row j = 1 on.
    const std::uint32_t* kinds = rows_.data() + static_cast<std::size_t>(i - 1) * static_cast<std::size_t>(n - 2);
    for (int j = j_begin; j < j_end;) {
        const std::ptrdiff_t base = position(i, j, 0);
        const std::uint32_t kind = kinds[j - 1];
        if (kind & uniform_row) {
            int run = 1;
            while (j + run < j_end && kinds[j + run - 1] == kind) ++run;
            uniform_rows(in + base, out + base, layout_, 1, run, 1, n - 1, factors_[kind & ~uniform_row], eight_lanes);
            j += run;
            continue;
        }
        for (const Span* span = &spans_[kind];; ++span) {
            if (span->general == uniform)
                uniform_rows(in + base, out + base, layout_, 1, 1, span->begin, span->end, span->factor, eight_lanes);
            else
                general_cells(in + base, out + base, *span);
            if (span->end == n - 1) break;
        }
        ++j;
    }
}

// The rows j_begin..j_end−1 of planes i and i + 1: runs of rows uniform with
// one factor in both planes two planes at a time, the others plane by plane.
void Relaxation::sweep_plane_pair(const double* in, double* out, int i, int j_begin, int j_end,
                                  bool eight_lanes) const {
    const int n = n_;
    const std::uint32_t* first = rows_.data() + static_cast<std::size_t>(i - 1) * static_cast<std::size_t>(n - 2);
    const std::uint32_t* second = first + (n - 2);
    auto together = [&](int j) { return (first[j - 1] & uniform_row) && first[j - 1] == second[j - 1]; };
    for (int j = j_begin; j < j_end;) {
        const bool pair = together(j);
        int run = 1;
        while (j + run < j_end && together(j + run) == pair && (!pair || first[j + run - 1] == first[j - 1])) ++run;
        if (pair) {
            const std::ptrdiff_t base = position(i, j, 0);
            uniform_rows(in + base, out + base, layout_, 2, run, 1, n - 1, factors_[first[j - 1] & ~uniform_row],
                         eight_lanes);
        } else {
            sweep_rows(in, out, i, j, j + run, eight_lanes);
            sweep_rows(in, out, i + 1, j, j + run, eight_lanes);
        }
        j += run;
    }
}

// Step t of the tile of rows top..tile_end−1: band after band of the
// tile's rows, each band through every sweep in flight in order, so that a
// sweep finds the rows the sweep before has just written in the nearest
// cache. A band depends only on the bands before it, like the tiles.
void Relaxation::tile_step(double* a, double* b, int first, int in_flight, int t, int top, int tile_end,
                           const Pipeline& pipeline) const {
    const int n = n_;
    for (int band = top; band < tile_end; band += pipeline.band_rows) {
        const int band_end = std::min(band + pipeline.band_rows, tile_end);
        for (int m = 0; m < in_flight; ++m) {
            const int j_begin = std::max(1, band - m);
            const int j_end = std::min(n - 1, band_end - m);
            // Sweep first + m does planes (counted from 0) from t·step_planes − m on.
            const int from = std::max(0, t * pipeline.step_planes - m);
            const int to = std::min(n - 2, (t + 1) * pipeline.step_planes - m);
            if (from >= to || j_begin >= j_end) continue;
            // Sweep s reads B and writes A when s is even.
            const bool even = (first + m) % 2 == 0;
            const double* in = even ? b : a;
            double* out = even ? a : b;
            int plane = from;
            for (; plane + 2 <= to; plane += 2)
                sweep_plane_pair(in, out, plane + 1, j_begin, j_end, pipeline.eight_lanes);
            if (plane < to) sweep_rows(in, out, plane + 1, j_begin, j_end, pipeline.eight_lanes);
        }
    }
}

std::vector<int> Relaxation::tile_tops(int levels, int tile_rows, unsigned workers) const {
    const int inner = n_ - 2;
    // Sweep m covers rows (top − m) to (bottom − m) of a tile, so that the
    // tiles together cover every row for every sweep in flight.
    const int span = inner + levels - 1;
    int tiles = (span + tile_rows - 1) / tile_rows;
    if (workers > 1) {
        const int w = static_cast<int>(workers);
        tiles = w * std::max(1, (tiles + w / 2) / w);
    }
    tiles = std::clamp(tiles, 1, std::max(1, span / 2));
    // Cells of the rows before tile row x over the sweeps of a group (row r
    // of sweep m is tile row r + m); the tiles at the ends hold rows that
    // lie off the grid for some of the sweeps.
    auto cells_before = [&](int x) {
        long long cells = 0;
        for (int m = 0; m < levels; ++m) cells += std::clamp(x - 1 - m, 0, inner);
        return cells;
    };
    const long long all = cells_before(1 + span);
    std::vector<int> tops(static_cast<std::size_t>(tiles) + 1);
    tops[0] = 1;
    tops[static_cast<std::size_t>(tiles)] = 1 + span;
    for (int t = 1; t < tiles; ++t) {
        const long long share = all * t / tiles;
        int top = tops[static_cast<std::size_t>(t - 1)] + 2;
        while (cells_before(top) < share) ++top;
        // At least two rows for this tile and for each of the tiles after it.
        tops[static_cast<std::size_t>(t)] = std::min(top, 1 + span - 2 * (tiles - t));
    }
    return tops;
}

bool Relaxation::sweep_all(double* a, double* b, int sweeps, unsigned workers, Pipeline pipeline) const {
    const int n = n_;
    const int inner = n - 2;
    const int levels = pipeline.levels;
    const std::vector<int> tops = tile_tops(levels, pipeline.tile_rows, workers);
    const int tiles = static_cast<int>(tops.size()) - 1;
    std::vector<std::atomic<int>> steps_done(static_cast<std::size_t>(tiles));
    std::barrier group_done(static_cast<std::ptrdiff_t>(workers));

    auto work = [&](unsigned worker) {
        for (int first = 0; first < sweeps; first += levels) {
            const int in_flight = std::min(levels, sweeps - first);
            const int steps = (inner + in_flight - 1 + pipeline.step_planes - 1) / pipeline.step_planes;
            for (int tile = static_cast<int>(worker); tile < tiles; tile += static_cast<int>(workers)) {
                const int top = tops[static_cast<std::size_t>(tile)];
                const int bottom = tops[static_cast<std::size_t>(tile) + 1];
                std::atomic<int>* before = tile > 0 ? &steps_done[static_cast<std::size_t>(tile - 1)] : nullptr;
                std::atomic<int>& mine = steps_done[static_cast<std::size_t>(tile)];
                for (int t = 0; t < steps; ++t) {
                    if (before != nullptr) {
                        for (int done = before->load(std::memory_order_acquire); done <= t;
                             done = before->load(std::memory_order_acquire))
                            before->wait(done, std::memory_order_acquire);
                    }
                    tile_step(a, b, first, in_flight, t, top, bottom, pipeline);
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

std::vector<double> Relaxation::work_grid() const {
    const std::size_t cells = static_cast<std::size_t>(n_) * static_cast<std::size_t>(layout_.plane) + line_cells;
    std::vector<double> grid;
    grid.reserve(cells);
    // Before the first write, which is when the system picks the pages.
    platform::advise_large_pages(grid.data(), cells * sizeof(double));
    grid.resize(cells, 0.0);
    return grid;
}

double* Relaxation::origin(std::vector<double>& grid) {
    const auto misalignment = reinterpret_cast<std::uintptr_t>(grid.data()) / sizeof(double) % line_cells;
    return grid.data() + (misalignment == 0 ? 0 : line_cells - static_cast<std::ptrdiff_t>(misalignment));
}

void Relaxation::relax(double* a, double* b, int sweeps, unsigned threads, Pipeline pipeline) const {
    pipeline.levels = std::clamp(pipeline.levels, 1, sweeps);
    // A tile's rows must reach past the slant of one sweep to the next: at
    // least two, so that a tile depends on the tile before it alone.
    pipeline.tile_rows = std::max(pipeline.tile_rows, 2);
    pipeline.band_rows = std::max(pipeline.band_rows, 1);
    pipeline.step_planes = std::max(pipeline.step_planes, 1);
    // No more workers than tiles can be made (tile_tops).
    const int most_tiles = std::max(1, (n_ - 2 + pipeline.levels - 1) / 2);
    const unsigned workers = std::clamp(threads, 1u, static_cast<unsigned>(most_tiles));
    if (!sweep_all(a, b, sweeps, workers, pipeline)) sweep_all(a, b, sweeps, 1, pipeline);
}

Relaxation::Convergence Relaxation::estimate(double* last, double* previous, std::span<const std::uint8_t> watched,
                                             unsigned threads, const Pipeline& pipeline) const {
    const int n = n_;
    std::vector<double> next_grid = work_grid();
    double* const next = origin(next_grid);
    // Sums over the watched cells of a function of the three grids at a cell.
    auto sum = [&](const double* x, const double* y, const double* z, auto term) {
        double total = 0.0;
        for (int i = 1; i < n - 1; ++i)
            for (int j = 1; j < n - 1; ++j) {
                const std::uint8_t* marks = watched.data() + lin(n, i, j, 0);
                const std::ptrdiff_t at = position(i, j, 0);
                for (int k = 1; k < n - 1; ++k)
                    if (marks[k] != 0) total += term(x[at + k], y[at + k], z[at + k]);
            }
        return total;
    };
    auto squared_difference = [](double p, double q, double) { return (p - q) * (p - q); };
    relax(next, last, 1, threads, pipeline);  // sweep m + 1
    const double scale = sum(last, last, last, [](double p, double, double) { return p * p; });
    const double before = sum(next, previous, previous, squared_difference);  // |D_m|²
    relax(previous, next, 1, threads, pipeline);  // sweep m + 2
    const double after = sum(previous, last, last, squared_difference);  // |D_{m+1}|²

    Convergence c;
    constexpr double infinite = std::numeric_limits<double>::infinity();
    if (before == 0.0 && after == 0.0) {
        // Settled to the last bit, or not reached yet.
        if (scale == 0.0 && sources_) c.error = infinite;
        return c;
    }
    c.change = scale > 0.0 ? std::sqrt(before / scale) : infinite;
    c.contraction = before > 0.0 ? std::sqrt(after / before) : infinite;
    c.error = c.contraction < 1.0 ? c.contraction * c.change / (1.0 - c.contraction * c.contraction) : infinite;
    return c;
}

Relaxation::Result Relaxation::run(int sweeps, unsigned threads, Pipeline pipeline,
                                   std::span<const std::uint8_t> watched) const {
    const int n = n_;
    const std::size_t cells = n > 0 ? static_cast<std::size_t>(n) * n * n : 0;
    Result result;
    if (n < 3 || sweeps <= 0) {
        result.grid.assign(cells, 0.0);
        return result;
    }
    std::vector<double> a = work_grid(), b = work_grid();
    double* const a_origin = origin(a);
    double* const b_origin = origin(b);
    relax(a_origin, b_origin, sweeps, threads, pipeline);

    std::vector<double>& last = sweeps % 2 == 1 ? a : b;
    double* const last_origin = sweeps % 2 == 1 ? a_origin : b_origin;
    double* const previous_origin = sweeps % 2 == 1 ? b_origin : a_origin;
    if (watched.size() == cells) result.convergence = estimate(last_origin, previous_origin, watched, threads, pipeline);
    // The grid back in the plain layout, in place: every row moves towards
    // the front, onto cells already moved or left behind.
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            std::memmove(last.data() + lin(n, i, j, 0), last_origin + position(i, j, 0),
                         static_cast<std::size_t>(n) * sizeof(double));
    last.resize(cells);
    result.grid = std::move(last);
    return result;
}
