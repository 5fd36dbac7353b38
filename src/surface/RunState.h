#pragma once
// All state of one velmesh run: the options, the spheres with their radius
// classes and templates, the reduced and solvent-excluded surfaces, and the
// triangulation tables. The program makes one and hands it to every stage.
#include <array>
#include <cfloat>
#include <cstdint>
#include <string>
#include <vector>

#include "surface/List.h"
#include "surface/input/Atom.h"
#include "surface/reduced/RSRecords.h"
#include "surface/ses/SESRecords.h"
#include "surface/triangulation/SphereTemplate.h"
#include "surface/triangulation/TriangulationTables.h"

namespace velmesh {

// Scratch record of the face triangulation, one per template point.
struct DotRecord {
    std::array<float, 3> point;
    std::array<float, 3> normal;
    int sphere;
    int vertex;
    std::uint8_t flags;
};
static_assert(sizeof(DotRecord) == 36);

inline constexpr float kDefaultProbeRadius = 1.5f;
inline constexpr float kDefaultDensity = 1.0f;
inline constexpr float kDefaultHighDensity = 3.0f;

struct RunState {
    int channel = -1;  // the console; the only channel this program uses
    bool do_area = true;
    short max_attempts = 5;
    short attempt = 1;
    bool self_intersections = true;
    bool restart_on_triangulation = true;
    bool restart = true;
    float epsilon = 0.0001f;
    int sphere_count = 0;          // spheres read with a non-zero flag
    int collision_only_count = 0;  // and with flag 0
    bool all_components = false;
    bool free_vertices = false;
    bool one_cavity = false;
    int one_cavity_count = 0;
    std::vector<int> one_cavity_atoms;  // 0-based sphere indices
    // want_triangulation: [0] reentrant faces, [1] contact faces, [2] toric faces.
    std::array<bool, 3> want_analytical_ses{};
    std::array<bool, 3> want_triangulation{};
    bool noh = false;
    bool surface_given = false;
    bool no_header = false;
    float density = 0, sqrt_density = 0;
    float hdensity = 0, sqrt_hdensity = 0;
    float probe_radius = 0, inv_probe_radius = 0;

    std::vector<Atom> atoms;
    float max_radius = FLT_MIN;
    float min_radius = FLT_MAX;

    // Radius classes: class 0 is the probe radius; each class has a template
    // at density and one at hdensity.
    std::vector<SphereTemplate> templates;
    std::vector<SphereTemplate> htemplates;
    int max_template_vertices = 0;
    int circle_points = 0;   // trunc(2 pi sqrt_density)
    int hcircle_points = 0;  // trunc(2 pi sqrt_hdensity)
    std::vector<DotRecord> dots;

    OwningList<RS_component> rs_components;
    int rs_failed = 0;
    OwningList<SES_component> ses_components;
    TriangulationTables triangulation;

    std::string area_file;
    bool area_file_given = false;
    std::string input_path;
    bool input_given = false;
    std::string input_name;
    std::string output_base;
    bool output_given = false;
    std::string host_label = "Local PC";

    int atom_count() const { return static_cast<int>(atoms.size()); }
    int radius_class_count() const { return static_cast<int>(templates.size()); }
    bool triangulation_wanted() const {
        return want_triangulation[0] || want_triangulation[1] || want_triangulation[2];
    }
    bool analytical_ses_wanted() const {
        return want_analytical_ses[0] || want_analytical_ses[1] || want_analytical_ses[2];
    }
    // The template of a sphere: the high-density one when its sixth column is 1.
    const SphereTemplate& template_of(const Atom& atom) const {
        return atom.sixth_column == 1 ? htemplates[atom.radius_class] : templates[atom.radius_class];
    }
};

// Before a stage runs again: frees the spheres' contact faces and areas.
void release_per_sphere_data(RunState& run);
// Frees the reduced surface.
void release_reduced_surface(RunState& run);
// Frees the solvent-excluded surface.
void release_ses(RunState& run);
// Gives every sphere an empty edge list and no component.
void reset_spheres(RunState& run);

}  // namespace velmesh
