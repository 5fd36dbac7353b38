#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "dynamics/PDcalc.h"
#include "dynamics/scene/Rotation.h"
#include "dynamics/support/FixtureSpecies.h"
#include "utils/backup/backup.h"

namespace {

using namespace dynamics_testing;

// A moving species with `charges` charges spread over a ball of 2 nm, in the
// field of a species with an 80-cell grid (16 nm), both turned.
void BM_eforce_prot(benchmark::State& state) {
    const auto charges = static_cast<int>(state.range(0));
    PDcalc engine;
    add_box(engine, 2e-8);
    FixtureOptions mover;
    mover.atoms.clear();
    for (int i = 0; i < charges; ++i) {
        const double t = 0.61803398875 * i;
        const double r = 2e-9 * std::cbrt((i + 0.5) / charges);
        const double z = 1.0 - 2.0 * (i + 0.5) / charges;
        const double s = std::sqrt(1.0 - z * z);
        mover.atoms.push_back({{r * s * std::cos(6.2831853 * t), r * s * std::sin(6.2831853 * t), r * z},
                               1.5e-10, (i % 3) - 1.0 + 0.5, 12.0, i / 10});
    }
    FixtureOptions source;
    source.pot_n = 80;
    source.field = {1e8, -5e7, 2e7};
    add_species(engine, make_fixture_species(mover));
    add_species(engine, make_fixture_species(source));
    double p_rot[3][3], q_rot[3][3];
    const double identity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    turn_3a(p_rot, identity, 0.3, -0.8, 1.2);
    turn_3a(q_rot, identity, -1.1, 0.4, 2.0);
    add_instance(engine, 0, {1e-9, -2e-9, 5e-10}, p_rot);
    add_instance(engine, 1, {-1e-9, 1e-9, 0}, q_rot);
    POINT3D d{0, 0, 0}, w{0, 0, 0};
    for (auto _ : state) {
        engine.eforce_prot(d, w, engine.prots[0], engine.prots[1]);
        benchmark::DoNotOptimize(d);
        benchmark::DoNotOptimize(w);
    }
    state.SetItemsProcessed(state.iterations() * charges);
}
BENCHMARK(BM_eforce_prot)->Arg(30)->Arg(300)->Arg(3000);

// The six normal draws of one instance's thermal motion.
void BM_normal_rand(benchmark::State& state) {
    backup::reset();
    PDcalc engine;
    engine.rng = std::make_unique<RngStream>("ecuyer");
    for (auto _ : state) benchmark::DoNotOptimize(engine.normal_rand(0.0, 2e-12));
    backup::reset();
}
BENCHMARK(BM_normal_rand);

}  // namespace
