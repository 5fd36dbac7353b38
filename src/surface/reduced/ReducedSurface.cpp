#include "surface/reduced/ReducedSurface.h"

#include <array>
#include <algorithm>
#include <optional>
#include <span>

#include "surface/Console.h"
#include "surface/reduced/BuriedSpheres.h"
#include "surface/reduced/Components.h"
#include "surface/reduced/FaceCreation.h"
#include "surface/reduced/FirstFace.h"
#include "surface/reduced/Flood.h"
#include "surface/reduced/FreeEdges.h"
#include "surface/reduced/FreeVertices.h"
#include "surface/reduced/MissedFaces.h"
#include "surface/reduced/RSContext.h"
#include "surface/reduced/TwinFaces.h"

namespace velmesh {

namespace {

constexpr double kFarAway = 9999999.9;
constexpr int kMostCavitySpheres = 3;

// The spheres reaching furthest towards -x, +x, -y, +y, -z and +z (the first
// found on a tie); -1 where none reaches past +-9999999.9.
std::array<int, 6> extreme_spheres(const RSContext& context) {
    std::array<int, 6> extreme;
    extreme.fill(-1);
    std::array<double, 6> reach = {kFarAway, -kFarAway, kFarAway, -kFarAway, kFarAway, -kFarAway};
    for (int s = 0; s < context.sphere_count(); ++s) {
        const Vec3& c = context.centre(s);
        const double r = context.radius(s);
        for (int axis = 0; axis < 3; ++axis) {
            if (c[axis] - r < reach[2 * axis]) {
                reach[2 * axis] = c[axis] - r;
                extreme[2 * axis] = s;
            }
            if (c[axis] + r > reach[2 * axis + 1]) {
                reach[2 * axis + 1] = c[axis] + r;
                extreme[2 * axis + 1] = s;
            }
        }
    }
    return extreme;
}

// A face on the outside, from the extreme spheres in turn, each reached from
// the direction in which it is extreme.
std::optional<FaceCandidate> external_face(RSContext& context, const std::array<int, 6>& extreme) {
    for (int k = 0; k < 6; ++k) {
        if (extreme[k] < 0) continue;
        Vec3 outward;
        outward[k / 2] = k % 2 == 0 ? -1 : 1;
        if (auto face = find_first_rs_face_external(context, extreme[k], outward)) return face;
    }
    return std::nullopt;
}

// A new component grown from the face: its flood, then its free edges.
void build_component(RSContext& context, const FaceCandidate& first) {
    RS_component* component = &new_rs_component(context.run);
    create_first_face(context, *component, first);
    flood(context, *component);
    free_edge_pass(context, component);
}

// Step of the driver with -one_cavity: the component on the given spheres.
std::optional<FaceCandidate> cavity_face(RSContext& context) {
    RunState& run = context.run;
    const int listed = static_cast<int>(run.one_cavity_atoms.size());
    const int count = std::clamp(std::min(run.one_cavity_count, listed), 0, kMostCavitySpheres);
    const std::span<const int> given(run.one_cavity_atoms.data(), static_cast<std::size_t>(count));
    std::optional<FaceCandidate> face;
    if (count == 1) face = find_first_rs_face_external(context, given[0]);
    if (count >= 2) face = find_first_rs_face_cavity(context, given);
    if (!face) {
        // The record holds three indices, 0 where none was given.
        const auto index = [&](int n) { return n < listed ? run.one_cavity_atoms[n] : 0; };
        print_out("    Couldn't find first face with %d atoms %d %d %d trying -all option\n", run.one_cavity_count,
                  index(0), index(1), index(2));
    }
    return face;
}

// Every sphere still without an edge starts a component of its own, or
// free tori, or is marked as having none.
void all_components(RSContext& context, const std::array<int, 6>& extreme) {
    RunState& run = context.run;
    if (run.rs_components.empty())
        if (const auto face = external_face(context, extreme)) build_component(context, *face);
    BuriedSpheres buried(context);
    for (int s = 0; s < context.sphere_count(); ++s) {
        if (!run.atoms[s].edges.empty()) continue;
        // A sphere no probe touches has neither a face nor a free torus.
        if (buried.buried(s)) {
            RS_component* none = nullptr;
            find_free_edges(context, s, none, false);
            run.atoms[s].no_rs_edge = 1;
            continue;
        }
        if (const auto face = find_first_rs_face(context, s)) {
            build_component(context, *face);
            continue;
        }
        RS_component* none = nullptr;
        if (find_free_edges(context, s, none) == 0) run.atoms[s].no_rs_edge = 1;
    }
    build_missed_faces(context);
}

// Grows the components.
void grow(RSContext& context, const std::array<int, 6>& extreme) {
    RunState& run = context.run;
    if (!run.all_components) {
        std::optional<FaceCandidate> face;
        if (run.one_cavity) {
            face = cavity_face(context);
            if (face) run.one_cavity_count = 0;
        } else {
            face = external_face(context, extreme);
            if (!face) print_err("    Couldn't find first face trying -all option\n");
        }
        if (face) {
            build_component(context, *face);
            return;
        }
        run.all_components = true;
    }
    all_components(context, extreme);
}

}  // namespace

int compute_reduced_surface(RunState& run) {
    run.rs_failed = 0;
    if (run.atoms.empty()) {
        print_err("    Sorry no molecule present\n");
        return 0;
    }
    if (run.atom_count() < 3) run.free_vertices = true;
    RSContext context(run);
    const std::array<int, 6> extreme = extreme_spheres(context);
    int free_spheres = 0;
    if (run.all_components || run.free_vertices) free_spheres = find_free_vertices(run, *context.tree);
    if (free_spheres < run.atom_count()) {
        grow(context, extreme);
        // Every inconsistency of every component is known by now: the
        // restart grows the spheres of all of them at once.
        if (context.any_inconsistent()) {
            context.grow_inconsistent();
            return -1;
        }
    }
    for (RS_component& component : run.rs_components) clean_twin_faces(context, component);
    count_component_spheres(run);
    return 1;
}

}  // namespace velmesh
