// The geometry of the step loop: every protein against every other.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "utils/backup/backup.h"
#include "utils/geometry/OBJECT3D.h"
#include "utils/histogram/histogram.h"

namespace {

COMPARTMENT periodic_box() {
    COMPARTMENT c{};
    c.type = 0;
    c.halfsize = {5e-8, 5e-8, 5e-8};
    c.size = c.halfsize * 2.0;
    c.lower = POINT3D{0, 0, 0} - c.halfsize;
    c.upper = c.halfsize;
    return c;
}

std::vector<OBJECT3D> bodies(std::size_t n, const COMPARTMENT& c) {
    std::mt19937_64 generator(1);
    std::uniform_real_distribution<double> position(c.lower.x, c.upper.x);
    std::vector<OBJECT3D> result(n);
    for (OBJECT3D& o : result) {
        o.x = position(generator), o.y = position(generator), o.z = position(generator);
        for (int i = 0; i < 3; ++i) o.rot[i][i] = o.rot_inv[i][i] = 1.0;
    }
    return result;
}

void BM_PeriodicDistance2AllPairs(benchmark::State& state) {
    const COMPARTMENT c = periodic_box();
    const auto objects = bodies(static_cast<std::size_t>(state.range(0)), c);
    for (auto _ : state) {
        double sum = 0;
        for (const OBJECT3D& a : objects)
            for (const OBJECT3D& b : objects) sum += getDistance2(a, b, &c);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(0));
}
BENCHMARK(BM_PeriodicDistance2AllPairs)->Arg(1000);

void BM_ToInternal(benchmark::State& state) {
    const COMPARTMENT c = periodic_box();
    const auto objects = bodies(1000, c);
    for (auto _ : state) {
        POINT3D sum{0, 0, 0};
        for (std::size_t i = 1; i < objects.size(); ++i) sum += objects[i].toInternal(objects[i - 1], &c);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * 999);
}
BENCHMARK(BM_ToInternal);

void BM_Translate2Bounds(benchmark::State& state) {
    const COMPARTMENT c = periodic_box();
    auto objects = bodies(1000, c);
    const POINT3D step{3e-9, -2e-9, 1e-9};
    for (auto _ : state) {
        for (OBJECT3D& o : objects) {
            o += step;
            o.translate2bounds(c);
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_Translate2Bounds);

void BM_HistogramAdd2D(benchmark::State& state) {
    backup::init("");
    const int bins[] = {300, 300};
    histogram h(2, bins);
    int cell[2] = {0, 0};
    for (auto _ : state) {
        cell[0] = (cell[0] + 7) % 300;
        cell[1] = (cell[1] + 13) % 300;
        h.add(cell);
    }
    benchmark::DoNotOptimize(h.total_count());
    backup::reset();
}
BENCHMARK(BM_HistogramAdd2D);

}  // namespace
