// One time step of the whole scene against the number of instances: n
// instances of a globular species of 1000 atoms (10 % of them charged) in a
// periodic box sized so that each has about ten others within the
// interaction range (the same density at every n, up to 10,000 instances),
// with the spheres collision stage. Reported: steps per second, the cost per
// ordered pair of instances, and the heap allocations made inside the step
// (none are expected). Once the box is several interaction ranges wide
// (here from a thousand instances on) the neighbours of an instance are
// found in the cells of the box, so the step grows with n rather than with
// its square.
//
// A second benchmark times the search for neighbours alone: the same scene
// with nothing in range of anything.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <random>

#include "dynamics/PDcalc.h"
#include "dynamics/support/FixtureSpecies.h"
#include "dynamics/scene/Rotation.h"
#include "utils/backup/backup.h"

namespace {

std::atomic<long> allocations{0};

}  // namespace

// Counts every heap allocation of the program: operator new and the C
// library's own users of malloc alike end here.
extern "C" void* __libc_malloc(std::size_t size);
extern "C" void* malloc(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(size);
}

namespace {

using namespace dynamics_testing;

constexpr int atoms_n = 1000;
constexpr double neighbours = 10.0;

// A globular species of `atoms_n` atoms in residues of 8, packed in a ball at
// 20 Å³ per atom; every tenth atom carries ±0.5 e. Its grid has the size the
// species set-up would give it for the engine's A and h, with a uniform
// field.
PROT_CLASS globular_species(const PDcalc& engine) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    const double radius = std::cbrt(atoms_n * 20.0 * 3 / (4 * M_PI)) * 1e-10;
    FixtureOptions options;
    options.atoms.clear();
    for (int a = 0; a < atoms_n; ++a) {
        POINT3D p;
        do p = POINT3D{unit(random), unit(random), unit(random)} * radius;
        while (p.x * p.x + p.y * p.y + p.z * p.z > radius * radius);
        const double q = a % 10 == 0 ? (a % 20 == 0 ? 0.5 : -0.5) : 0.0;
        options.atoms.push_back({p, 1.7e-10, q, 12, a / 8});
    }
    options.h = engine.h;
    options.pot_n = 2 * static_cast<int>(std::ceil((engine.A * 1e-10 + radius) / engine.h));
    options.field = {1e6, -2e6, 5e5};
    PROT_CLASS s = make_fixture_species(options);
    s.spheres = {SPHERE{{0, 0, 0}, radius + 1.7e-10}};
    s.r_outer = radius + 1.7e-10;
    s.r_inner = 0.7 * radius;
    return s;
}

// `n` instances at random places and orientations in a periodic box whose
// density puts `reach` neighbours in every instance's interaction range
// (`reach` 0: a box so large that no pair is within any range).
struct Scene {
    // `margin`: the engine's A, ångström (the grid margin and the reach of
    // the electrostatic interaction beyond the atoms).
    Scene(int n, double reach, double margin = 100.0) {
        backup::reset();
        engine.A = margin;
        engine.rng = std::make_unique<RngStream>("ecuyer");
        engine.rng->SetEngineSeed(12345);
        engine.collision_stage1 = &PDcalc::collision3D_spheres;
        PROT_CLASS s = globular_species(engine);
        const double cutoff = engine.A * 1e-10 + 2 * s.r_max;
        const double density = reach > 0 ? reach / (4.0 / 3.0 * M_PI * cutoff * cutoff * cutoff) : 0.0;
        const double edge = reach > 0 ? std::cbrt(n / density) : 1000 * cutoff * std::cbrt(n);
        add_box(engine, edge / 2);
        s.N = n;
        add_species(engine, std::move(s));
        CLASS_PAIR& pair = engine.model.pairs[pair_index(engine.model, 0, 0)];
        const PROT_CLASS& species = engine.model.species[0];
        pair.cutoff2 = cutoff * cutoff;
        pair.outer2 = 4 * species.r_outer * species.r_outer;
        pair.inner2 = 4 * species.r_inner * species.r_inner;

        std::mt19937 random(11);
        std::uniform_real_distribution<double> place(-edge / 2, edge / 2);
        std::uniform_real_distribution<double> angle(0.0, 2 * M_PI);
        const double identity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
        engine.prots.reserve(static_cast<std::size_t>(n));
        while (engine.active_n < n) {
            double rot[3][3];
            turn_3a(rot, identity, angle(random), angle(random), angle(random));
            add_instance(engine, 0, {place(random), place(random), place(random)}, rot);
            if (engine.collision3D(&engine.prots.back()) != 0) {
                engine.prots.pop_back();
                engine.prots_n = engine.active_n = static_cast<std::int32_t>(engine.prots.size());
            }
        }
    }
    ~Scene() { backup::reset(); }

    // The working storage that the preparation sizes.
    void reserve() {
        engine.drift_scratch.reserve(engine.model.species[0].charges.size());
        engine.pair_scan.reserve(engine.prots.size(), 1, 1);
    }

    PDcalc engine;
};

void report(benchmark::State& state, int n, long allocated) {
    const double pairs = static_cast<double>(n) * (n - 1);
    state.counters["steps/s"] = benchmark::Counter(1.0, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["per_pair"] = benchmark::Counter(pairs, benchmark::Counter::kIsIterationInvariantRate |
                                                               benchmark::Counter::kInvert);
    state.counters["allocations/step"] = static_cast<double>(allocated) / static_cast<double>(state.iterations());
}

// Steps of `n` instances with ten neighbours each within the interaction
// range of margin `margin` (ångström).
void time_steps(benchmark::State& state, double margin) {
    const int n = static_cast<int>(state.range(0));
    Scene scene(n, neighbours, margin);
    scene.reserve();
    const long before = allocations.load();
    for (auto _ : state) {
        scene.engine.step_instances();
        ++scene.engine.step;
    }
    report(state, n, allocations.load() - before);
}

void BM_engine_step(benchmark::State& state) { time_steps(state, 100.0); }
BENCHMARK(BM_engine_step)->Arg(10)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The same with a margin of 30 Å instead of the default 100 Å: a grid of
// 48³ cells (2.6 MB of field) instead of 116³ (37 MB), at the higher
// concentration that keeps ten neighbours within the shorter range.
void BM_engine_step_short_range(benchmark::State& state) { time_steps(state, 30.0); }
BENCHMARK(BM_engine_step_short_range)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_pair_prefilter(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Scene scene(n, 0.0);
    // Nothing moves, so the step is the pair loop alone.
    scene.engine.model.species[0].move = false;
    scene.reserve();
    const long before = allocations.load();
    for (auto _ : state) scene.engine.step_instances();
    report(state, n, allocations.load() - before);
}
BENCHMARK(BM_pair_prefilter)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
