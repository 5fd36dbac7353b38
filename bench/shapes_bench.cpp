#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "dynamics/PDcalc.h"
#include "dynamics/species/PrincipalAxes.h"
#include "dynamics/support/BruteForceSpheres.h"
#include "dynamics/support/ShapeFixtures.h"
#include "support/TempDir.h"
#include "utils/Log.h"
#include "utils/backup/backup.h"
#include "utils/config/RootSection.h"

namespace {

// The set-up's messages go nowhere.
void quiet_log() {
    SLogParams params{};
    params.no_console = true;
    CLog::StartLogging(&params, nullptr);
}

using namespace dynamics_testing;

const char* const structures[] = {"pept.pdb", "1hpv.pdb", "1tii.pdb"};

// The covering spheres of a structure (107, 1631 and 5684 atoms) on the grid
// the set-up chooses by default: 2 Å cells, 100 Å around the atoms.
void BM_spheres_gen(benchmark::State& state) {
    quiet_log();
    const std::vector<ATOM> atoms = structure_atoms(structures[state.range(0)]);
    const double h = 2e-10;
    PDcalc engine;
    engine.h = h;
    for (const ATOM& a : atoms) engine.max_atom_r = std::max(engine.max_atom_r, a.r);
    PROT_CLASS species = shape_species(atoms, grid_size(atoms, h, 100e-10), h);
    for (auto _ : state) {
        engine.spheres_gen(species);
        benchmark::DoNotOptimize(species.spheres.data());
    }
    state.SetLabel(std::string(structures[state.range(0)]) + ", " + std::to_string(species.pot_n) + " cells, " +
                   std::to_string(species.spheres_n) + " spheres");
}
BENCHMARK(BM_spheres_gen)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// The same generation by scans of every cell against every cell, on the
// peptide's grid: what the stages above are checked against.
void BM_spheres_gen_plainly(benchmark::State& state) {
    const std::vector<ATOM> atoms = structure_atoms(structures[state.range(0)]);
    const double h = 2e-10;
    const PROT_CLASS species = shape_species(atoms, grid_size(atoms, h, 100e-10), h);
    const int n = species.pot_n;
    for (auto _ : state) {
        int protein = 0;
        const std::vector<double> reach = brute_force::candidates(species.eps, n, 0.0, atoms, h, protein);
        std::vector<SPHERE> spheres = brute_force::select(reach, brute_force::weights(reach, n), species.eps, n, h);
        brute_force::fit(spheres, atoms, h);
        benchmark::DoNotOptimize(spheres.data());
    }
    state.SetLabel(structures[state.range(0)]);
}
BENCHMARK(BM_spheres_gen_plainly)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(1);

// The search for the principal axes, and the same search summing every
// direction of its grid atom by atom.
void BM_search_axes(benchmark::State& state) {
    const std::vector<ATOM> atoms = structure_atoms(structures[state.range(0)]);
    double mass = 0;
    for (const ATOM& a : atoms) mass += a.mass;
    for (auto _ : state) benchmark::DoNotOptimize(principal_axes::search_axes(atoms, mass));
    state.SetLabel(structures[state.range(0)]);
}
BENCHMARK(BM_search_axes)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

void BM_search_axes_plainly(benchmark::State& state) {
    const std::vector<ATOM> atoms = structure_atoms(structures[state.range(0)]);
    double mass = 0;
    for (const ATOM& a : atoms) mass += a.mass;
    for (auto _ : state) benchmark::DoNotOptimize(principal_axes::search_axes_plainly(atoms, mass));
    state.SetLabel(structures[state.range(0)]);
}
BENCHMARK(BM_search_axes_plainly)->Arg(1)->Unit(benchmark::kMillisecond);

// The whole set-up of a species from its structure file, with nothing
// cached: structure, principal axes, permittivity and potential grids (500
// sweeps), covering spheres and surface, on the default grid (2 Å cells,
// 100 Å around the atoms).
void BM_init_prot(benchmark::State& state) {
    quiet_log();
    const std::string structure = structures[state.range(0)];
    testing_support::TempDir dir;
    const std::string folder = dir.path().string() + "/";
    int cells = 0;
    for (auto _ : state) {
        backup::reset();
        PDcalc engine;
        auto root = std::make_unique<RootSection>("run", false);
        Section* section = root->CreateSection("Species.protein");
        section->SetString((std::string(ZELMAR_FIXTURES) + "/proteins/" + structure).c_str(), "pdb");
        section->SetString("box", "compartment");
        engine.config = std::move(root);
        engine.in_folder = "";
        engine.out_folder = engine.runtime_folder = folder;
        engine.collision_stage1 = &PDcalc::collision3D_spheres;
        engine.model.compartment_index = {{"box", 0}};
        PROT_CLASS species;
        engine.init_prot(species, section);
        cells = species.pot_n;
        benchmark::DoNotOptimize(species.spheres.data());
    }
    backup::reset();
    state.SetLabel(structure + ", " + std::to_string(cells) + " cells");
}
BENCHMARK(BM_init_prot)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
