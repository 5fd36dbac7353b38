#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstddef>
#include <vector>

#include "dynamics/species/CubeFile.h"
#include "dynamics/species/GridCache.h"
#include "dynamics/species/GridCell.h"
#include "dynamics/species/Relaxation.h"
#include "utils/File.h"
#include "utils/platform/Process.h"

namespace {

// A grid like a protein's of radius 20 Å at h = 2 Å: protein inside, a
// boundary layer, salt water around, and twenty charges near the centre.
Relaxation protein_like(int n) {
    const double h = 2e-10;
    std::vector<double> eps(static_cast<std::size_t>(n) * n * n, 80.0), source(eps.size(), 0.0);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            for (int k = 0; k < n; ++k) {
                const double x = cell_centre(i, n, h), y = cell_centre(j, n, h), z = cell_centre(k, n, h);
                const double r = std::sqrt(x * x + y * y + z * z);
                double& e = eps[static_cast<std::size_t>(lin(n, i, j, k))];
                if (r < 20e-10) e = 2.0;
                else if (r < 22e-10) e = 40.0;
            }
    const int c = n / 2;
    for (int q = 0; q < 20; ++q)
        source[static_cast<std::size_t>(lin(n, c - 5 + q / 2, c + q % 3 - 1, c + q % 5 - 2))] +=
            (q % 2 != 0 ? 1.0 : -1.0) * 12.566370614359172 / 2.0;
    return Relaxation(eps, source, n, 2e20 * h * h * 0.8631);
}

// Arguments: cells per edge, sweeps, threads (0: every usable processor).
// "time_per_cell" is the wall time of one interior cell's update.
void BM_relaxation(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const int sweeps = static_cast<int>(state.range(1));
    const unsigned threads =
        state.range(2) > 0 ? static_cast<unsigned>(state.range(2)) : platform::usable_processors();
    const Relaxation relaxation = protein_like(n);
    // Into a grid of the caller's, as the potential step solves it; the
    // solver keeps its working grids from one run to the next.
    std::vector<double> grid(static_cast<std::size_t>(n) * n * n);
    for (auto _ : state) {
        relaxation.run_into(grid, sweeps, threads);
        benchmark::DoNotOptimize(grid.data());
    }
    const double updates = std::pow(n - 2.0, 3) * sweeps;
    state.counters["threads"] = threads;
    state.counters["time_per_cell"] =
        benchmark::Counter(updates, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_relaxation)->Args({126, 500, 1})->Args({126, 500, 4})->Args({126, 500, 0})->Args({64, 500, 1})->Unit(benchmark::kMillisecond)->UseRealTime();

// A potential of n³ cells in volts, as the solver leaves it after 200 sweeps:
// zeros on the faces, values of both signs over many decades.
std::vector<double> potential(int n) {
    std::vector<double> volts(static_cast<std::size_t>(n) * n * n);
    protein_like(n).run_into(volts, 200, platform::usable_processors(), {}, {}, 14.39);
    return volts;
}

// Writing grids of n³ cells (argument) to a temporary file: the cube file
// (with a thousand atom lines) and the potential's text table.
void BM_cube_file(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::vector<double> values = potential(n);
    std::vector<ATOM> atoms(1000, ATOM{});
    for (std::size_t a = 0; a < atoms.size(); ++a) {
        atoms[a].x = 1e-11 * static_cast<double>(a);
        atoms[a].y = -2e-11 * static_cast<double>(a);
        atoms[a].z = 3e-12 * static_cast<double>(a);
        atoms[a].serial = static_cast<std::int32_t>(a + 1);
    }
    for (auto _ : state) {
        const FilePtr file(std::tmpfile());
        if (!file || !write_cube(file.get(), "Electrostatic field for bench, I=100, pH=7\n", atoms, values, n, 2e-10))
            state.SkipWithError("writing failed");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(values.size()) * 13);
}
BENCHMARK(BM_cube_file)->Arg(129)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_text_grid(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const std::vector<double> values = potential(n);
    for (auto _ : state) {
        const FilePtr file(std::tmpfile());
        if (!file || !write_text_grid(file.get(), values, n, NumberStyle::exponent)) state.SkipWithError("writing failed");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(values.size()) * 13);
}
BENCHMARK(BM_text_grid)->Arg(129)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
