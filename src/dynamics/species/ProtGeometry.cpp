// The shape step of a species for the collision stages the engine is set to.
#include "dynamics/PDcalc.h"
#include "dynamics/species/ShapeSteps.h"

void PDcalc::prot_geometry(PROT_CLASS& species) {
    ShapeStages stages;
    stages.spheres = collision_stage1 == &PDcalc::collision3D_spheres;
    stages.surface = collision_stage1 == &PDcalc::collision3D_surface;
    stages.atoms = collision_stage2 != nullptr;
    build_shapes(*this, species, stages);
}
