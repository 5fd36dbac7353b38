#include "surface/reduced/Components.h"

#include <utility>
#include <vector>

#include "surface/Console.h"

namespace velmesh {

RS_component& new_rs_component(RunState& run) {
    RS_component& component = run.rs_components.emplace_back();
    component.number = run.rs_components.count() - 1;
    return component;
}

RS_component& rs_component_by_number(RunState& run, int number) {
    for (RS_component& component : run.rs_components)
        if (component.number == number) return component;
    print_err("RS component %d not found\n", number);
    exit_run(1);
}

namespace {

void number_records(RS_component& component, int number) {
    for (RS_face& face : component.faces) face.component_number = number;
    for (RS_edge& edge : component.edges) edge.component_number = number;
    for (RS_edge& edge : component.free_edges) edge.component_number = number;
}

}  // namespace

RS_component& merge_rs_components(RunState& run, RS_component& a, RS_component& b) {
    RS_component& absorber = a.number < b.number ? a : b;
    RS_component& absorbed = a.number < b.number ? b : a;
    const int gone = absorbed.number;

    const int first_id = absorber.faces.count();
    for (RS_face& face : absorbed.faces) face.id += first_id;
    number_records(absorbed, absorber.number);
    for (Atom& atom : run.atoms) {
        if (atom.component == &absorbed) {
            atom.component = &absorber;
            atom.component_number = absorber.number;
        } else if (atom.component_number > gone) {
            --atom.component_number;
        }
    }
    for (RS_component& later : run.rs_components) {
        if (later.number <= gone) continue;
        --later.number;
        number_records(later, later.number);
    }

    absorber.faces.splice_back(absorbed.faces);
    absorber.edges.splice_back(absorbed.edges);
    absorber.free_edges.splice_back(absorbed.free_edges);
    absorber.singular_face_count += absorbed.singular_face_count;
    absorber.face_pair_count += absorbed.face_pair_count;
    absorber.sphere_count += absorbed.sphere_count;
    absorber.to_visit |= absorbed.to_visit;
    run.rs_components.erase(absorbed);
    return absorber;
}

void count_component_spheres(RunState& run) {
    std::vector<int> seen(run.atoms.size(), -1);
    for (RS_component& component : run.rs_components) {
        int count = 0;
        const auto count_sphere = [&](int sphere) {
            if (seen[sphere] == component.number) return;
            seen[sphere] = component.number;
            ++count;
        };
        for (const OwningList<RS_edge>* list : {&component.edges, &component.free_edges})
            for (const RS_edge& edge : *list) {
                count_sphere(edge.i);
                count_sphere(edge.j);
            }
        component.sphere_count = count;
    }
}

}  // namespace velmesh
