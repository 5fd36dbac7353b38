#include "surface/Restart.h"

#include "surface/Console.h"

namespace velmesh {

namespace {

void mark_sphere(RunState& run, int sphere) {
    if (sphere >= 0 && sphere < run.atom_count()) run.atoms[sphere].mark = 1;
}

// The spheres a face stands on: the three of its reduced-surface face, the
// two of its reduced-surface edge, or its own sphere.
void mark_spheres_of(RunState& run, const SES_face& face) {
    if (face.rs_face != nullptr) {
        mark_sphere(run, face.rs_face->i);
        mark_sphere(run, face.rs_face->j);
        mark_sphere(run, face.rs_face->k);
    } else if (face.rs_edge != nullptr) {
        mark_sphere(run, face.rs_edge->i);
        mark_sphere(run, face.rs_edge->j);
    } else {
        mark_sphere(run, face.sphere);
    }
}

}  // namespace

void enlarge_marked_radii(RunState& run) {
    for (const SES_component& component : run.ses_components)
        for (const SES_face& face : component.faces)
            if (face.bad != 0) mark_spheres_of(run, face);
    for (int i = 0; i < run.atom_count(); ++i) {
        Atom& atom = run.atoms[i];
        if (atom.mark == 0) continue;
        const float before = atom.r;
        atom.r += kRadiusGrowth;
        atom.mark = 0;
        print_out("radius of atom %d goes from %f to %f\n", i, before, atom.r);
    }
}

void release_for_restart(RunState& run) {
    release_per_sphere_data(run);
    run.triangulation.release();
    release_ses(run);
    release_reduced_surface(run);
    reset_spheres(run);
}

}  // namespace velmesh
