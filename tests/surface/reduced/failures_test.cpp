// How the reduced surface reports what goes wrong: an edge it cannot close
// or finds closed already is reported and given up, and the stage goes on;
// at its end it fails with status 1 and grows the spheres of every such
// edge once; identical centres and a missing component end the run;
// a sphere inside another is passed over with a warning; no spheres at all
// is the fatal 0.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "surface/Console.h"
#include "surface/reduced/Components.h"
#include "surface/reduced/FaceCreation.h"
#include "surface/reduced/FirstFace.h"
#include "surface/reduced/Flood.h"
#include "surface/reduced/FreeEdges.h"
#include "surface/reduced/RSContext.h"
#include "surface/reduced/ReducedSurface.h"
#include "surface/support/SphereSets.h"
#include "surface/support/VelmeshRun.h"

using surface_testing::CapturedConsole;
using surface_testing::run_of;
using surface_testing::TestSphere;

namespace {

const std::vector<TestSphere> kTetrahedron = surface_testing::tetrahedron(3.0, 1.6);

TEST(ReducedSurfaceFailure, AnEdgeNoSphereClosesFailsTheStage) {
    // A face on two spheres out of each other's reach: rolling about their
    // edge meets nothing.
    velmesh::RunState run = run_of({{0, 0, 0, 1.5}, {9, 0, 0, 1.5}, {4.5, 2, 0, 1.5}}, 1.5);
    velmesh::RSContext context(run);
    velmesh::RS_component& component = velmesh::new_rs_component(run);
    velmesh::RS_face& face = velmesh::create_first_face(context, component, {0, 1, 2, {4.5, 0, 3}, 0});
    CapturedConsole console;
    velmesh::treat_open_edge(context, component, face, 0);
    EXPECT_EQ(face.edges[0]->face2, nullptr);
    EXPECT_EQ(face.edges[0]->given_up, 1);
    EXPECT_TRUE(context.any_inconsistent());
    EXPECT_FLOAT_EQ(run.atoms[0].r, 1.5f);  // not before the stage ends
    context.grow_inconsistent();
    EXPECT_EQ(run.rs_failed, 1);
    EXPECT_EQ(console.err(), "third atom not found\n");
    EXPECT_EQ(console.out(),
              "    problem in the reduced surface: no sphere stops the probe rolling about edge 0-1 of face 0 1 2\n"
              "radius of atom 0 goes from 1.500000 -> 1.600000\n"
              "radius of atom 1 goes from 1.500000 -> 1.600000\n");
    EXPECT_FLOAT_EQ(run.atoms[0].r, 1.6f);
    EXPECT_DOUBLE_EQ(context.radius(0), run.atoms[0].r);
}

TEST(ReducedSurfaceFailure, AFaceWhoseEdgeIsClosedAlreadyIsAnInconsistency) {
    velmesh::RunState run = run_of(kTetrahedron, 1.5);
    ASSERT_EQ(velmesh::compute_reduced_surface(run), 1);
    velmesh::RS_component& component = *run.rs_components.first();
    velmesh::RS_face& face = *component.faces.first();
    // Rolling over the closed edge finds the neighbour, whose edge there is
    // this face's edge with both its faces.
    velmesh::RSContext context(run);
    CapturedConsole console;
    velmesh::treat_open_edge(context, component, face, 0);
    // Met twice, the spheres grow once.
    velmesh::treat_open_edge(context, component, face, 0);
    context.grow_inconsistent();
    EXPECT_EQ(run.rs_failed, 1);
    EXPECT_EQ(console.err(), "");
    const velmesh::RS_face& beyond = *face.edges[0]->face2;
    char problem[256];
    std::snprintf(problem, sizeof problem,
                  "    problem in the reduced surface: the probe rolls about edge %d-%d of face %d %d %d onto face %d "
                  "%d %d, whose edge there has two faces already\n",
                  face.edges[0]->i, face.edges[0]->j, face.i, face.j, face.k, beyond.i, beyond.j, beyond.k);
    char expected[1024];
    std::snprintf(expected, sizeof expected,
                  "%s%s"
                  "radius of atom %d goes from 1.600000 -> 1.700000\n"
                  "radius of atom %d goes from 1.600000 -> 1.700000\n"
                  "radius of atom %d goes from 1.600000 -> 1.700000\n",
                  problem, problem, beyond.k, face.i, face.j);
    EXPECT_EQ(console.out(), expected);
}

TEST(ReducedSurfaceFailure, AFirstFaceFacingInwardsRollsOntoItselfAndFails) {
    // The face (0, 1, 2) as the cavity search gives it has its probe on the
    // side of its normal. Given the other way round, (0, 2, 1) with the same
    // probe, rolling about its edges lands at once on its own spheres in
    // reversed order at the same probe: reversed duplicates that cannot
    // close consistently, which the flood reports.
    velmesh::RunState run = run_of(kTetrahedron, 1.5);
    velmesh::RSContext context(run);
    const int spheres[3] = {0, 1, 2};
    const auto found = velmesh::find_first_rs_face_cavity(context, spheres);
    ASSERT_TRUE(found.has_value());
    velmesh::FaceCandidate reversed = *found;
    std::swap(reversed.j, reversed.k);
    velmesh::RS_component& component = velmesh::new_rs_component(run);
    velmesh::create_first_face(context, component, reversed);
    CapturedConsole console;
    velmesh::flood(context, component);
    EXPECT_TRUE(context.any_inconsistent());
    EXPECT_NE(console.out().find("problem in the reduced surface"), std::string::npos);
}

TEST(ReducedSurfaceFailure, OneStageFindsTheInconsistenciesOfEveryComponent) {
    // Two tetrahedra apart, each grown from a face given the wrong way round:
    // the second is flooded after the first has failed, and both grow.
    std::vector<TestSphere> spheres = kTetrahedron;
    for (const TestSphere& s : surface_testing::tetrahedron(3.0, 1.6, 30, 0, 0)) spheres.push_back(s);
    velmesh::RunState run = run_of(spheres, 1.5);
    velmesh::RSContext context(run);
    CapturedConsole console;
    for (const int first : {0, 4}) {
        const int triple[3] = {first, first + 1, first + 2};
        const auto found = velmesh::find_first_rs_face_cavity(context, triple);
        ASSERT_TRUE(found.has_value());
        velmesh::FaceCandidate reversed = *found;
        std::swap(reversed.j, reversed.k);
        velmesh::RS_component& component = velmesh::new_rs_component(run);
        velmesh::create_first_face(context, component, reversed);
        velmesh::flood(context, component);
    }
    context.grow_inconsistent();
    EXPECT_EQ(run.rs_failed, 1);
    EXPECT_GT(run.atoms[0].r + run.atoms[1].r + run.atoms[2].r + run.atoms[3].r, 4 * 1.6f + 0.05f);
    EXPECT_GT(run.atoms[4].r + run.atoms[5].r + run.atoms[6].r + run.atoms[7].r, 4 * 1.6f + 0.05f);
    for (const velmesh::Atom& atom : run.atoms) EXPECT_LE(atom.r, 1.7001f);
}

struct IdenticalCase {
    std::string name;
    std::vector<TestSphere> spheres;
    bool all_components;
    std::vector<int> cavity;
    std::string message;
};

std::vector<TestSphere> tetrahedron_and(std::vector<TestSphere> more) {
    std::vector<TestSphere> spheres = kTetrahedron;
    spheres.insert(spheres.end(), more.begin(), more.end());
    return spheres;
}

TEST(ReducedSurfaceFailure, IdenticalCentresEndTheRun) {
    const IdenticalCase cases[] = {
        {"outside search", {{0, 0, 0, 1.5}, {0, 0, 0, 1.5}, {2, 0, 0, 1.5}}, false, {},
         "ERROR: find_first_rs_face_external: atoms 0 and 1 have identical centers \n"},
        {"cavity search", {{5, 0, 0, 1.5}, {0, 0, 0, 1.5}, {0, 0, 0, 1.2}, {2, 0, 0, 1.5}}, false, {1, 2},
         "ERROR: find_first_rs_face_cavity: atoms 1 and 2 have identical centers \n"},
        // The outside comes from the tetrahedron; the spheres left over are
        // searched in order.
        {"search from a sphere left over", tetrahedron_and({{20, 0, 0, 1.5}, {20, 0, 0, 1.5}, {22, 0, 0, 1.5}}), true,
         {}, "ERROR: find_first_rs_face: atoms 4 and 5 have identical centers \n"},
    };
    for (const IdenticalCase& c : cases) {
        SCOPED_TRACE(c.name);
        velmesh::RunState run = run_of(c.spheres, 1.5);
        run.all_components = c.all_components;
        run.one_cavity = !c.cavity.empty();
        run.one_cavity_count = static_cast<int>(c.cavity.size());
        run.one_cavity_atoms = c.cavity;
        CapturedConsole console;
        try {
            velmesh::compute_reduced_surface(run);
            ADD_FAILURE() << "the run goes on";
        } catch (const velmesh::RunExit& exit) {
            EXPECT_EQ(exit.status, 1);
        }
        EXPECT_EQ(console.err(), c.message);
    }
}

TEST(ReducedSurfaceFailure, FreeEdgesAroundASphereWithATwinEndTheRun) {
    velmesh::RunState run = run_of({{0, 0, 0, 1.5}, {0, 0, 0, 1.5}}, 1.5);
    velmesh::RSContext context(run);
    velmesh::RS_component* none = nullptr;
    CapturedConsole console;
    EXPECT_THROW(velmesh::find_free_edges(context, 0, none), velmesh::RunExit);
    EXPECT_EQ(console.err(), "ERROR: find_free_edges: atoms 0 and 1 have identical centers \n");
}

TEST(ReducedSurfaceFailure, ASphereInsideAnotherIsPassedOverWithAWarning) {
    velmesh::RunState run = run_of({{0, 0, 0, 3.0}, {0.5, 0, 0, 1.0}, {5, 0, 0, 1.0}}, 1.5);
    velmesh::RSContext context(run);
    velmesh::RS_component* none = nullptr;
    CapturedConsole console;
    EXPECT_EQ(velmesh::find_free_edges(context, 0, none), 1);
    EXPECT_EQ(console.out(), "WARNING: atoms 1 is completely inside atom 0\n");
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->free_edges.first()->j, 2);
}

TEST(ReducedSurfaceFailure, AMissingComponentEndsTheRun) {
    velmesh::RunState run = run_of(kTetrahedron, 1.5);
    ASSERT_EQ(velmesh::compute_reduced_surface(run), 1);
    EXPECT_EQ(&velmesh::rs_component_by_number(run, 0), run.rs_components.first());
    CapturedConsole console;
    try {
        velmesh::rs_component_by_number(run, 1);
        ADD_FAILURE() << "the run goes on";
    } catch (const velmesh::RunExit& exit) {
        EXPECT_EQ(exit.status, 1);
    }
    EXPECT_EQ(console.err(), "RS component 1 not found\n");
}

TEST(ReducedSurfaceFailure, NoSpheresIsFatal) {
    velmesh::RunState run = run_of({}, 1.5);
    CapturedConsole console;
    EXPECT_EQ(velmesh::compute_reduced_surface(run), 0);
    EXPECT_EQ(console.err(), "    Sorry no molecule present\n");
}

}  // namespace
