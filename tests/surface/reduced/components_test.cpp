// Components: as many as there are pieces of surface, numbered in order,
// merged with their records renumbered, and the one cavity asked for.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

#include "surface/reduced/Components.h"
#include "surface/reduced/ReducedSurface.h"
#include "surface/support/RSChecker.h"
#include "surface/support/SphereSets.h"
#include "surface/support/VelmeshRun.h"

using surface_testing::canonical_face;
using surface_testing::CapturedConsole;
using surface_testing::check_reduced_surface;
using surface_testing::run_of;
using surface_testing::TestSphere;
using surface_testing::tetrahedron;

namespace {

TEST(Components, AreNotLimitedInNumber) {
    std::vector<TestSphere> spheres;
    for (int n = 0; n < 300; ++n) spheres.push_back({10.0 * (n % 20), 10.0 * (n / 20), 0, 1.5});
    velmesh::RunState run = run_of(spheres, 1.5);
    run.free_vertices = true;
    ASSERT_EQ(velmesh::compute_reduced_surface(run), 1);
    ASSERT_EQ(run.rs_components.count(), 300);
    int number = 0;
    for (const velmesh::RS_component& component : run.rs_components) {
        EXPECT_EQ(component.number, number);
        EXPECT_EQ(component.edges.first()->i, number);
        ++number;
    }
    EXPECT_EQ(run.atoms[299].component_number, 299);
    EXPECT_TRUE(check_reduced_surface(run).ok());
}

TEST(Components, MergingRenumbersWhatFollows) {
    // With -all_components: the lone sphere 8 first (a free vertex), then the
    // tetrahedra of spheres 0-3, 4-7 and 9-12 in the order of their spheres.
    std::vector<TestSphere> spheres = tetrahedron(3.0, 1.6);
    for (const TestSphere& s : tetrahedron(3.0, 1.6, 20)) spheres.push_back(s);
    spheres.push_back({40, 0, 0, 1.5});
    for (const TestSphere& s : tetrahedron(3.0, 1.6, 60)) spheres.push_back(s);
    velmesh::RunState run = run_of(spheres, 1.5);
    run.all_components = true;
    ASSERT_EQ(velmesh::compute_reduced_surface(run), 1);
    std::vector<velmesh::RS_component*> components;
    for (velmesh::RS_component& c : run.rs_components) components.push_back(&c);
    ASSERT_EQ(components.size(), 4u);
    ASSERT_EQ(components[0]->edges.first()->i, 8);
    ASSERT_EQ(run.atoms[9].component, components[3]);

    // The one with the higher number is absorbed, whichever comes first in
    // the call; the component after it moves down, with its records and
    // spheres.
    velmesh::RS_component& merged = velmesh::merge_rs_components(run, *components[2], *components[1]);
    EXPECT_EQ(&merged, components[1]);
    ASSERT_EQ(run.rs_components.count(), 3);
    EXPECT_EQ(merged.faces.count(), 8);
    EXPECT_EQ(merged.sphere_count, 8);
    std::set<int> ids;
    for (const velmesh::RS_face& face : merged.faces) {
        ids.insert(face.id);
        EXPECT_EQ(face.component_number, 1);
    }
    EXPECT_EQ(ids.size(), 8u) << "face ids stay distinct";
    for (const int s : {4, 5, 6, 7}) {
        EXPECT_EQ(run.atoms[s].component_number, 1);
        EXPECT_EQ(run.atoms[s].component, &merged);
    }
    EXPECT_EQ(components[3]->number, 2);
    for (const int s : {9, 10, 11, 12}) EXPECT_EQ(run.atoms[s].component_number, 2);
    const auto check = check_reduced_surface(run);
    EXPECT_TRUE(check.ok()) << check.report();
}

std::set<std::array<int, 3>> faces_of(const velmesh::RS_component& component) {
    std::set<std::array<int, 3>> faces;
    for (const auto& face : component.faces) faces.insert(canonical_face(face.i, face.j, face.k));
    return faces;
}

TEST(Components, OneCavityBuildsTheCavityOnItsSpheres) {
    const auto spheres = surface_testing::hollow_shell(true);
    velmesh::RunState all = run_of(spheres, 1.5);
    all.all_components = true;
    ASSERT_EQ(velmesh::compute_reduced_surface(all), 1);
    ASSERT_EQ(all.rs_components.count(), 2);
    const velmesh::RS_component& cavity = *all.rs_components.last();
    const velmesh::RS_face& lining = *cavity.faces.first();

    struct Given {
        std::vector<int> atoms;
    };
    const Given givens[] = {{{lining.i, lining.j, lining.k}}, {{lining.i, lining.k, lining.j}}, {{lining.i, lining.j}}};
    for (const Given& given : givens) {
        velmesh::RunState run = run_of(spheres, 1.5);
        run.one_cavity = true;
        run.one_cavity_count = static_cast<int>(given.atoms.size());
        run.one_cavity_atoms = given.atoms;
        CapturedConsole console;
        ASSERT_EQ(velmesh::compute_reduced_surface(run), 1);
        EXPECT_EQ(console.out(), "");
        ASSERT_EQ(run.rs_components.count(), 1);
        EXPECT_EQ(faces_of(*run.rs_components.first()), faces_of(cavity));
        EXPECT_EQ(run.one_cavity_count, 0);
    }

    // Spheres that bound no cavity together: every component instead.
    velmesh::RunState run = run_of(spheres, 1.5);
    run.one_cavity = true;
    run.one_cavity_count = 2;
    run.one_cavity_atoms = {0, 79};
    CapturedConsole console;
    ASSERT_EQ(velmesh::compute_reduced_surface(run), 1);
    EXPECT_EQ(console.out(), "    Couldn't find first face with 2 atoms 0 79 0 trying -all option\n");
    EXPECT_EQ(run.rs_components.count(), 2);
    EXPECT_TRUE(run.all_components);
}

}  // namespace
