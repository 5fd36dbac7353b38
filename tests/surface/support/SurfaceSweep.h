#pragma once
// One velmesh run over a set of spheres, with everything a written mesh must
// be checked for: the run's status and its warnings, each component's mesh
// through the mesh checker (with the genus of the analytical surface computed
// apart), and how far the mesh's vertices lie from the surface that no probe
// enters (ExcludedRegion.h): a vertex inside a free probe sphere, or away
// from every one, shows a surface that is not the outer envelope.
#include <string>
#include <vector>

#include "surface/support/MeshChecker.h"
#include "surface/support/SphereSets.h"
#include "surface/support/VelmeshRun.h"

namespace surface_testing {

struct SweepCase {
    std::vector<TestSphere> spheres;
    double probe = 1.5;
    double density = 1;
    bool all_components = false;
    // Measure every vertex against the excluded region (slower).
    bool envelope = true;
    // When set, the sphere file and the meshes are copied there.
    std::string keep_folder;
};

struct SweepResult {
    RunResult run;
    bool restarted = false;  // the run tried again with grown radii
    int attempts = 1;
    std::vector<std::string> warnings;  // lines of either stream with WARNING or ERROR
    std::vector<std::string> problems;  // the problems the stages reported, the restarts' causes
    std::vector<MeshCheck> checks;      // per written component
    // The largest distance of a vertex from the excluded region's boundary
    // (0 when not measured), with the radii of the last attempt.
    double envelope_error = 0;
    int off_envelope = 0;  // vertices more than 0.01 away
    int worst_vertex = 0;  // its vertex (from 1), in the mesh of its component

    // Status 0, no warning, every mesh passes, and the vertices lie on the
    // envelope within `tolerance`.
    bool ok(double tolerance = 0.01) const;
    std::string report() const;
};

SweepResult sweep_case(const SweepCase& c);

}  // namespace surface_testing
