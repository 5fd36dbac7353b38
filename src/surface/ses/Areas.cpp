#include "surface/ses/Areas.h"

#include <stdexcept>

namespace velmesh {

void compute_SES_area(RunState& run) {
    if (run.ses_components.empty()) return;
    const int components = run.ses_components.count();
    for (Atom& atom : run.atoms) {
        atom.ses_areas.assign(components, 0.0);
        atom.sas_areas.assign(components, 0.0);
    }
    for (SES_component& ses : run.ses_components) {
        if (ses.face_count == 1 && ses.faces.first()->type == kContactFace && ses.edges.empty()) {
            // A lone sphere's areas were set with its surface; its sphere owns
            // all of them.
            Atom& atom = run.atoms[ses.faces.first()->sphere];
            atom.ses_areas[ses.number] = ses.ses_area;
            atom.sas_areas[ses.number] = ses.sas_area;
            continue;
        }
        throw std::logic_error("compute_SES_area: faces other than a lone sphere are not handled by this build");
    }
}

}  // namespace velmesh
