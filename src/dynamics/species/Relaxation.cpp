#include "dynamics/species/Relaxation.h"

#include <algorithm>
#include <atomic>
#include <barrier>
#include <chrono>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>
#include <limits>
#include <map>
#include <mutex>

#include "dynamics/species/GridIndex.h"
#include "dynamics/species/PipelineSync.h"
#include "dynamics/species/SolverThreads.h"

namespace {

// The denominator of a cell: 6e + e_1 + ... + e_6 + screening (none where e
// is exactly 2.0), summed in the neighbour order i−1, i+1, j−1, j+1, k−1, k+1.
double denominator(double e, const double (&neighbours)[6], double screening) {
    double d = 6.0 * e;
    for (const double e_q : neighbours) d += e_q;
    return d + (e != 2.0 ? screening : 0.0);
}

constexpr std::ptrdiff_t line_cells = 8;  // doubles in a 64-byte cache line

// The work of a row relative to a cell of the uniform inner loop, for
// sharing the rows out among the tiles: a cell with the full formula costs
// about as much as eight uniform ones (a scalar update with a division),
// and every span of a mixed row a few dozen more (a call, partial lines).
constexpr double general_cell_work = 30.0;
constexpr double span_work = 100.0;


// How the rows of a group of sweeps are shared out among the tiles. Sweep m
// covers rows (top − m) to (bottom − m) of a tile, so that the tiles
// together cover every row for every sweep in flight: the tiles at the ends
// hold rows that lie off the grid for some of the sweeps, and rows through
// the protein cost more than rows of solvent alone (`row_work`).
class TilePlan {
public:
    TilePlan(std::span<const double> row_work, int levels)
        : inner_(static_cast<int>(row_work.size())), levels_(levels), work_before_(row_work.size() + 1, 0.0) {
        for (std::size_t j = 0; j < row_work.size(); ++j) work_before_[j + 1] = work_before_[j] + row_work[j];
    }

    // Rows the tiles must cover.
    int span() const { return inner_ + levels_ - 1; }

    // As many tiles as rows of `tile_rows` ask for, made a multiple of the
    // workers; at least two rows each.
    int tiles(int tile_rows, unsigned workers) const {
        int tiles = (span() + tile_rows - 1) / tile_rows;
        if (workers > 1) {
            const int w = static_cast<int>(workers);
            tiles = w * std::max(1, (tiles + w / 2) / w);
        }
        return std::clamp(tiles, 1, std::max(1, span() / 2));
    }

    // The work of the tile of rows top..bottom−1 over the group.
    double work(int top, int bottom) const { return work_before(bottom) - work_before(top); }

    // The first rows of the tiles, and after them the end of the last
    // (tops.size() − 1 tiles), so that the tiles take equal times when tile
    // t does a unit of work in pace[t].
    void share(std::span<const double> pace, std::span<int> tops) const noexcept {
        const int tiles = static_cast<int>(tops.size()) - 1;
        double speed = 0.0;  // work per time of all tiles
        for (const double p : pace) speed += 1.0 / p;
        const double all = work_before(1 + span());
        tops[0] = 1;
        tops[static_cast<std::size_t>(tiles)] = 1 + span();
        double before = 0.0;  // the share of the tiles before
        for (int t = 1; t < tiles; ++t) {
            before += 1.0 / pace[static_cast<std::size_t>(t - 1)] / speed;
            int top = tops[static_cast<std::size_t>(t - 1)] + 2;
            while (top < 1 + span() && work_before(top) < all * before) ++top;
            // At least two rows for this tile and for each of the tiles after it.
            tops[static_cast<std::size_t>(t)] = std::min(top, 1 + span() - 2 * (tiles - t));
        }
    }

private:
    // The work of the tile rows before x over the sweeps (row r of sweep m is
    // tile row r + m).
    double work_before(int x) const {
        double work = 0.0;
        for (int m = 0; m < levels_; ++m) work += work_before_[static_cast<std::size_t>(std::clamp(x - 1 - m, 0, inner_))];
        return work;
    }

    int inner_;
    int levels_;
    std::vector<double> work_before_;  // of the first j grid rows
};

// The tile of the group before that a tile of rows ..bottom−1 of the next
// group waits for: the last that touches rows it touches (a tile touches the
// rows of its sweeps and one beyond, and its rows slant back by one per
// sweep), and never one before the tile after it, so that no tile runs more
// than a group ahead of the next. Once that tile has done a step, so have all
// before it; so once it has done the steps whose planes a step of the
// waiting tile reads or overwrites, every tile of its group with rows there
// has: by the same rule, the tiles of earlier groups still short of those
// planes lie further beyond.
int last_touching(std::span<const int> before, int bottom, int levels, int tile) noexcept {
    const int tiles = static_cast<int>(before.size()) - 1;
    int c = std::min(tile + 1, tiles - 1);
    while (c + 1 < tiles && before[static_cast<std::size_t>(c) + 1] <= bottom + levels) ++c;
    return c;
}

// The rows of the tiles for each group of sweeps, kept for as many groups as
// can be in progress at once. A tile runs at most a group ahead of the tile
// after it, so with T tiles the groups in progress are at most T apart; the
// slot of a new group is written once the tile that writes it has finished
// the group before, when no tile reads the slot's old group any more.
class TileShares {
public:
    explicit TileShares(int tiles)
        : stride_(static_cast<std::size_t>(tiles) + 1), slots_(static_cast<std::size_t>(tiles) + 2),
          tops_(stride_ * slots_) {}

    // The first rows of the tiles of a group, and after them the end of the last.
    std::span<int> of(int group) {
        return {tops_.data() + static_cast<std::size_t>(group) % slots_ * stride_, stride_};
    }

private:
    std::size_t stride_;
    std::size_t slots_;
    std::vector<int> tops_;
};

// How long each tile has spent in its steps and how much work it has done
// there, added up at the end of each of its groups by the tile's thread
// alone and read by the thread that shares the rows out anew.
struct alignas(64) TileClock {
    std::atomic<std::int64_t> busy{0};  // nanoseconds
    std::atomic<double> work{0.0};

    void add(std::int64_t nanoseconds, double done) noexcept {
        busy.store(busy.load(std::memory_order_relaxed) + nanoseconds, std::memory_order_relaxed);
        work.store(work.load(std::memory_order_relaxed) + done, std::memory_order_relaxed);
    }
};

// Groups of sweeps between two shares of the rows among the tiles.
constexpr int groups_per_share = 4;

// The time per unit of work of each tile at the end of the last solve with
// several threads. Tile t of a solve runs on worker t mod workers, one of the
// kept threads (SolverThreads.h), which the system mostly leaves on the same
// processor from run to run, so the next solve with as many tiles and workers
// starts from these paces rather than from equal ones until its own first
// share (a thread that has moved only costs the first share's wait).
class KeptPace {
public:
    std::vector<double> load(int tiles, unsigned workers) {
        const std::lock_guard<std::mutex> lock(m_);
        if (tiles == tiles_ && workers == workers_) return pace_;
        return std::vector<double>(static_cast<std::size_t>(tiles), 1.0);
    }
    void store(std::vector<double> pace, unsigned workers) {
        const std::lock_guard<std::mutex> lock(m_);
        tiles_ = static_cast<int>(pace.size());
        workers_ = workers;
        pace_ = std::move(pace);
    }

private:
    std::mutex m_;
    int tiles_ = 0;
    unsigned workers_ = 0;
    std::vector<double> pace_;
};

KeptPace& kept_pace() {
    static KeptPace kept;
    return kept;
}

// Steps a tile stays behind the tile before it beyond what it needs. The rows
// a thread has just written are still in its processor's own cache, and
// another processor reading them there, line by line as they are written,
// pays more than when they have moved on to the cache the processors share
// a few steps later (measured: 8 threads 10-15 % faster with 1 to 5 steps).
constexpr int trailing_steps = 2;

}  // namespace

Relaxation::Relaxation(std::span<const double> eps, std::span<const double> source, int n, double screening)
    : n_(n) {
    // Rows reach from k = −7 to at least n − 1, in whole cache lines.
    layout_.row = (static_cast<std::ptrdiff_t>(n) + 7 + line_cells - 1) / line_cells * line_cells;
    layout_.plane = static_cast<std::ptrdiff_t>(n) * layout_.row;
    if (n < 3) return;
    const int inner = n - 2;
    rows_.reserve(static_cast<std::size_t>(inner) * inner);
    row_work_.assign(static_cast<std::size_t>(inner), 0.0);
    std::map<double, std::uint32_t> factor_index;
    for (int i = 1; i <= inner; ++i)
        for (int j = 1; j <= inner; ++j) {
            const std::size_t first_span = spans_.size();
            classify_row(eps, source, screening, i, j);
            double& work = row_work_[static_cast<std::size_t>(j - 1)];
            for (std::size_t span = first_span; span < spans_.size(); ++span) {
                const Span& at = spans_[span];
                const double cells = at.end - at.begin;
                work += (at.general == uniform ? cells : general_cell_work * cells) + span_work;
            }
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

bool Relaxation::sweep_all(double* a, double* b, int sweeps, unsigned workers, Pipeline pipeline,
                           const Chores& chores) const {
    const int n = n_;
    const int inner = n - 2;
    const int levels = pipeline.levels;
    const TilePlan plan(row_work_, levels);
    const int tiles = plan.tiles(pipeline.tile_rows, workers);
    TileShares shares(tiles);
    const bool reshare = workers > 1;
    std::vector<double> pace =
        reshare ? kept_pace().load(tiles, workers) : std::vector<double>(static_cast<std::size_t>(tiles), 1.0);
    plan.share(pace, shares.of(0));
    // The steps each tile has done, counted over all groups of sweeps.
    std::vector<StepCounter> steps_done(static_cast<std::size_t>(tiles));
    // With several threads the thread of tile 0 shares the rows out anew at
    // the start of every few groups, by how long each tile took for its work
    // since the last share: the threads' processors need not be equally fast
    // (other programs on them, or on their cores' siblings), nor is the work
    // of a row known exactly. The tiles of a group learn their rows from the
    // tile before them, so no thread waits for the others to share. None of
    // this changes a result.
    std::vector<TileClock> clocks(static_cast<std::size_t>(tiles));
    std::vector<std::pair<std::int64_t, double>> seen(static_cast<std::size_t>(tiles));  // the clocks at the last share
    auto share_anew = [&](int group) noexcept {
        for (std::size_t t = 0; t < pace.size(); ++t) {
            const std::int64_t busy = clocks[t].busy.load(std::memory_order_relaxed);
            const double work = clocks[t].work.load(std::memory_order_relaxed);
            if (busy > seen[t].first && work > seen[t].second)
                pace[t] = static_cast<double>(busy - seen[t].first) / (work - seen[t].second);
            seen[t] = {busy, work};
        }
        plan.share(pace, shares.of(group));
    };
    std::barrier all_here(static_cast<std::ptrdiff_t>(workers));
    // This worker's share of `count` things.
    auto portion = [workers](std::size_t count, unsigned worker) {
        return std::pair{count * worker / workers, count * (worker + 1) / workers};
    };
    using Clock = std::chrono::steady_clock;

    auto work = [&](unsigned worker) {
        if (!chores.zero.empty()) {
            for (SolverGrid* grid : chores.zero) {
                const auto [from, to] = portion(grid->size(), worker);
                std::fill(grid->begin() + static_cast<std::ptrdiff_t>(from),
                          grid->begin() + static_cast<std::ptrdiff_t>(to), 0.0);
            }
            all_here.arrive_and_wait();
        }
        int base = 0;         // the steps of the groups before
        int last_steps = 0;   // the steps of the group before
        int last_reach = 0;   // steps of the group before that a step of this one is ahead of
        for (int first = 0, group = 0; first < sweeps; first += levels, ++group) {
            const int in_flight = std::min(levels, sweeps - first);
            const int steps = (inner + in_flight - 1 + pipeline.step_planes - 1) / pipeline.step_planes;
            for (int tile = static_cast<int>(worker); tile < tiles; tile += static_cast<int>(workers)) {
                const auto t_index = static_cast<std::size_t>(tile);
                const StepCounter* before = tile > 0 ? &steps_done[t_index - 1] : nullptr;
                StepCounter& mine = steps_done[t_index];
                // The tile of the group before whose steps this tile waits for.
                const StepCounter* above = nullptr;
                if (group > 0) {
                    // The rows of this group: tile 0 shares them out, the
                    // others find them once the tile before has done a step.
                    if (before == nullptr) {
                        if (reshare && group % groups_per_share == 0)
                            share_anew(group);
                        else
                            std::ranges::copy(shares.of(group - 1), shares.of(group).begin());
                    }
                    if (before != nullptr) before->wait_for(base + 1);
                    const std::span<const int> last = shares.of(group - 1);
                    const int bottom = shares.of(group)[t_index + 1];
                    above = &steps_done[static_cast<std::size_t>(last_touching(last, bottom, levels, tile))];
                }
                const std::span<const int> tops = shares.of(group);
                const int top = tops[t_index];
                const int bottom = tops[t_index + 1];
                std::int64_t busy = 0;
                for (int t = 0; t < steps; ++t) {
                    if (above != nullptr) above->wait_for(base - last_steps + std::min(last_steps, t + last_reach));
                    if (before != nullptr) before->wait_for(std::min(base + steps, base + t + 1 + trailing_steps));
                    const Clock::time_point start = reshare ? Clock::now() : Clock::time_point{};
                    tile_step(a, b, first, in_flight, t, top, bottom, pipeline);
                    if (reshare)
                        busy += std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - start).count();
                    mine.publish(base + t + 1);
                }
                if (reshare) clocks[t_index].add(busy, plan.work(top, bottom));
            }
            base += steps;
            last_steps = steps;
            // Step t of the next group's first sweep reads this group's last
            // sweep up to the plane after its own, and overwrites planes the
            // last sweep read: both done by step t + 1 + (in_flight − 1) /
            // step_planes of this group.
            last_reach = 2 + (in_flight - 1) / pipeline.step_planes;
        }
        if (!chores.out.empty()) {
            all_here.arrive_and_wait();
            // Sweep s writes A when s is even, so the last, s = sweeps − 1, ...
            const double* last = sweeps % 2 == 1 ? a : b;
            const auto [from, to] = portion(static_cast<std::size_t>(n), worker);
            for (int i = static_cast<int>(from); i < static_cast<int>(to); ++i)
                for (int j = 0; j < n; ++j) {
                    const double* row = last + position(i, j, 0);
                    double* plain = chores.out.data() + lin(n, i, j, 0);
                    for (int k = 0; k < n; ++k) plain[k] = chores.scale * row[k];
                }
        }
    };

    if (!SolverThreads::shared().run(workers, work)) return false;
    if (reshare) kept_pace().store(std::move(pace), workers);
    return true;
}

double* Relaxation::origin(SolverGrid& grid) {
    const auto misalignment = reinterpret_cast<std::uintptr_t>(grid.data()) / sizeof(double) % line_cells;
    return grid.data() + (misalignment == 0 ? 0 : line_cells - static_cast<std::ptrdiff_t>(misalignment));
}

void Relaxation::relax(double* a, double* b, int sweeps, unsigned threads, Pipeline pipeline,
                       const Chores& chores) const {
    if (pipeline.levels <= 0) pipeline.levels = threads > 1 ? 8 : 16;
    pipeline.levels = std::clamp(pipeline.levels, 1, sweeps);
    // No more workers than tiles can be made (TilePlan::tiles).
    const int span = n_ - 2 + pipeline.levels - 1;
    const int most_tiles = std::max(1, span / 2);
    const unsigned workers = std::clamp(threads, 1u, static_cast<unsigned>(most_tiles));
    // A tile's rows must reach past the slant of one sweep to the next: at
    // least two, so that a tile depends on the tile before it alone. Rows
    // enough for one tile make one tile per worker.
    if (pipeline.tile_rows <= 0) pipeline.tile_rows = workers > 1 ? span : 16;
    pipeline.tile_rows = std::max(pipeline.tile_rows, 2);
    pipeline.band_rows = std::max(pipeline.band_rows, 1);
    pipeline.step_planes = std::max(pipeline.step_planes, 1);
    if (!sweep_all(a, b, sweeps, workers, pipeline, chores)) sweep_all(a, b, sweeps, 1, pipeline, chores);
}

Relaxation::Convergence Relaxation::estimate(double* last, double* previous, SolverGrid& next_grid, bool fresh,
                                             std::span<const std::uint8_t> watched, unsigned threads,
                                             const Pipeline& pipeline) const {
    const int n = n_;
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
    SolverGrid* const zero[] = {&next_grid};
    relax(next, last, 1, threads, pipeline, Chores{fresh ? std::span<SolverGrid* const>(zero) : std::span<SolverGrid* const>{}, {}, 1.0});  // sweep m + 1
    const double scale = sum(last, last, last, [](double p, double, double) { return p * p; });
    const double before = sum(next, previous, previous, squared_difference);  // |D_m|²
    relax(previous, next, 1, threads, pipeline, Chores{});  // sweep m + 2
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

Relaxation::Convergence Relaxation::run_into(std::span<double> out, int sweeps, unsigned threads, Pipeline pipeline,
                                             std::span<const std::uint8_t> watched, double scale) const {
    const int n = n_;
    const std::size_t cells = n > 0 ? static_cast<std::size_t>(n) * n * n : 0;
    if (out.size() != cells) throw std::invalid_argument("the relaxation's grid has " + std::to_string(cells) + " cells");
    if (n < 3 || sweeps <= 0) {
        std::fill(out.begin(), out.end(), 0.0);
        return {};
    }
    const std::lock_guard<std::mutex> turn(workspace_->turn);
    Workspace& w = *workspace_;
    // Rows reach from k = −7 to at least n − 1, and the grid from cell
    // (0, 0, −7) to (n − 1, n − 1, row − 8), starting anywhere in a line.
    const std::size_t work_cells = static_cast<std::size_t>(n) * static_cast<std::size_t>(layout_.plane) + line_cells;
    const bool fresh = w.a.size() != work_cells;
    if (fresh) {
        w.a = SolverGrid(work_cells);
        w.b = SolverGrid(work_cells);
    }
    double* const a = origin(w.a);
    double* const b = origin(w.b);
    // Sweep 0 reads all of B; A's interior is written before it is read.
    SolverGrid* const new_grids[] = {&w.a, &w.b};
    SolverGrid* const first_read[] = {&w.b};
    relax(a, b, sweeps, threads, pipeline,
          Chores{fresh ? std::span<SolverGrid* const>(new_grids) : std::span<SolverGrid* const>(first_read), out, scale});
    if (watched.size() != cells) return {};
    const bool next_fresh = w.next.size() != work_cells;
    if (next_fresh) w.next = SolverGrid(work_cells);
    double* const last = sweeps % 2 == 1 ? a : b;
    double* const previous = sweeps % 2 == 1 ? b : a;
    return estimate(last, previous, w.next, next_fresh, watched, threads, pipeline);
}

Relaxation::Result Relaxation::run(int sweeps, unsigned threads, Pipeline pipeline,
                                   std::span<const std::uint8_t> watched) const {
    const std::size_t cells = n_ > 0 ? static_cast<std::size_t>(n_) * n_ * n_ : 0;
    Result result;
    result.grid.resize(cells);
    result.convergence = run_into(result.grid, sweeps, threads, pipeline, watched);
    return result;
}
