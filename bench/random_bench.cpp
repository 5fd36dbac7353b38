#include <benchmark/benchmark.h>

#include "utils/backup/backup.h"
#include "utils/random/RngStream.h"

namespace {

void BM_RandU01(benchmark::State& state) {
    backup::init("");
    RngStream stream("ecuyer");
    stream.IncreasedPrecis(state.range(0) != 0);
    for (auto _ : state) benchmark::DoNotOptimize(stream.RandU01());
    backup::reset();
}
BENCHMARK(BM_RandU01)->Arg(0)->Arg(1);

void BM_ResetNextSubstream(benchmark::State& state) {
    backup::init("");
    RngStream stream("ecuyer");
    for (auto _ : state) {
        stream.ResetNextSubstream();
        benchmark::ClobberMemory();
    }
    backup::reset();
}
BENCHMARK(BM_ResetNextSubstream);

}  // namespace
