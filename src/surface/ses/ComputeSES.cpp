#include "surface/ses/ComputeSES.h"

#include <stdexcept>

namespace velmesh {

namespace {

// A lone sphere is one contact face without edges; its measures are known in
// closed form.
void lone_sphere_surface(RunState& run, const RS_component& component, SES_component& ses) {
    const int sphere = component.edges.first()->i;
    Atom& atom = run.atoms[sphere];
    SES_face& face = ses.faces.emplace_back();
    face.type = kContactFace;
    face.sphere = sphere;
    face.id = ses.face_count++;
    ++ses.faces_of_type[kContactFace];
    atom.contact_faces.push_back(&face);

    const double r = atom.r;
    const double p = ses.probe_radius;
    const double area = kFourPi * r * r;
    ses.contact_area = area;
    ses.ses_area = area;
    ses.numerical_ses_area = area;
    ses.ses_volume = ses.numerical_ses_volume = r * area / 3;
    const double sas = kFourPi * (r + p) * (r + p);
    ses.sas_area = ses.numerical_sas_area = sas;
    ses.sas_volume = ses.numerical_sas_volume = (r + p) * sas / 3;
}

}  // namespace

bool is_free_vertex(const RS_component& component) {
    return component.edges.count() == 1 && component.faces.empty() && component.free_edges.empty() &&
           component.sphere_count == 1 && component.edges.first()->i == component.edges.first()->j;
}

int compute_SES(RunState& run, RS_component& component, float probe_radius) {
    SES_component& ses = run.ses_components.emplace_back();
    ses.number = run.ses_components.count() - 1;
    ses.probe_radius = probe_radius;
    component.ses_component = &ses;
    if (is_free_vertex(component)) {
        lone_sphere_surface(run, component, ses);
        return 0;
    }
    throw std::logic_error("compute_SES: this build handles lone spheres only");
}

}  // namespace velmesh
