#pragma once
// The relaxation that solves a species' potential grid: Jacobi sweeps of the
// finite-difference Poisson-Boltzmann equation over a permittivity grid.
//
// Each sweep reads the previous grid and writes the next one (two buffers;
// sweep 0 reads the zero grid B and writes A, sweep 1 reads A and writes B,
// ...). For every cell p with i, j, k all in 1..n-2, with e its permittivity,
// e_q those of its six face neighbours and φ_q their old values:
//
//   new(p) = (2·source(p) + Σ_q (e + e_q)·φ_q) / (6e + Σ_q e_q + screening(e))
//
// where screening(e) is the given screening term, and 0 in cells whose
// permittivity is exactly 2.0. The outer layer of cells stays 0.
//
// How the sweeps are done fast without changing what they compute:
// - Most cells lie in uniform surroundings (the cell and its six neighbours
//   of one permittivity, no source). There the formula is
//   (Σ_q φ_q)·(2e / (12e + screening)): five additions and one product
//   (RelaxationRows.h). Every other cell keeps the full formula, with its
//   weights precomputed. The two forms agree to rounding. The rows are
//   classified once: most are uniform from end to end and go to the inner
//   loop many rows at a time; the others are cut into spans of one kind.
// - The sweeps work on grids of their own, with rows padded to whole cache
//   lines and offered for large memory pages; the solver keeps them from
//   run to run, and the result is copied out into the plain layout at the
//   end.
// - Several consecutive sweeps are in flight at once (`levels`), so that a
//   cell is brought into the cache once for all of them. Sweep m + 1 works
//   one plane (i) and one row (j) behind sweep m: the grid is cut into
//   tiles of rows, slanted by one row per sweep, and each tile is passed
//   through `step_planes` planes at a time ("steps"), all its sweeps at
//   once, each sweep `step_planes` planes further in each step. A step
//   takes the tile in bands of `band_rows` rows, each band through the
//   sweeps in order, so that sweep m + 1 reads the rows sweep m has just
//   written while they are still in the nearest cache; the tile's rows
//   decide what stays in the next cache from one step to the next. Two
//   planes of a band go through the inner loop together where both are
//   uniform with one factor, so that the rows between them are loaded once
//   for both. Tile b + 1 may run a step once tile b has finished that step
//   (likewise the bands of a tile), and a step of a tile of the next group
//   of sweeps once the tiles of this group whose rows it touches have done
//   the steps whose planes it reads or overwrites. With these rules every
//   cell is computed from exactly the values a plain sweep after sweep would
//   use.
// - Each thread has tiles of its own, by default one (a thread with several
//   goes through each group of sweeps once for each, and waits for the
//   tiles of the others more often), and waits only for the tiles its tiles
//   depend on, step by step, so that a thread held up for a moment holds up
//   the others only once the slack of up to a group between neighbouring
//   tiles is used up. The tiles are
//   cut for equal work (rows through the protein cost more, rows off the
//   grid for some sweeps nothing), and with several threads cut anew every
//   few groups by the time each tile took, so that a thread slowed by other
//   programs gets fewer rows (a solve starts from the last solve's measure
//   of each thread's speed); each group's cut is handed from tile to tile
//   with the steps, so no thread stops for it. A tile keeps a few steps
//   behind the one before, so that it reads that tile's rows from the
//   processors' shared cache rather than from the other processor's own.
//   The threads are kept from run to run (SolverThreads.h), so that they
//   stay on their processors.
// Every cell's value is computed by the same operations in the same order
// whatever the number of threads, the tiles, the number of sweeps in flight
// or the instruction set, so the result is bit-identical for any of them.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "dynamics/species/RelaxationRows.h"
#include "dynamics/species/SolverGrid.h"

// How the sweeps are shared out and run (see above); none of these changes
// the result.
struct RelaxationPipeline {
    // Sweeps in flight at once; 0 chooses: 16 for one thread, 8 when several
    // share the grid (the fewer in flight, the fewer rows pass from one
    // thread's cache to another's).
    int levels = 0;
    // Rows of a tile (at least 2); 0 chooses: 16 for one thread, one tile per
    // thread when several share the grid (measured at n = 126 against tiles
    // of 16 rows: 2 to 6 threads 19-23 % faster, 8 threads alike).
    int tile_rows = 0;
    int band_rows = 4;         // rows of a tile each sweep does at a time (at least 1)
    int step_planes = 2;       // planes each sweep does in a step (at least 1)
    bool eight_lanes = true;   // the eight-lane inner loop where the processor has it
};

class Relaxation {
public:
    using Pipeline = RelaxationPipeline;

    // `eps` and `source` are grids of n³ cells indexed lin(n, i, j, k);
    // `screening` is the term added to the denominator of cells whose
    // permittivity is not 2.0.
    Relaxation(std::span<const double> eps, std::span<const double> source, int n, double screening);

    // How far the sweeps are from convergence over a set of cells. With D_m
    // the change across the two sweeps around the last one, φ_{m+1} − φ_{m−1},
    // and D_{m+1} the next (the sweeps after the last are made for this
    // alone), the error left after sweep m shrinks like D from one sweep to
    // the next by the contraction ρ = |D_{m+1}| / |D_m|; summing that
    // geometric series gives the error left, ρ·|D_m| / (1 − ρ²). Over two
    // sweeps the error's slowly shrinking parts, the smooth ones and the ones
    // that alternate from cell to cell, shrink alike, which a single sweep's
    // change would not show. All three are root-mean-square values over the
    // cells, relative to the potential's there.
    struct Convergence {
        double change = 0;       // |D_m| / |φ_m|
        double contraction = 0;  // ρ
        // Estimated |φ_m − φ| / |φ_m|: infinite when the change does not
        // shrink, or when the sweeps have not yet carried any potential into
        // the watched cells.
        double error = 0;
    };

    // Runs `sweeps` sweeps with up to `threads` threads (0 counts as 1),
    // writes the grid of the last sweep times `scale` into `out` (n³ cells,
    // index lin(n, i, j, k); all 0 without sweeps) and estimates the
    // convergence over the interior cells that `watched` (n³ cells, non-zero
    // for a watched cell; may be empty) marks: all 0 without watched cells,
    // without sweeps or without sources. Runs of one solver take turns; its
    // working grids are kept from one run to the next.
    Convergence run_into(std::span<double> out, int sweeps, unsigned threads, Pipeline pipeline = {},
                         std::span<const std::uint8_t> watched = {}, double scale = 1.0) const;

    struct Result {
        std::vector<double> grid;  // the grid written by the last sweep (all 0 without sweeps)
        Convergence convergence;
    };
    // The same into a grid of its own.
    Result run(int sweeps, unsigned threads, Pipeline pipeline = {}, std::span<const std::uint8_t> watched = {}) const;

    // Cells that keep the full formula (for the benchmarks and tests).
    std::size_t general_cells() const { return general_.size(); }

private:
    // A stretch of cells along k in a row of mixed cells, with one kind of
    // update.
    struct Span {
        std::int32_t begin;    // first k
        std::int32_t end;      // one past the last k
        std::uint32_t general; // index of the first cell's record in general_; none for a uniform span
        double factor;         // uniform span: 2e / (12e + screening)
    };
    static constexpr std::uint32_t uniform = 0xffffffffu;

    // A cell with the full formula: the weights e + e_q of the neighbours
    // i−1, i+1, j−1, j+1, k−1, k+1, twice the source, and the denominator.
    struct General {
        double weight[6];
        double twice_source;
        double denominator;
    };

    // Where cell (i, j, k) lies in the grids of the sweeps (RelaxationRows.h).
    std::ptrdiff_t position(int i, int j, int k) const {
        return (static_cast<std::ptrdiff_t>(i) * n_ + j) * layout_.row + k + 7;
    }
    // Where cell (0, 0, −7) of a grid in the layout of the sweeps lies in
    // its memory (the start of a cache line).
    static double* origin(SolverGrid& grid);

    // What the threads of one sweep_all do besides the sweeps: first zero
    // `zero`, last copy the grid of the last sweep, times `scale`, into `out`
    // in the plain layout (unless `out` is empty).
    struct Chores {
        std::span<SolverGrid* const> zero;
        std::span<double> out;
        double scale = 1.0;
    };

    void classify_row(std::span<const double> eps, std::span<const double> source, double screening, int i, int j);
    void tile_step(double* a, double* b, int first, int in_flight, int t, int top, int tile_end,
                   const Pipeline& pipeline) const;
    void sweep_plane_pair(const double* in, double* out, int i, int j_begin, int j_end, bool eight_lanes) const;
    void sweep_rows(const double* in, double* out, int i, int j_begin, int j_end, bool eight_lanes) const;
    void general_cells(const double* c, double* o, const Span& span) const;
    // All sweeps on `workers` threads (the caller's among them) with their
    // chores, shared out; false when the threads could not be started
    // (nothing was done then).
    bool sweep_all(double* a, double* b, int sweeps, unsigned workers, Pipeline pipeline, const Chores& chores) const;
    // `sweeps` sweeps, the first reading b and writing a, on up to `threads`
    // threads (one when no more can be started).
    void relax(double* a, double* b, int sweeps, unsigned threads, Pipeline pipeline, const Chores& chores) const;
    // The convergence over the watched cells of the grid `last` written by
    // the last sweep (only read); `previous` (the grid before it) and `next`
    // (zeroed when `fresh`) are overwritten.
    Convergence estimate(double* last, double* previous, SolverGrid& next, bool fresh,
                         std::span<const std::uint8_t> watched, unsigned threads, const Pipeline& pipeline) const;

    // The grids the sweeps work in, kept from run to run: their outer layers
    // and the cells beyond the rows' ends are never written, so only a new
    // grid and the first grid read are zeroed for a run.
    struct Workspace {
        std::mutex turn;
        SolverGrid a, b, next;
    };
    std::unique_ptr<Workspace> workspace_ = std::make_unique<Workspace>();

    int n_;
    RowLayout layout_;
    // Per interior row (i−1)·(n−2) + (j−1): uniform_row with the index of its
    // factor in factors_ for a row uniform from end to end with one factor;
    // else the index of its first span in spans_ (its spans end at k = n−1).
    static constexpr std::uint32_t uniform_row = 0x80000000u;
    std::vector<std::uint32_t> rows_;
    std::vector<double> factors_;
    std::vector<Span> spans_;
    std::vector<General> general_;
    // The work of each row j = 1..n−2 over all planes, in uniform cells.
    std::vector<double> row_work_;
    bool sources_ = false;  // whether any interior cell has a source
};
