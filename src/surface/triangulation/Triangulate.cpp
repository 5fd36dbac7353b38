#include "surface/triangulation/Triangulate.h"

#include <cmath>
#include <stdexcept>

#include "surface/Console.h"
#include "surface/tree/Geometry.h"

namespace velmesh {

namespace {

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

void check_genus(RunState& run, SES_component& component) {
    const TriangulationTables& tables = run.triangulation;
    const double vertices = tables.vertex_count() - tables.unused_vertices;
    const double faces = tables.face_count();
    const double edges = std::trunc(1.5 * faces);
    component.triangulated_genus = genus(component.shells, vertices, edges, faces);
    if (component.triangulated_genus != component.analytical_genus)
        print_out("WARNING: Genus mismatch (ana = %.1f, tri = %.1f )\n", component.analytical_genus,
                  component.triangulated_genus);
}

}  // namespace

int triangulate_component(RunState& run, SES_component& component) {
    TriangulationTables& tables = run.triangulation;
    tables.allocate();
    tables.next_vertex = component.vertices.count();
    if (component.face_count == 1 && component.faces.first()->type == kContactFace && component.edges.empty()) {
        triangulate_lone_sphere(run, *component.faces.first());
    } else {
        throw std::logic_error(
            "triangulate_component: only lone spheres can be triangulated yet; -surface ases gives the analytical "
            "surface");
    }
    check_genus(run, component);
    return 0;
}

}  // namespace velmesh
