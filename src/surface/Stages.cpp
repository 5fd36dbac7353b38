#include "surface/Stages.h"

#include "surface/reduced/ReducedSurface.h"
#include "surface/ses/Areas.h"
#include "surface/ses/ComputeSES.h"
#include "surface/triangulation/Triangulate.h"

namespace velmesh {

int VelmeshStages::reduced_surface(RunState& run) {
    return compute_reduced_surface(run);
}

int VelmeshStages::solvent_excluded_surface(RunState& run, RS_component& component) {
    return compute_SES(run, component, run.probe_radius);
}

void VelmeshStages::analytical_areas(RunState& run) {
    compute_SES_area(run);
}

int VelmeshStages::triangulate(RunState& run, SES_component& component) {
    return triangulate_component(run, component);
}

}  // namespace velmesh
