// Pieces of real structures (tests/fixtures/spheres) where velmesh once
// wrote meshes whose vertices lay off the surface, or restarted: every run
// must end normally at its first attempt, with closed meshes of the
// analytical genus whose every vertex has a probe at its normal that touches
// a sphere and enters none.
#include <gtest/gtest.h>

#include <string>

#include "surface/support/SurfaceSweep.h"

namespace {

struct StructureCase {
    const char* file;
    double probe;
    const char* shows;
};

const StructureCase kCases[] = {
    {"free_torus_crowded.xyz", 1.4,
     "a free torus at a sphere with 43 neighbours within reach (hydrogens in): missing, it left a hole out of the "
     "sphere's contact face, whose points the probe could not touch"},
    {"back_to_back_faces.xyz", 1.3,
     "two faces on the same three spheres back to back: which one a fan of faces at their sphere is tested against "
     "decided whether the rest of the molecule was built"},
    {"sliver_pair_long_way.xyz", 2.5,
     "a pair of faces close together on the same spheres, along whose shared edges the probe rolls the long way "
     "round: removed as a sliver, the tori went with it"},
    {"four_on_one_probe.xyz", 1.4,
     "four spheres touching one probe position: the search for faces the floods missed split it into faces the other "
     "way, overlapping the faces there (an inconsistency and a restart)"},
};

TEST(StructureCases, EveryVertexHasAProbeThatTouchesWithoutEntering) {
    for (const StructureCase& c : kCases)
        for (const bool all : {false, true})
            for (const double density : {1.0, 2.0, 3.0}) {
                SCOPED_TRACE(std::string(c.file) + " probe " + std::to_string(c.probe) + " density " +
                             std::to_string(density) + (all ? " -all_components" : "") + ": " + c.shows);
                surface_testing::SweepCase sweep;
                sweep.spheres = surface_testing::read_spheres(std::string(ZELMAR_FIXTURES) + "/spheres/" + c.file);
                sweep.probe = c.probe;
                sweep.density = density;
                sweep.all_components = all;
                sweep.envelope = false;
                const surface_testing::SweepResult result = surface_testing::sweep_case(sweep);
                EXPECT_TRUE(result.ok()) << result.report();
                EXPECT_FALSE(result.restarted) << result.report();
            }
}

}  // namespace
