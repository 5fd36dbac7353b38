#include "surface/reduced/FreeVertices.h"

#include <cmath>
#include <vector>

#include "surface/reduced/Components.h"
#include "surface/reduced/RSTopology.h"
#include "surface/tree/Geometry.h"

namespace velmesh {

namespace {

constexpr int kMostNeighboursOfFreeVertex = 20;

void make_free_vertex_component(RunState& run, int sphere) {
    RS_component& component = new_rs_component(run);
    component.sphere_count = 1;
    RS_edge& edge = component.edges.emplace_back();
    edge.i = sphere;
    edge.j = sphere;
    edge.component_number = component.number;
    Atom& atom = run.atoms[sphere];
    atom.component = &component;
    atom.component_number = component.number;
    add_SRE2SRV(atom, &edge);
}

}  // namespace

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
        if (!atom.collision_only()) make_free_vertex_component(run, i);
    }
    return free_spheres;
}

}  // namespace velmesh
