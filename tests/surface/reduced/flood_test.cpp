// The flood that grows a component: the same faces in the same order as the
// depth-first walk it replaces, and no depth on the thread's stack, so a
// large component grows on a small stack.
#include <gtest/gtest.h>

#include <pthread.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "surface/reduced/Components.h"
#include "surface/reduced/FaceCreation.h"
#include "surface/reduced/FirstFace.h"
#include "surface/reduced/Flood.h"
#include "surface/reduced/RSContext.h"
#include "surface/reduced/ReducedSurface.h"
#include "surface/support/RSChecker.h"
#include "surface/support/SphereSets.h"
#include "surface/support/VelmeshRun.h"

using surface_testing::run_of;

namespace {

bool is_open(const velmesh::RS_edge& edge) { return edge.face2 == nullptr && edge.given_up == 0; }

// The walk as a recursion: the newest face's edge 0, then edge 1, each with
// what it opened, then edge 2 as the next step of the same walk.
void recursive_flood(velmesh::RSContext& context, velmesh::RS_component& component) {
    while (true) {
        velmesh::RS_face& face = *component.faces.last();
        for (int slot = 0; slot < 2; ++slot) {
            if (!is_open(*face.edges[slot])) continue;
            velmesh::treat_open_edge(context, component, face, slot);
            recursive_flood(context, component);
        }
        if (!is_open(*face.edges[2])) return;
        velmesh::treat_open_edge(context, component, face, 2);
    }
}

int leftmost(const velmesh::RunState& run) {
    const auto& atoms = run.atoms;
    return static_cast<int>(std::min_element(atoms.begin(), atoms.end(), [](const auto& a, const auto& b) {
                                return a.x - a.r < b.x - b.r;
                            }) -
                            atoms.begin());
}

std::vector<std::array<int, 4>> faces_in_order(const velmesh::RS_component& component) {
    std::vector<std::array<int, 4>> faces;
    for (const auto& face : component.faces) faces.push_back({face.id, face.i, face.j, face.k});
    return faces;
}

// Grows the component of the leftmost sphere's first face with the flood
// given.
template <class Flood>
std::vector<std::array<int, 4>> grow(const std::vector<surface_testing::TestSphere>& spheres, Flood flood) {
    velmesh::RunState run = run_of(spheres, 1.5);
    velmesh::RSContext context(run);
    const auto first = velmesh::find_first_rs_face_external(context, leftmost(run));
    EXPECT_TRUE(first.has_value());
    if (!first) return {};
    velmesh::RS_component& component = velmesh::new_rs_component(run);
    velmesh::create_first_face(context, component, *first);
    flood(context, component);
    EXPECT_FALSE(context.any_inconsistent());
    return faces_in_order(component);
}

TEST(Flood, MakesTheFacesInTheOrderOfTheDepthFirstWalk) {
    for (const unsigned seed : {21u, 22u, 23u}) {
        const auto spheres = surface_testing::random_cluster(300, seed);
        const auto walked = grow(spheres, recursive_flood);
        const auto flooded = grow(spheres, velmesh::flood);
        EXPECT_GT(flooded.size(), 100u);
        EXPECT_EQ(flooded, walked) << "seed " << seed;
    }
}

struct SmallStackRun {
    velmesh::RunState* run;
    int result = 0;
};

void* run_reduced_surface(void* argument) {
    auto* job = static_cast<SmallStackRun*>(argument);
    job->result = velmesh::compute_reduced_surface(*job->run);
    return nullptr;
}

TEST(Flood, GrowsAProteinOnASmallStack) {
    // The outer component of this protein has over 5000 faces, and the walk
    // goes more than 4000 faces deep: as one call per level it would need
    // more than this stack.
    constexpr std::size_t kStack = 256 * 1024;
    const std::string protein = std::string(ZELMAR_FIXTURES) + "/spheres/1tii.xyz";
    velmesh::RunState run = run_of(surface_testing::read_spheres(protein), 1.5);
    SmallStackRun job{&run};
    pthread_attr_t attributes;
    ASSERT_EQ(pthread_attr_init(&attributes), 0);
    ASSERT_EQ(pthread_attr_setstacksize(&attributes, kStack), 0);
    pthread_t thread;
    ASSERT_EQ(pthread_create(&thread, &attributes, run_reduced_surface, &job), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
    EXPECT_EQ(job.result, 1);
    ASSERT_EQ(run.rs_components.count(), 1);
    EXPECT_GT(run.rs_components.first()->faces.count(), 5000);
}

}  // namespace
