#include "visualization/SceneRenderer.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

#include "visualization/PotentialColour.h"

namespace {

void set_light(GLenum light, GLfloat s, GLfloat direction) {
    const GLfloat position[] = {s, s, s, 1.0f};
    const GLfloat spot[] = {direction, direction, direction};
    const GLfloat ambient[] = {0.4f, 0.4f, 0.4f, 0.0f};
    const GLfloat diffuse[] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat specular[] = {0.0f, 0.0f, 0.0f, 1.0f};
    glLightfv(light, GL_POSITION, position);
    glLightfv(light, GL_SPOT_DIRECTION, spot);
    glLightfv(light, GL_AMBIENT, ambient);
    glLightfv(light, GL_DIFFUSE, diffuse);
    glLightfv(light, GL_SPECULAR, specular);
}

const Mesh* mesh_of(const SpeciesLook& look, std::size_t type) {
    if (look.object == nullptr || type >= look.object->shapes.size()) return nullptr;
    return &look.object->shapes[type];
}

const PotentialGridView* readable_grid(const SpeciesLook& look) {
    return look.potential && grid_readable(*look.potential) ? &*look.potential : nullptr;
}

void vertex(const Mesh& mesh, std::size_t v) {
    const CVector& n = mesh.normals[v];
    const CVector& p = mesh.vertices[v];
    glNormal3d(n.x, n.y, n.z);
    glVertex3d(p.x, p.y, p.z);
}

// List 2s + 1, and the largest potential magnitude over the vertices.
double compile_plain(unsigned list, const Mesh* mesh, const PotentialGridView* grid) {
    double largest = 1e-100;
    glNewList(list, GL_COMPILE);
    if (mesh != nullptr) {
        glBegin(GL_TRIANGLES);
        for (std::size_t v = 0; v < mesh->vertices.size(); ++v) {
            vertex(*mesh, v);
            if (grid != nullptr) largest = std::max(largest, std::fabs(potential_at(*grid, mesh->vertices[v])));
        }
        glEnd();
    }
    glEndList();
    return largest;
}

// List 2s + 2: each vertex coloured by the potential there.
void compile_by_potential(unsigned list, const Mesh* mesh, const PotentialGridView* grid, double largest,
                          double pot_m) {
    glNewList(list, GL_COMPILE);
    if (mesh != nullptr) {
        glBegin(GL_TRIANGLES);
        for (std::size_t v = 0; v < mesh->vertices.size(); ++v) {
            if (grid != nullptr) {
                const auto rgb = potential_colour(potential_at(*grid, mesh->vertices[v]), largest, pot_m);
                glColor3d(rgb[0], rgb[1], rgb[2]);
            }
            vertex(*mesh, v);
        }
        glEnd();
    }
    glEndList();
}

void rectangles(const SceneBox& box) {
    glBegin(GL_QUADS);
    for (const double z : {box.zmin, box.zmax}) {
        glVertex3d(box.xmin, box.ymin, z);
        glVertex3d(box.xmax, box.ymin, z);
        glVertex3d(box.xmax, box.ymax, z);
        glVertex3d(box.xmin, box.ymax, z);
    }
    glEnd();
}

// Faint white faces with a yellow outline.
void compile_box(unsigned list, const SceneBox& box) {
    glNewList(list, GL_COMPILE);
    glLineWidth(1);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glColor4d(1, 1, 1, 0.05);
    rectangles(box);
    glLineWidth(2);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glColor4d(1, 1, 0, 1);
    rectangles(box);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glLineWidth(1);
    glEndList();
}

}  // namespace

void SceneRenderer::set_up(const SceneDescription& scene, std::size_t type) {
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, GL_TRUE);
    const GLfloat no_specular[] = {0.0f, 0.0f, 0.0f, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, no_specular);

    // Positions are taken through the model-view matrix, the identity here.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const auto s = static_cast<GLfloat>(scene.box.size());
    set_light(GL_LIGHT0, s, -1.0f);
    glLightf(GL_LIGHT0, GL_SPOT_EXPONENT, 0.0f);
    glLightf(GL_LIGHT0, GL_SPOT_CUTOFF, 90.0f);
    glEnable(GL_LIGHT1);
    set_light(GL_LIGHT1, -s, 1.0f);

    glShadeModel(GL_SMOOTH);
    glEnable(GL_NORMALIZE);
    build_display_lists(scene, type);
}

void SceneRenderer::build_display_lists(const SceneDescription& scene, std::size_t type) {
    release();
    for (std::size_t s = 0; s < scene.species.size(); ++s) {
        const SpeciesLook& look = scene.species[s];
        const Mesh* mesh = mesh_of(look, type);
        const PotentialGridView* grid = readable_grid(look);
        const double largest = compile_plain(display_list::plain(s), mesh, grid);
        compile_by_potential(display_list::by_potential(s), mesh, grid, largest,
                             look.object != nullptr ? look.object->pot_m : 1.0);
    }
    compile_box(display_list::box(scene.species.size()), scene.box);
    lists_ = display_list::box(scene.species.size());
}

void SceneRenderer::release() {
    if (lists_ > 0) glDeleteLists(1, static_cast<GLsizei>(lists_));
    lists_ = 0;
}

void SceneRenderer::set_camera(int width, int height, const CameraProjection& p, bool selection) const {
    glViewport(0, 0, width, height);
    GLint previous_mode = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &previous_mode);
    glMatrixMode(GL_PROJECTION);
    if (!selection) glLoadIdentity();
    gluPerspective(p.fovy, p.aspect, p.near_plane, p.far_plane);
    gluLookAt(p.eye.x, p.eye.y, p.eye.z, p.target.x, p.target.y, p.target.z, p.up.x, p.up.y, p.up.z);
    glMatrixMode(static_cast<GLenum>(previous_mode));
}

FramePlan SceneRenderer::draw(const SceneDescription& scene, const trajectory::Frame* frame,
                              const DisplaySwitches& switches) const {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    FramePlan plan;
    if (frame != nullptr) plan = plan_frame(scene, *frame, switches);
    for (const InstanceDraw& d : plan.draws) {
        glColor4dv(d.colour.c);
        glPushMatrix();
        glMultMatrixd(d.placement.data());
        glCallList(d.list);
        glPopMatrix();
    }
    glEnable(GL_ALPHA_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glCallList(display_list::box(scene.species.size()));
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_BLEND);
    return plan;
}
