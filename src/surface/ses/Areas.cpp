#include "surface/ses/Areas.h"

#include <algorithm>

#include "surface/Console.h"
#include "surface/ses/FaceAreas.h"

namespace velmesh {

namespace {

bool is_lone_sphere(const SES_component& ses) {
    return ses.face_count == 1 && ses.faces.first()->type == kContactFace && ses.edges.empty();
}

// A lone sphere's areas were set with its surface; its sphere owns all of
// them.
void lone_sphere_areas(RunState& run, const SES_component& ses) {
    Atom& atom = run.atoms[ses.faces.first()->sphere];
    atom.areas.set(ses.number, ses.ses_area, ses.sas_area);
}

class ComponentAreas {
public:
    ComponentAreas(RunState& run, SES_component& ses) : run_(run), ses_(ses), p_(ses.probe_radius) {}

    void compute() {
        ses_.reentrant_area = ses_.toric_area = ses_.contact_area = ses_.sas_area = 0;
        // The contact faces read the reentrant faces' corner angles.
        for (const SES_face& face : ses_.faces)
            if (face.type == kReentrantFace) reentrant(face);
        for (const SES_face& face : ses_.faces) {
            switch (face.type) {
                case kReentrantFace:
                    break;
                case kContactFace:
                    contact(face);
                    break;
                case kToricFace:
                case kFullTorusFace:
                case kSingularTorusHalfFace:
                    toric(face);
                    break;
                default:
                    print_out("ERROR compute_SES_area: face with type %d\n", face.type);
            }
        }
        ses_.ses_area = ses_.contact_area + ses_.reentrant_area + ses_.toric_area;
    }

private:
    void add_ses(int sphere, double area) { run_.atoms[sphere].areas.add_ses(ses_.number, area); }

    void reentrant(const SES_face& face) {
        const double area = reentrant_face_area(face, p_);
        ses_.reentrant_area += area;
        const RS_face& source = *face.rs_face;
        for (int slot = 0; slot < 3; ++slot) add_ses(source.sphere(slot), area / 3);
    }

    void contact(const SES_face& face) {
        Atom& atom = run_.atoms[face.sphere];
        const double area = contact_face_area(face, atom.r);
        ses_.contact_area += area;
        add_ses(face.sphere, area);
        // The probe centres that touch the face cover the same solid angle
        // of the sphere enlarged by the probe.
        const double scale = (atom.r + p_) / atom.r;
        const double sas = scale * scale * area;
        atom.areas.add_sas(ses_.number, sas);
        ses_.sas_area += sas;
    }

    void toric(const SES_face& face) {
        // A negative area can only come of rounding on a degenerate torus;
        // it counts as none, for the component and for its spheres alike.
        const double area = std::max(0.0, toric_face_area(face, p_));
        ses_.toric_area += area;
        add_ses(face.rs_edge->i, area / 2);
        add_ses(face.rs_edge->j, area / 2);
    }

    RunState& run_;
    SES_component& ses_;
    const double p_;
};

}  // namespace

void compute_SES_area(RunState& run) {
    if (run.ses_components.empty()) return;
    for (Atom& atom : run.atoms) atom.areas.clear();
    for (SES_component& ses : run.ses_components) {
        if (is_lone_sphere(ses))
            lone_sphere_areas(run, ses);
        else
            ComponentAreas(run, ses).compute();
    }
}

}  // namespace velmesh
