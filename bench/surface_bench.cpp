// Speed of velmesh's heavy parts: building the bucket tree and searching it
// at the density of a protein's atoms, building sphere templates, computing
// the volume of a large mesh and writing its files, and the reduced surface;
// and of whole runs of the program (a protein, eight copies of it with
// -all_components).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

#include "surface/Console.h"
#include "surface/Run.h"
#include "surface/RunState.h"
#include "surface/reduced/ReducedSurface.h"
#include "surface/ses/Areas.h"
#include "surface/ses/ComputeSES.h"
#include "surface/support/SphereSets.h"
#include "surface/output/SurfaceFiles.h"
#include "surface/tree/BHtree.h"
#include "surface/triangulation/SphereTemplate.h"
#include "surface/input/RadiusClasses.h"
#include "surface/triangulation/Triangulate.h"
#include "surface/triangulation/Volume.h"

namespace {

// Atoms at about one per 11 cubic angstrom, as in a protein.
std::vector<velmesh::BHpoint> protein_like_cloud(int count) {
    std::mt19937 rng(12345);
    const float side = std::cbrt(11.0f * count);
    std::uniform_real_distribution<float> coordinate(0, side);
    std::uniform_real_distribution<float> radius(1.2f, 2.0f);
    std::vector<velmesh::BHpoint> points;
    points.reserve(count);
    for (int i = 0; i < count; ++i) points.push_back({coordinate(rng), coordinate(rng), coordinate(rng), radius(rng), i});
    return points;
}

void BM_generateBHtree(benchmark::State& state) {
    const auto points = protein_like_cloud(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto tree = velmesh::generateBHtree(points, 10);
        benchmark::DoNotOptimize(tree.get());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_generateBHtree)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// One search per atom within r + 2 probe + rmax, as the reduced surface does.
void BM_findBHcloseAtoms(benchmark::State& state) {
    const auto points = protein_like_cloud(static_cast<int>(state.range(0)));
    const auto tree = velmesh::generateBHtree(points, 10);
    std::vector<int> found;
    std::size_t total = 0;
    for (auto _ : state) {
        for (const velmesh::BHpoint& p : points) {
            const float q[3] = {p.x, p.y, p.z};
            total += velmesh::findBHcloseAtoms(tree.get(), q, p.r + 3.0f + tree->rmax, found);
        }
    }
    benchmark::DoNotOptimize(total);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_findBHcloseAtoms)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Templates of a 1.8 sphere at density 1, 3 and 10, and of a large probe.
void BM_mesh_template(benchmark::State& state) {
    const float radius = static_cast<float>(state.range(0)) / 10;
    const float density = static_cast<float>(state.range(1));
    int points = 0;
    for (auto _ : state) {
        velmesh::SphereTemplate t;
        t.radius = radius;
        velmesh::mesh_template(density, t);
        points = t.point_count();
        benchmark::DoNotOptimize(t.triangles.data());
    }
    state.counters["points"] = points;
    state.SetItemsProcessed(state.iterations() * points);
}
BENCHMARK(BM_mesh_template)->Args({18, 1})->Args({18, 3})->Args({18, 10})->Args({100, 10})->Unit(benchmark::kMicrosecond);

// A run holding the mesh of a large lone sphere (about 250000 triangles).
struct LargeMesh {
    velmesh::RunState run;
    velmesh::SES_component component;

    LargeMesh() {
        run.atoms.resize(1);
        run.atoms[0].name = "CA";
        run.atoms[0].r = 20;
        run.templates.resize(1);
        run.templates[0].radius = 20;
        velmesh::mesh_template(25.0f, run.templates[0]);
        run.triangulation.allocate();
        for (const auto& t : run.templates[0].triangles)
            run.triangulation.add_face(t.points[0], t.points[1], t.points[2], 0, velmesh::FaceKind::contact);
        for (const auto& p : run.templates[0].points) {
            const auto& d = p.direction;
            run.triangulation.add_vertex({20 * d.x, 20 * d.y, 20 * d.z}, {d.x, d.y, d.z}, 0, 1);
        }
    }
};

void BM_compute_volume(benchmark::State& state) {
    LargeMesh mesh;
    double volume = 0, area = 0;
    for (auto _ : state) {
        velmesh::compute_volume(mesh.run.triangulation, volume, area);
        benchmark::DoNotOptimize(volume);
    }
    state.SetItemsProcessed(state.iterations() * mesh.run.triangulation.face_count());
}
BENCHMARK(BM_compute_volume)->Unit(benchmark::kMillisecond);

void BM_write_surface_files(benchmark::State& state) {
    LargeMesh mesh;
    const std::string base = (std::filesystem::temp_directory_path() / "velmesh_bench").string();
    for (auto _ : state) velmesh::write_surface_files(mesh.run, base, mesh.component, false);
    std::remove((base + ".vert").c_str());
    std::remove((base + ".face").c_str());
    state.SetItemsProcessed(state.iterations() * (mesh.run.triangulation.face_count() + mesh.run.triangulation.vertex_count()));
}
BENCHMARK(BM_write_surface_files)->Unit(benchmark::kMillisecond);

// The reduced surface of one set of spheres at probe 1.5, from the spheres
// alone; with -all_components when the second argument is 1.
void reduced_surface(benchmark::State& state, const std::vector<surface_testing::TestSphere>& spheres) {
    int faces = 0;
    for (auto _ : state) {
        velmesh::RunState run = surface_testing::run_of(spheres, 1.5);
        run.all_components = state.range(1) != 0;
        if (velmesh::compute_reduced_surface(run) != 1) state.SkipWithError("reduced surface failed");
        faces = 0;
        for (const auto& component : run.rs_components) faces += component.faces.count();
        benchmark::DoNotOptimize(faces);
    }
    state.counters["faces"] = faces;
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(spheres.size()));
}

// Random clusters at the density of a protein's heavy atoms.
void BM_reduced_surface_cluster(benchmark::State& state) {
    reduced_surface(state, surface_testing::random_cluster(static_cast<int>(state.range(0)), 17));
}
BENCHMARK(BM_reduced_surface_cluster)
    ->Args({1000, 0})
    ->Args({5000, 0})
    ->Args({5000, 1})
    ->Unit(benchmark::kMillisecond);

// Heat-labile enterotoxin IIb, 5469 heavy atoms.
void BM_reduced_surface_protein(benchmark::State& state) {
    static const auto spheres = surface_testing::read_spheres(std::string(ZELMAR_FIXTURES) + "/spheres/1tii.xyz");
    reduced_surface(state, spheres);
}
BENCHMARK(BM_reduced_surface_protein)->Args({0, 0})->Args({0, 1})->Unit(benchmark::kMillisecond);

// The analytical surface and its areas over a reduced surface built once:
// contact faces, every component's faces and the areas per sphere, as
// -surface ases computes them at probe 1.5; with -all_components when the
// second argument is 1.
void analytical_surface(benchmark::State& state, const std::vector<surface_testing::TestSphere>& spheres,
                        double probe = 1.5, bool all_components_arg = true) {
    velmesh::RunState run = surface_testing::run_of(spheres, probe);
    run.all_components = all_components_arg && state.range(1) != 0;
    if (!all_components_arg) run.self_intersections = state.range(1) != 0;
    run.want_analytical_ses = {true, true, true};
    if (velmesh::compute_reduced_surface(run) != 1) state.SkipWithError("reduced surface failed");
    int faces = 0;
    for (auto _ : state) {
        velmesh::release_ses(run);
        int problems = 0;
        for (auto& component : run.rs_components) problems += velmesh::compute_SES(run, component, run.probe_radius);
        velmesh::compute_SES_area(run);
        if (problems != 0) state.SkipWithError("faces with problems");
        faces = 0;
        for (const auto& ses : run.ses_components) faces += ses.face_count;
        benchmark::DoNotOptimize(run.ses_components.first()->ses_area);
    }
    state.counters["faces"] = faces;
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(spheres.size()));
}

// Random clusters of growing size: the time per sphere stays flat.
void BM_analytical_surface_cluster(benchmark::State& state) {
    analytical_surface(state, surface_testing::random_cluster(static_cast<int>(state.range(0)), 17));
}
BENCHMARK(BM_analytical_surface_cluster)
    ->Args({1000, 0})
    ->Args({5000, 0})
    ->Args({20000, 0})
    ->Args({80000, 0})
    ->Unit(benchmark::kMillisecond);

// Heat-labile enterotoxin IIb, 5469 heavy atoms.
void BM_analytical_surface_protein(benchmark::State& state) {
    static const auto spheres = surface_testing::read_spheres(std::string(ZELMAR_FIXTURES) + "/spheres/1tii.xyz");
    analytical_surface(state, spheres);
}
BENCHMARK(BM_analytical_surface_protein)->Args({0, 0})->Args({0, 1})->Unit(benchmark::kMillisecond);

// The same at probe 3, where neighbouring probe spheres overlap widely,
// without (second argument 0) and with the removal of the self-intersections:
// the difference is the cost of the cuts, per sphere flat in the size.
void BM_self_intersections_cluster(benchmark::State& state) {
    analytical_surface(state, surface_testing::random_cluster(static_cast<int>(state.range(0)), 17), 3.0, false);
}
BENCHMARK(BM_self_intersections_cluster)
    ->Args({1000, 0})
    ->Args({1000, 1})
    ->Args({5000, 0})
    ->Args({5000, 1})
    ->Args({20000, 0})
    ->Args({20000, 1})
    ->Unit(benchmark::kMillisecond);

// The same for the protein (5469 spheres) at probes 1.5 and 3 (first
// argument in tenths), without and with the removal.
void BM_self_intersections_protein(benchmark::State& state) {
    static const auto spheres = surface_testing::read_spheres(std::string(ZELMAR_FIXTURES) + "/spheres/1tii.xyz");
    analytical_surface(state, spheres, static_cast<double>(state.range(0)) / 10, false);
}
BENCHMARK(BM_self_intersections_protein)
    ->Args({15, 0})
    ->Args({15, 1})
    ->Args({30, 0})
    ->Args({30, 1})
    ->Unit(benchmark::kMillisecond);
// The triangulated surface as a default run computes it after the reduced
// surface: the analytical surface of every component, its triangulation at
// the density (first argument) and the numerical volume, every component
// (cavities too); the counter
// `triangles` is the mesh's size.
void triangulated_surface(benchmark::State& state, const std::vector<surface_testing::TestSphere>& spheres) {
    velmesh::RunState run = surface_testing::run_of(spheres, 1.5);
    run.density = static_cast<float>(state.range(0));
    run.sqrt_density = std::sqrt(run.density);
    run.hdensity = 3;
    run.sqrt_hdensity = std::sqrt(3.0f);
    run.want_triangulation = {true, true, true};
    run.all_components = true;
    velmesh::reset_radius_classes(run);
    for (auto& atom : run.atoms) atom.radius_class = static_cast<short>(velmesh::radius_class_of(run, atom.r));
    velmesh::build_templates(run);
    if (velmesh::compute_reduced_surface(run) != 1) state.SkipWithError("reduced surface failed");
    long triangles = 0;
    for (auto _ : state) {
        velmesh::release_per_sphere_data(run);
        velmesh::release_ses(run);
        for (auto& component : run.rs_components) velmesh::compute_SES(run, component, run.probe_radius);
        triangles = 0;
        for (auto& ses : run.ses_components) {
            velmesh::triangulate_component(run, ses);
            triangles += run.triangulation.face_count();
            velmesh::compute_volume(run.triangulation, ses.numerical_ses_volume, ses.numerical_ses_area);
            run.triangulation.release();
        }
    }
    state.counters["triangles"] = static_cast<double>(triangles);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(spheres.size()));
}

std::vector<surface_testing::TestSphere> fixture_spheres(const std::string& name) {
    return surface_testing::read_spheres(std::string(ZELMAR_FIXTURES) + "/spheres/" + name);
}

// HIV-1 protease (1551 atoms) and heat-labile enterotoxin IIb (5469).
void BM_triangulated_surface_1hpv(benchmark::State& state) {
    static const auto spheres = fixture_spheres("1hpv.xyz");
    triangulated_surface(state, spheres);
}
void BM_triangulated_surface_1tii(benchmark::State& state) {
    static const auto spheres = fixture_spheres("1tii.xyz");
    triangulated_surface(state, spheres);
}
// Four copies of 1tii, 100 apart: 21876 atoms.
void BM_triangulated_surface_4x1tii(benchmark::State& state) {
    static const auto spheres = [] {
        const auto one = fixture_spheres("1tii.xyz");
        std::vector<surface_testing::TestSphere> four;
        for (int copy = 0; copy < 4; ++copy)
            for (auto s : one) {
                s.x += 100 * copy;
                four.push_back(s);
            }
        return four;
    }();
    triangulated_surface(state, spheres);
}
BENCHMARK(BM_triangulated_surface_1hpv)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_triangulated_surface_1tii)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_triangulated_surface_4x1tii)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond);

// The whole program as a user runs it, sphere file in and surface files out
// (in a folder of its own under the system's temporary folder), its report
// thrown away. The counter `peak_MB` is the process's largest resident size
// so far: run one benchmark alone to read it for that one.
void program(benchmark::State& state, const std::vector<surface_testing::TestSphere>& spheres,
             std::vector<std::string> options) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("velmesh_bench_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string input = (folder / "spheres.xyz").string();
    if (std::FILE* f = std::fopen(input.c_str(), "w")) {
        const std::string text = surface_testing::sphere_file(spheres);
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    std::vector<std::string> args = {"-if", input, "-of", (folder / "m").string()};
    args.insert(args.end(), options.begin(), options.end());
    std::FILE* sink = std::fopen("/dev/null", "w");
    for (auto _ : state) {
        velmesh::ConsoleRedirect quiet(sink, sink);
        if (velmesh::run_velmesh(args) != 0) state.SkipWithError("the run failed");
    }
    std::fclose(sink);
    std::filesystem::remove_all(folder);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024;
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(spheres.size()));
}

// Copies of a molecule side by side along x, `gap` apart.
std::vector<surface_testing::TestSphere> copies(const std::vector<surface_testing::TestSphere>& one, int count,
                                                double gap) {
    double low = one.front().x, high = low;
    for (const auto& s : one) low = std::min(low, s.x), high = std::max(high, s.x);
    std::vector<surface_testing::TestSphere> all;
    for (int copy = 0; copy < count; ++copy)
        for (auto s : one) {
            s.x += copy * (high - low + gap);
            all.push_back(s);
        }
    return all;
}

// 1tii (5469 atoms) at density 1 and probe 1.5: the outer surface alone,
// and with -all_components (its cavities too).
void BM_program_1tii(benchmark::State& state) {
    static const auto spheres = fixture_spheres("1tii.xyz");
    std::vector<std::string> options = {"-probe_radius", "1.5"};
    if (state.range(0) != 0) options.push_back("-all_components");
    program(state, spheres, options);
}
BENCHMARK(BM_program_1tii)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The same at probe 3, where -all_components finds nothing more: what it
// costs to make sure of that.
void BM_program_1tii_probe3(benchmark::State& state) {
    static const auto spheres = fixture_spheres("1tii.xyz");
    std::vector<std::string> options = {"-probe_radius", "3"};
    if (state.range(0) != 0) options.push_back("-all_components");
    program(state, spheres, options);
}
BENCHMARK(BM_program_1tii_probe3)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Eight copies of 1tii 12 apart (43752 atoms) with -all_components at
// density 1 and probe 1.5: every copy and every cavity, written out.
void BM_program_8x1tii_all_components(benchmark::State& state) {
    static const auto spheres = copies(fixture_spheres("1tii.xyz"), 8, 12);
    program(state, spheres, {"-probe_radius", "1.5", "-all_components"});
}
BENCHMARK(BM_program_8x1tii_all_components)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
