// Collision detection and moves of the step loop, for species of about a
// thousand atoms: one instance against a partner just short of contact
// (every stage runs to its end) or overlapping it, and whole moves in a
// crowded box.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>

#include "dynamics/PDcalc.h"
#include "dynamics/scene/Rotation.h"
#include "dynamics/support/FixtureSpecies.h"
#include "dynamics/support/ShapeSpecies.h"

namespace {

using namespace dynamics_testing;

constexpr double A = 1e-10;

// 1021 atoms of 1.4 to 1.9 Å on a 2 Å lattice in a ball of 12.5 Å, in
// residues (and covering spheres) of eight.
PROT_CLASS thousand_atoms() {
    PROT_CLASS s = make_shape_species(ball_atoms(12.5 * A, 2 * A, {1.7 * A, 1.9 * A, 1.5 * A, 1.4 * A}),
                                      {.name = "protein", .atoms_per_residue = 8});
    return s;
}

enum Stages { spheres_then_atoms, atoms_alone, residues };

void set_stages(PDcalc& engine, Stages stages) {
    engine.collision_stage1 = stages == spheres_then_atoms ? &PDcalc::collision3D_spheres
                              : stages == residues         ? &PDcalc::collision3D_residues
                                                           : nullptr;
    engine.collision_stage2 = stages == residues ? nullptr : &PDcalc::collision3D_atoms;
}

// Two turned instances along x, q moved in until its atoms touch p's and
// then back by `back_off` (negative: further in).
void place_pair(PDcalc& engine, double back_off) {
    double p_rot[3][3], q_rot[3][3];
    const double identity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    turn_3a(p_rot, identity, 0.3, -0.8, 1.2);
    turn_3a(q_rot, identity, -1.1, 0.4, 2.0);
    add_instance(engine, 0, {0, 0, 0}, p_rot);
    add_instance(engine, 0, {0, 0, 0}, q_rot);
    PROT& q = engine.prots[1];
    q.x = 2 * engine.model.species[0].r_outer;
    while (engine.collision3D_atoms(&engine.prots[0], &q) == 0) q.x -= 0.05 * A;
    q.x += back_off;
}

void BM_collision3D_pair(benchmark::State& state) {
    PDcalc engine;
    add_box(engine, 100 * A, 0);
    add_species(engine, thousand_atoms());
    fill_pair_radii(engine);
    set_max_atom_r(engine);
    set_stages(engine, static_cast<Stages>(state.range(0)));
    const bool touching = state.range(1) != 0;
    place_pair(engine, touching ? -0.5 * A : 0.2 * A);
    PROT* p = &engine.prots[0];
    const int expected = touching ? 2 : 0;
    if (engine.collision3D(p) != expected) state.SkipWithError("the pair is not placed as meant");
    for (auto _ : state) benchmark::DoNotOptimize(engine.collision3D(p));
}
BENCHMARK(BM_collision3D_pair)
    ->ArgNames({"stages", "touching"})
    ->Args({spheres_then_atoms, 0})
    ->Args({spheres_then_atoms, 1})
    ->Args({atoms_alone, 0})
    ->Args({residues, 0});

// The same pair without the atoms' cell list: every atom pair is compared.
void BM_collision3D_pair_without_cell_list(benchmark::State& state) {
    PDcalc engine;
    add_box(engine, 100 * A, 0);
    add_species(engine, thousand_atoms());
    engine.model.species[0].atom_grid = {};
    fill_pair_radii(engine);
    set_stages(engine, atoms_alone);
    place_pair(engine, 0.2 * A);
    PROT* p = &engine.prots[0];
    for (auto _ : state) benchmark::DoNotOptimize(engine.collision3D(p));
}
BENCHMARK(BM_collision3D_pair_without_cell_list);

// The broad phase: one instance against a scene of `n` instances of which
// none comes near it.
void BM_collision3D_scan(benchmark::State& state) {
    PDcalc engine;
    add_box(engine, 2000 * A, 0);
    PROT_CLASS s = thousand_atoms();
    add_species(engine, s);
    fill_pair_radii(engine);
    set_stages(engine, spheres_then_atoms);
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> position(-2000 * A, 2000 * A);
    add_instance(engine, 0, {0, 0, 0});
    while (engine.prots.size() < static_cast<std::size_t>(state.range(0))) {
        const POINT3D c{position(random), position(random), position(random)};
        if (c.x * c.x + c.y * c.y + c.z * c.z > 4 * s.r_outer * s.r_outer) add_instance(engine, 0, c);
    }
    PROT* p = &engine.prots[0];
    for (auto _ : state) benchmark::DoNotOptimize(engine.collision3D(p));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_collision3D_scan)->Arg(1000);

// Random moves of 20 instances in a periodic box (a tenth of it filled),
// each move cut back when it collides.
void BM_prot_move_crowded(benchmark::State& state) {
    PDcalc engine;
    add_box(engine, 60 * A, 0);
    PROT_CLASS s = thousand_atoms();
    s.N = 20;
    add_species(engine, s);
    fill_pair_radii(engine);
    set_max_atom_r(engine);
    set_stages(engine, spheres_then_atoms);
    engine.prots.assign(20, PROT{});
    engine.prots_n = 20;
    std::srand(1);
    engine.scene_prepare();
    std::mt19937_64 random(3);
    std::normal_distribution<double> shift(0.0, 1.0 * A);
    std::normal_distribution<double> turn(0.0, 0.05);
    const COMPARTMENT& box = engine.model.compartments[0];
    std::size_t k = 0;
    for (auto _ : state) {
        PROT& p = engine.prots[k];
        POINT3D d{shift(random), shift(random), shift(random)};
        POINT3D w{turn(random), turn(random), turn(random)};
        engine.prot_move(p, d, w);
        p.translate2bounds(box);
        k = (k + 1) % engine.prots.size();
    }
}
BENCHMARK(BM_prot_move_crowded);

}  // namespace
