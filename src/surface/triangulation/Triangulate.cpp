#include "surface/triangulation/Triangulate.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "surface/Console.h"
#include "surface/Restart.h"
#include "surface/tree/Geometry.h"
#include "surface/triangulation/ArcSampling.h"
#include "surface/triangulation/MeshCleanup.h"
#include "surface/triangulation/MeshGenus.h"
#include "surface/triangulation/SphericalFaces.h"
#include "surface/triangulation/ToricGrid.h"

namespace velmesh {

namespace {

bool is_lone_sphere(const SES_component& component) {
    return component.face_count == 1 && component.faces.first()->type == kContactFace && component.edges.empty();
}

// A lone sphere is its template scaled to the sphere: triangles as contact
// faces with face number 0, points with face number 1.
void triangulate_lone_sphere(RunState& run, const SES_face& face) {
    TriangulationTables& tables = run.triangulation;
    const Atom& atom = run.atoms[face.sphere];
    const SphereTemplate& sphere_template = run.template_of(atom);
    const int offset = tables.next_vertex;
    for (const TemplateTriangle& t : sphere_template.triangles)
        tables.add_face(offset + t.points[0], offset + t.points[1], offset + t.points[2], face.id,
                        FaceKind::contact);
    for (const TemplatePoint& p : sphere_template.points) {
        const Vec3f& d = p.direction;
        tables.add_vertex({atom.x + atom.r * d.x, atom.y + atom.r * d.y, atom.z + atom.r * d.z}, {d.x, d.y, d.z},
                          face.sphere, face.id + 1);
    }
    tables.next_vertex += sphere_template.point_count();
}

// The SES vertices open the table, each at its own id.
void copy_ses_vertices(RunState& run, const SES_component& component) {
    int index = 0;
    for (const SES_vertex& v : component.vertices) {
        if (v.id != index++)
            throw std::logic_error("triangulate_component: vertex ids of component " +
                                   std::to_string(component.number) + " are not dense");
        run.triangulation.add_vertex({v.position.x, v.position.y, v.position.z},
                                     {v.normals[0], v.normals[1], v.normals[2]}, v.sphere, 0);
    }
}

int triangulate_faces_of_type(RunState& run, SES_component& component, short type) {
    int failed = 0;
    for (SES_face& face : component.faces)
        if (face.type == type && !triangulate_spherical_face(run, face)) ++failed;
    return failed;
}

MeshCounts check_genus_quietly(const RunState& run) { return count_mesh(run.triangulation); }

MeshCounts check_genus(RunState& run, SES_component& component) {
    const MeshCounts counts = count_mesh(run.triangulation);
    component.triangulated_genus = genus(component.shells, counts.vertices, counts.edges, counts.faces);
    if (component.triangulated_genus != component.analytical_genus)
        print_out("WARNING: Genus mismatch (ana = %.1f, tri = %.1f )\n", component.analytical_genus,
                  component.triangulated_genus);
    return counts;
}

}  // namespace

int check_triangulated_surface(RunState& run, SES_component& component) {
    const MeshCounts counts = check_genus(run, component);
    if (counts.open_edges == 0) return 0;
    const std::vector<int> numbers = faces_at_open_edges(run.triangulation);
    print_problem("triangulation", "the mesh of component %d is open along %ld edges, at %zu faces (the first %d)",
                  component.number, counts.open_edges, numbers.size(), numbers.empty() ? -1 : numbers.front());
    int marked = 0;
    for (SES_face& face : component.faces)
        if (std::binary_search(numbers.begin(), numbers.end(), face.id)) {
            face.bad = 1;
            ++marked;
        }
    return std::max(marked, 1);
}

int triangulate_component(RunState& run, SES_component& component) {
    TriangulationTables& tables = run.triangulation;
    tables.allocate();
    tables.next_vertex = component.vertices.count();
    if (is_lone_sphere(component)) {
        triangulate_lone_sphere(run, *component.faces.first());
        check_genus(run, component);
        return 0;
    }
    copy_ses_vertices(run, component);
    for (SES_face& face : component.faces)
        if (face.type == kToricFace || face.type == kFullTorusFace || face.type == kSingularTorusHalfFace)
            triangulate_toric_face(run, face, run.want_triangulation[2]);
    sample_remaining_arcs(run, component);
    tables.last_type2_vertex = tables.next_vertex - 1;

    int failed = 0;
    if (run.want_triangulation[0]) {
        failed += triangulate_faces_of_type(run, component, kReentrantFace);
        // The rest would be thrown away by the restart.
        if (failed > 0 && restart_follows_triangulation(run)) {
            tables.problem_count = failed;
            return failed;
        }
    }
    tables.last_type3_vertex = tables.next_vertex - 1;
    if (run.want_triangulation[1]) failed += triangulate_faces_of_type(run, component, kContactFace);
    // A mesh left open by a face that failed is that face's problem already;
    // one of some kinds of faces only is open by design.
    const bool whole = run.want_triangulation[0] && run.want_triangulation[1] && run.want_triangulation[2];
    // A closed mesh loses the triangles its files would print flat, and its
    // thinnest ones are widened where that costs nothing.
    if (failed == 0 && whole && check_genus_quietly(run).open_edges == 0) clean_mesh(tables);
    if (failed == 0 && whole)
        failed = check_triangulated_surface(run, component);
    else
        check_genus(run, component);
    tables.problem_count = failed;
    return failed;
}

}  // namespace velmesh
