#include "surface/input/RadiusClasses.h"

#include <algorithm>
#include <numbers>

namespace velmesh {

void reset_radius_classes(RunState& run) {
    run.templates.clear();
    run.htemplates.clear();
    run.max_template_vertices = 0;
    radius_class_of(run, run.probe_radius);
}

int radius_class_of(RunState& run, float radius) {
    for (int c = 0; c < run.radius_class_count(); ++c)
        if (run.templates[c].radius == radius) return c;
    if (run.radius_class_count() >= kMaxRadiusClasses) return -1;
    SphereTemplate t;
    t.radius = radius;
    run.templates.push_back(t);
    run.htemplates.push_back(t);
    return run.radius_class_count() - 1;
}

void build_templates(RunState& run) {
    run.max_template_vertices = 0;
    for (int c = 0; c < run.radius_class_count(); ++c) {
        mesh_template(run.density, run.templates[c]);
        mesh_template(run.hdensity, run.htemplates[c]);
        run.max_template_vertices =
            std::max({run.max_template_vertices, run.templates[c].point_count(), run.htemplates[c].point_count()});
    }
    run.circle_points = static_cast<int>(2 * std::numbers::pi * run.sqrt_density);
    run.hcircle_points = static_cast<int>(2 * std::numbers::pi * run.sqrt_hdensity);
    run.dots.assign(run.max_template_vertices, DotRecord{});
}

}  // namespace velmesh
