#include "surface/ses/ComputeSES.h"

#include <algorithm>
#include <numeric>
#include <unordered_map>
#include <vector>

#include "surface/ses/ContactFaces.h"
#include "surface/ses/EdgeOrdering.h"
#include "surface/ses/FaceWalk.h"
#include "surface/ses/FullTori.h"
#include "surface/ses/SESContext.h"
#include "surface/ses/SelfIntersections.h"
#include "surface/tree/Geometry.h"

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

// The connected pieces of the surface, faces joined through their edges. A
// free torus whose sphere has no other edge closes a piece of its own, and
// the cuts where probe spheres overlap can seal off a pocket of the surface
// from the rest.
int count_shells(const SES_component& ses) {
    std::unordered_map<const SES_face*, int> index;
    index.reserve(static_cast<std::size_t>(ses.face_count));
    for (const SES_face& face : ses.faces) index.emplace(&face, static_cast<int>(index.size()));
    std::vector<int> parent(index.size());
    std::iota(parent.begin(), parent.end(), 0);
    const auto root = [&](int x) {
        while (parent[x] != x) x = parent[x] = parent[parent[x]];
        return x;
    };
    int shells = static_cast<int>(parent.size());
    for (const SES_edge& edge : ses.edges) {
        if (edge.first_face == nullptr || edge.second_face == nullptr) continue;
        const int a = root(index.at(edge.first_face)), b = root(index.at(edge.second_face));
        if (a == b) continue;
        parent[std::max(a, b)] = std::min(a, b);
        --shells;
    }
    return std::max(shells, 1);
}

// shells - (V + F - (E + holes + extra contact cycles)) / 2: the faces with
// more than one boundary cycle count as the disks they are not.
void set_analytical_genus(SES_component& ses) {
    ses.analytical_genus = genus(ses.shells, ses.vertices.count(),
                                 ses.edges.count() + ses.holes + ses.contact_cycle_adjustment, ses.face_count);
}

int build_surface(SESContext& context, RS_component& component, bool cut_overlaps) {
    const RunState& run = context.run;
    int problems = 0;
    if (!component.faces.empty()) {
        walk_reduced_faces(context, component);
        problems += ordonne_aretes(context.ses, context.p);
    }
    if (!component.free_edges.empty()) build_full_tori(context, component);
    if (run.triangulation_wanted() || run.analytical_ses_wanted()) problems += find_SES_contact_faces(context);
    if (cut_overlaps) problems += remove_self_intersections(context, component);
    return problems;
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
    SESContext context{run, ses, probe_radius};
    const bool cut_overlaps = run.self_intersections && !component.faces.empty();
    const int problems = build_surface(context, component, cut_overlaps);
    ses.shells = count_shells(ses);
    set_analytical_genus(ses);
    return problems;
}

}  // namespace velmesh
