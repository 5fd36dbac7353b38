#include "surface/RunState.h"

namespace velmesh {

void release_per_sphere_data(RunState& run) {
    for (Atom& atom : run.atoms) {
        atom.contact_faces.clear();
        atom.areas.clear();
    }
}

void release_reduced_surface(RunState& run) {
    run.rs_components.clear();
}

void release_ses(RunState& run) {
    for (RS_component& component : run.rs_components) component.ses_component = nullptr;
    for (Atom& atom : run.atoms) atom.contact_faces.clear();
    run.ses_components.clear();
}

void reset_spheres(RunState& run) {
    for (Atom& atom : run.atoms) {
        atom.edges.clear();
        atom.edges.shrink_to_fit();
        atom.component = nullptr;
        atom.component_number = kNoComponent;
        atom.free_edge_mark = 0;
        atom.no_rs_edge = 0;
    }
}

}  // namespace velmesh
