#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "dynamics/PDcalc.h"
#include "dynamics/reactions/ContactStatistics.h"
#include "dynamics/scene/Rotation.h"
#include "dynamics/support/FixtureReaction.h"
#include "dynamics/support/FixtureSpecies.h"
#include "dynamics/support/ReferenceContacts.h"
#include "utils/backup/backup.h"

namespace {

using namespace dynamics_testing;

// A globular protein of `residues` residues of 8 atoms each, packed in a ball
// with 20 Å³ per atom.
PROT_CLASS globular_species(const char* name, int residues, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    const double radius = std::cbrt(residues * 8 * 20.0 * 3 / (4 * M_PI)) * 1e-10;
    FixtureOptions options;
    options.name = name;
    options.atoms.clear();
    for (int r = 0; r < residues; ++r) {
        POINT3D centre;
        do centre = POINT3D{unit(random), unit(random), unit(random)} * radius;
        while (centre.x * centre.x + centre.y * centre.y + centre.z * centre.z > radius * radius);
        for (int a = 0; a < 8; ++a)
            options.atoms.push_back({centre + POINT3D{unit(random), unit(random), unit(random)} * 2e-10, 1.7e-10, 0,
                                     12, r});
    }
    return make_fixture_species(options);
}

// Two such proteins of `residues` residues each, turned, their surfaces
// touching, with a contact range of 4 Å.
struct ContactScene {
    explicit ContactScene(int residues) {
        backup::reset();
        add_box(engine, 2e-8);
        add_species(engine, globular_species("first", residues, 1));
        add_species(engine, globular_species("second", residues, 2));
        const double reach = engine.model.species[0].r_max;
        double p_rot[3][3], q_rot[3][3];
        const double identity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
        turn_3a(p_rot, identity, 0.3, -0.8, 1.2);
        turn_3a(q_rot, identity, -1.1, 0.4, 2.0);
        add_instance(engine, 0, {0, 0, 0}, p_rot);
        add_instance(engine, 1, {1.8 * reach, 0, 0}, q_rot);
        engine.residue_contact_range = 4e-10;
        engine.residue_contact_range2 = 16e-20;
        stats = make_contact_statistics(engine.model.species[0], engine.model.species[1], "");
    }
    ~ContactScene() {
        stats.reset();
        backup::reset();
    }

    PDcalc engine;
    std::unique_ptr<HISTOGRAM_SAVER> stats;
};

void BM_residues_in_range(benchmark::State& state) {
    ContactScene scene(static_cast<int>(state.range(0)));
    PDcalc& engine = scene.engine;
    for (auto _ : state) engine.residues_in_range(&engine.prots[0], &engine.prots[1], scene.stats.get());
    state.counters["contacts"] = static_cast<double>(scene.stats->total_count()) / state.iterations();
}
BENCHMARK(BM_residues_in_range)->Arg(60)->Arg(250)->Arg(1000);

// The same count by the plain scan over every residue pair, for comparison.
void BM_residues_plain_scan(benchmark::State& state) {
    ContactScene scene(static_cast<int>(state.range(0)));
    for (auto _ : state)
        reference_residue_contacts(scene.engine, scene.engine.prots[0], scene.engine.prots[1], *scene.stats);
    state.counters["contacts"] = static_cast<double>(scene.stats->total_count()) / state.iterations();
}
BENCHMARK(BM_residues_plain_scan)->Arg(60)->Arg(250)->Arg(1000);

// The dock-point test of a pair within the dock distance but not in contact
// (the common case in the loop): three points, two required.
void BM_dockpoints_test(benchmark::State& state) {
    backup::reset();
    {
        RootSection root{"t", false};
        PDcalc engine;
        add_box(engine, 2e-8);
        add_species(engine, make_fixture_species({.name = "first"}));
        add_species(engine, make_fixture_species({.name = "second"}));
        add_instance(engine, 0, {0, 0, 0});
        add_instance(engine, 1, {2e-9, 0, 0});
        REACTION& r = add_reaction(engine, root, "bind", 0, 1);
        set_points(*r.section, {{3, 15, 20, 30, 15, 20, 30}, {3}, {3, 10, 25, 30, 10, 15, 30}});
        r.section->SetInt(2, "points_required");
        engine.read_points(r);
        for (auto _ : state)
            benchmark::DoNotOptimize(engine.dockpoints_test(&r, engine.prots[0], engine.prots[1], false));
    }
    backup::reset();
}
BENCHMARK(BM_dockpoints_test);

}  // namespace
