#include "surface/reduced/ReducedSurface.h"

#include <cmath>
#include <vector>

#include "surface/Console.h"

namespace velmesh {

namespace {

constexpr int kLeafSize = 10;
constexpr int kMostNeighboursOfFreeVertex = 20;

void make_free_vertex_component(RunState& run, int sphere) {
    RS_component& component = run.rs_components.emplace_back();
    component.number = run.rs_components.count() - 1;
    component.sphere_count = 1;
    RS_edge& edge = component.edges.emplace_back();
    edge.i = sphere;
    edge.j = sphere;
    edge.component_number = component.number;
    Atom& atom = run.atoms[sphere];
    atom.component = &component;
    atom.component_number = component.number;
    atom.edges.push_back(&edge);
}

}  // namespace

std::unique_ptr<BHtree> sphere_tree(const RunState& run) {
    std::vector<BHpoint> points;
    points.reserve(run.atoms.size());
    for (int i = 0; i < run.atom_count(); ++i) {
        const Atom& a = run.atoms[i];
        points.push_back(BHpoint{a.x, a.y, a.z, a.r, i});
    }
    return generateBHtree(std::move(points), kLeafSize);
}

int find_free_vertices(RunState& run, const BHtree& tree) {
    const double p = run.probe_radius;
    std::vector<int> neighbours;
    int free_spheres = 0;
    for (int i = 0; i < run.atom_count(); ++i) {
        const Atom& atom = run.atoms[i];
        const float centre[3] = {atom.x, atom.y, atom.z};
        findBHcloseAtoms(&tree, centre, static_cast<float>(2 * p + atom.r + tree.rmax), neighbours);
        int others = 0;
        bool reached = false;
        for (const int n : neighbours) {
            if (n == i) continue;
            ++others;
            const Atom& other = run.atoms[n];
            if (std::sqrt(squared_distance(atom.centre(), other.centre())) < atom.r + other.r + 2 * p) reached = true;
        }
        if (others > kMostNeighboursOfFreeVertex || reached) continue;
        ++free_spheres;
        // A collision-only sphere takes part only as an obstacle; alone it
        // bounds no surface.
        if (!atom.collision_only()) make_free_vertex_component(run, i);
    }
    return free_spheres;
}

int compute_reduced_surface(RunState& run) {
    run.rs_failed = 0;
    if (run.atoms.empty()) {
        print_err("    Sorry no molecule present\n");
        return 0;
    }
    if (run.atom_count() < 3) run.free_vertices = true;
    const std::unique_ptr<BHtree> tree = sphere_tree(run);
    int free_spheres = 0;
    if (run.all_components || run.free_vertices) free_spheres = find_free_vertices(run, *tree);
    if (free_spheres < run.atom_count()) {
        print_err("velmesh: this build computes isolated spheres only (with -free_vertices, or fewer than three spheres)\n");
        exit_run(1);
    }
    return 1;
}

}  // namespace velmesh
