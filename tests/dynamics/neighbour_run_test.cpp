// Whole runs of crowded scenes with the neighbours found through the cells
// of the compartments and by the plain pass over every instance: the
// trajectories, reaction logs, contact statistics and restart files are the
// same bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "dynamics/PDcalc.h"
#include "support/FixtureRun.h"
#include "support/LoggedText.h"
#include "support/TempDir.h"

namespace {

using namespace dynamics_testing;
using testing_support::read_file;

// Every output file of a run folder, by name, with its bytes; names that
// carry the date and time are sorted by that alone, so one run's files are
// in the order of another's.
std::vector<std::pair<std::string, std::string>> outputs(const std::filesystem::path& folder) {
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        files.emplace_back(entry.path().filename().string(), read_file(entry.path().string()));
    std::sort(files.begin(), files.end());
    return files;
}

// The offset of the first byte in which two files differ (their common
// length when one is the other's beginning); -1 when they are the same.
long first_difference(const std::string& a, const std::string& b) {
    const auto at = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    if (at.first == a.end() && at.second == b.end()) return -1;
    return static_cast<long>(at.first - a.begin());
}

struct Scene {
    std::string name;
    std::int32_t box_type = 0;
    std::vector<RunSpecies> species;
    std::vector<RunReaction> reactions;
    double contact_range = 0;     // ångström
    double cutoff_scale_b = 1.0;  // the drift range between instances of species 1, against the others'
    bool second_box = false;      // species 1 lives in a closed box of its own, inside the first
    std::int64_t seed = 4711;
};

// The scene's run: its folder's outputs, and whether its compartments were
// laid out in cells (`cells`: whether it may use them).
struct Outcome {
    std::vector<std::pair<std::string, std::string>> files;
    std::vector<bool> laid;
};

Outcome run_scene(const Scene& scene, bool cells) {
    testing_support::TempDir dir;
    Outcome out;
    {
        PDcalc engine;
        // A short electrostatic range: the boxes are several ranges wide.
        engine.A = 4.0;
        RunOptions options;
        options.folder = dir.path().string() + "/";
        options.box_type = scene.box_type;
        options.halfsize = 3e-9;
        options.species = scene.species;
        options.reactions = scene.reactions;
        options.contact_range = scene.contact_range;
        options.seed = scene.seed;
        options.NT = 150;
        options.save_interval = 50;
        options.trajectory_save_interval = 1;
        build_run(engine, options);
        PROFILE& model = engine.model;
        CLASS_PAIR& bb = model.pairs[pair_index(model, 1, 1)];
        bb.cutoff2 *= scene.cutoff_scale_b * scene.cutoff_scale_b;
        if (scene.second_box) {
            COMPARTMENT inner = model.compartments[0];
            inner.type = 1;
            inner.lower = {-2.95e-9, -2.9e-9, -2.95e-9};
            inner.upper = {2.95e-9, 2.95e-9, 2.9e-9};
            inner.size = inner.upper - inner.lower;
            inner.halfsize = inner.size * 0.5;
            inner.center = inner.lower + inner.halfsize;
            model.compartments.push_back(inner);
            model.compartments_n = 2;
            model.species[1].compartment = 1;
        }
        engine.pair_scan.use_cells = cells;
        testing_support::logged_text([&] { engine.calculate(); });
        for (const COMPARTMENT* c : engine.pair_scan.cells_over) out.laid.push_back(c != nullptr);
    }
    backup::reset();
    out.files = outputs(dir.path());
    return out;
}

TEST(NeighbourRun, CellsGiveThePlainPassesBytes) {
    const POINT3D field_a{4e7, -1e7, 2e7};
    const POINT3D field_b{-3e7, 5e7, 1e7};
    const std::vector<Scene> scenes = {
        {.name = "periodic box, two species, reactions stop instances, contacts",
         .species = {{"a", 70, true, field_a}, {"b", 70, true, field_b}},
         .reactions = {{"bind", 0, 1, 7.0, 0.3}},
         .contact_range = 2.0},
        {.name = "closed box, instances along the walls",
         .box_type = 1,
         .species = {{"a", 70, true, field_a}, {"b", 70, true, field_b}},
         .reactions = {{"bind", 0, 1, 7.0, 0.3}},
         .contact_range = 2.0,
         .seed = 99},
        {.name = "different ranges, a species that does not move, a reaction of one species with itself",
         .species = {{"a", 50, true, field_a}, {"b", 50, true, field_b}, {"still", 30, false, field_b}},
         .reactions = {{"pair", 0, 0, 6.0, 0.5}, {"mixed", 1, 2, 8.0, 1.0}},
         .cutoff_scale_b = 0.5,
         .seed = 12},
        {.name = "a second, closed compartment inside the periodic one",
         .species = {{"a", 70, true, field_a}, {"b", 50, true, field_b}},
         .reactions = {{"bind", 0, 1, 7.0, 0.3}},
         .contact_range = 2.0,
         .second_box = true,
         .seed = 5},
    };
    for (const Scene& scene : scenes) {
        SCOPED_TRACE(scene.name);
        const Outcome plain = run_scene(scene, false);
        const Outcome cells = run_scene(scene, true);
        // The scene is large enough for the cells, and the plain run did
        // without them.
        for (const bool laid : cells.laid) EXPECT_TRUE(laid);
        for (const bool laid : plain.laid) EXPECT_FALSE(laid);
        ASSERT_EQ(plain.files.size(), cells.files.size());
        bool trajectory = false;
        for (std::size_t f = 0; f < plain.files.size(); ++f) {
            SCOPED_TRACE(plain.files[f].first);
            EXPECT_EQ(plain.files[f].first.substr(0, 4), cells.files[f].first.substr(0, 4));
            EXPECT_EQ(first_difference(plain.files[f].second, cells.files[f].second), -1)
                << plain.files[f].second.size() << " and " << cells.files[f].second.size() << " bytes";
            trajectory |= plain.files[f].first == "trajectory.bin" && !plain.files[f].second.empty();
        }
        EXPECT_TRUE(trajectory);
    }
}

}  // namespace
