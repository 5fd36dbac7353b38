#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "support/TempDir.h"
#include "surface/Console.h"
#include "surface/Run.h"
#include "surface/support/MeshChecker.h"
#include "surface/support/VelmeshRun.h"

using surface_testing::CapturedConsole;
using testing_support::TempDir;
using testing_support::write_file;
using velmesh::RunState;

namespace {

// The program's stages, made to fail a given number of times: the reduced
// surface by its result, the SES and the triangulation by marking the lone
// sphere's face bad and reporting a problem; any of them by running out of
// memory.
class FlakyStages final : public velmesh::SurfaceStages {
public:
    enum Stage { reduced, ses, triangulation };

    int reduced_failures = 0;
    int reduced_result_when_failing = -1;
    int ses_failures = 0;
    int triangulation_failures = 0;
    std::array<int, 3> memory_failures{};
    int reduced_calls = 0, ses_calls = 0, area_calls = 0, triangulation_calls = 0;
    std::vector<short> attempts_seen;

    int reduced_surface(RunState& run) override {
        ++reduced_calls;
        attempts_seen.push_back(run.attempt);
        const int result = real_.reduced_surface(run);
        out_of_memory(reduced);
        if (reduced_failures > 0) {
            --reduced_failures;
            return reduced_result_when_failing;
        }
        return result;
    }
    int solvent_excluded_surface(RunState& run, velmesh::RS_component& component) override {
        ++ses_calls;
        const int problems = real_.solvent_excluded_surface(run, component);
        out_of_memory(ses);
        if (ses_failures == 0) return problems;
        --ses_failures;
        component.ses_component->faces.first()->bad = 1;
        return problems + 2;
    }
    void analytical_areas(RunState& run) override {
        ++area_calls;
        real_.analytical_areas(run);
    }
    int triangulate(RunState& run, velmesh::SES_component& component) override {
        ++triangulation_calls;
        const int problems = real_.triangulate(run, component);
        out_of_memory(triangulation);
        if (triangulation_failures == 0) return problems;
        --triangulation_failures;
        component.faces.first()->bad = 1;
        return problems + 3;
    }

private:
    // Throws as an allocation deep in the stage would, after the stage has
    // built what it holds.
    void out_of_memory(Stage stage) {
        if (memory_failures[stage] == 0) return;
        --memory_failures[stage];
        throw std::bad_alloc();
    }

    velmesh::VelmeshStages real_;
};

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome run_with(FlakyStages& stages, std::vector<std::string> extra, TempDir& dir) {
    write_file(dir.file("s.xyz"), "0 0 0 1.8\n");
    std::vector<std::string> args = {"-if", dir.file("s.xyz"), "-of", dir.file("m")};
    args.insert(args.end(), extra.begin(), extra.end());
    CapturedConsole console;
    const int status = velmesh::run_velmesh(args, stages);
    return {status, console.out(), console.err()};
}

int occurrences(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

TEST(Restart, ReducedSurfaceTriesAgainUpToTheAttemptLimit) {
    FlakyStages stages;
    stages.reduced_failures = 2;
    TempDir dir;
    const Outcome o = run_with(stages, {}, dir);
    EXPECT_EQ(o.status, 0) << o.out << o.err;
    EXPECT_NE(o.out.find("Failed to compute reduced surface -1, try again 2\n"
                         "Failed to compute reduced surface -1, try again 3\n"
                         "ANALYTICAL SURFACE AREA :\n"),
              std::string::npos)
        << o.out;
    EXPECT_EQ(stages.attempts_seen, (std::vector<short>{1, 2, 3}));
    EXPECT_NE(o.out.find("VELMESH terminated normally\n"), std::string::npos);
}

TEST(Restart, ReducedSurfaceStillFailingGoesOnWithWhatExists) {
    FlakyStages stages;
    stages.reduced_failures = 10;
    stages.reduced_result_when_failing = -3;
    TempDir dir;
    const Outcome o = run_with(stages, {"-no_rest", "-no_rest_on"}, dir);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(stages.reduced_calls, 5);
    EXPECT_EQ(occurrences(o.out, "Failed to compute reduced surface -3, try again "), 4);
    EXPECT_NE(o.out.find("try again 5\n"), std::string::npos);
    EXPECT_NE(o.out.find("VELMESH terminated normally\n"), std::string::npos);
}

TEST(Restart, ReducedSurfaceResultZeroIsFatal) {
    FlakyStages stages;
    stages.reduced_failures = 1;
    stages.reduced_result_when_failing = 0;
    TempDir dir;
    const Outcome o = run_with(stages, {}, dir);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "ERROR while computing the reduced surface, status = 0\n");
    EXPECT_EQ(o.out.find("ANALYTICAL"), std::string::npos);
}

TEST(Restart, SurfaceProblemsGrowTheMarkedRadiiAndTryAgain) {
    FlakyStages stages;
    stages.ses_failures = 1;
    TempDir dir;
    const Outcome o = run_with(stages, {}, dir);
    ASSERT_EQ(o.status, 0) << o.out << o.err;
    EXPECT_NE(o.out.find(" 2 faces with problems\n"
                         "radius of atom 0 goes from 1.800000 to 1.900000\n"
                         "Failed to compute level 0 surface, try again 2\n"
                         "ANALYTICAL SURFACE AREA :\n"),
              std::string::npos)
        << o.out;
    EXPECT_EQ(stages.reduced_calls, 2);
    EXPECT_EQ(stages.ses_calls, 2);
    // The grown radius holds for the rest of the run, output included.
    surface_testing::MeshCheckOptions options;
    options.spheres = {{0, 0, 0, 1.9}};
    const auto check = surface_testing::check_mesh_files(dir.file("m.vert"), dir.file("m.face"), options);
    EXPECT_TRUE(check.ok()) << check.report();
    const double area = 12.5663706 * 1.9f * 1.9f;
    EXPECT_NEAR(surface_testing::parse_report(o.out).areas.at(0).ses, area, 1e-3);
}

TEST(Restart, SurfaceProblemsAfterTheLastAttemptEndTheRun) {
    FlakyStages stages;
    stages.ses_failures = 100;
    TempDir dir;
    const Outcome o = run_with(stages, {"-no_rest"}, dir);  // restart_on_triangulation still allows it
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(stages.ses_calls, 5);
    EXPECT_EQ(occurrences(o.out, " 2 faces with problems\n"), 5);
    EXPECT_NE(o.out.find("Failed to compute level 0 surface, try again 5\n"), std::string::npos);
    EXPECT_NE(o.out.find("radius of atom 0 goes from 2.100000 to 2.200000\n"), std::string::npos);
    EXPECT_TRUE(o.out.ends_with(" 2 faces with problems\n    failed after 5 attemps to compute the surface\n")) << o.out;
}

TEST(Restart, SurfaceProblemsWithoutRestartsGoOn) {
    FlakyStages stages;
    stages.ses_failures = 100;
    TempDir dir;
    const Outcome o = run_with(stages, {"-no_rest", "-no_rest_on"}, dir);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(stages.ses_calls, 1);
    EXPECT_EQ(o.out.find("Failed"), std::string::npos);
    EXPECT_NE(o.out.find(" 2 faces with problems\nANALYTICAL SURFACE AREA :\n"), std::string::npos);
}

TEST(Restart, TriangulationProblemsGoBackToTheSurface) {
    FlakyStages stages;
    stages.triangulation_failures = 1;
    TempDir dir;
    const Outcome o = run_with(stages, {}, dir);
    ASSERT_EQ(o.status, 0) << o.out << o.err;
    EXPECT_NE(o.out.find(" 3 faces with PBR problems\n"
                         "radius of atom 0 goes from 1.800000 to 1.900000\n"
                         "Failed during triangulation, try again 2\n"
                         "ANALYTICAL SURFACE AREA :\n"),
              std::string::npos)
        << o.out;
    EXPECT_EQ(stages.reduced_calls, 2);
    EXPECT_EQ(stages.ses_calls, 2);
    EXPECT_EQ(stages.area_calls, 2);
    EXPECT_EQ(stages.triangulation_calls, 2);
    EXPECT_EQ(occurrences(o.out, "NUMERICAL VOLUMES AND AREA\n"), 1);
}

// Without a restart to mend them, faces that could not be triangulated
// leave holes: the run fails and writes no mesh of that component.
TEST(Restart, TriangulationProblemsWithoutARestartFailTheRun) {
    for (const std::vector<std::string>& switches :
         {std::vector<std::string>{"-no_rest"}, std::vector<std::string>{"-no_rest_on"}}) {
        SCOPED_TRACE(switches[0]);
        FlakyStages stages;
        stages.triangulation_failures = 1;
        TempDir dir;
        const Outcome o = run_with(stages, switches, dir);
        EXPECT_EQ(o.status, 1);
        EXPECT_EQ(stages.triangulation_calls, 1);
        EXPECT_NE(o.out.find(" 3 faces with PBR problems\n"
                             "    failed to triangulate component 0: the surface would have holes\n"),
                  std::string::npos)
            << o.out;
        EXPECT_EQ(o.out.find("terminated normally"), std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(dir.file("m.vert")));
        EXPECT_FALSE(std::filesystem::exists(dir.file("m.face")));
    }
}

TEST(Restart, AllStagesShareFiveAttempts) {
    FlakyStages stages;
    stages.reduced_failures = 2;
    stages.ses_failures = 1;
    stages.triangulation_failures = 10;
    TempDir dir;
    const Outcome o = run_with(stages, {}, dir);
    // Attempts 1-3 in the reduced surface, 4 for the surface, 5 for the
    // triangulation, which still fails: the run ends with an error.
    EXPECT_EQ(o.status, 1) << o.out;
    EXPECT_EQ(stages.attempts_seen, (std::vector<short>{1, 2, 3, 4, 5}));
    EXPECT_EQ(stages.triangulation_calls, 2);
    EXPECT_NE(o.out.find("Failed during triangulation, try again 5\n"), std::string::npos);
    EXPECT_NE(o.out.find("failed to triangulate component 0"), std::string::npos);
    EXPECT_EQ(o.out.find("VELMESH terminated normally\n"), std::string::npos);
}

// A stage that runs out of memory fails like a stage with problems: the
// restart frees everything and tries again, and when no attempt is left (or
// restarts are off) the run ends with status 1 instead of going on with what
// the stage left half built.
TEST(Restart, StagesOutOfMemoryTryAgainOrEndTheRun) {
    struct Case {
        FlakyStages::Stage stage;
        std::string try_again;
    };
    const std::vector<Case> cases = {
        {FlakyStages::reduced, "Failed to compute reduced surface -1, try again 2\n"},
        {FlakyStages::ses, " 1 faces with problems\nFailed to compute level 0 surface, try again 2\n"},
        {FlakyStages::triangulation, " 1 faces with PBR problems\nFailed during triangulation, try again 2\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.try_again);
        {
            FlakyStages stages;
            stages.memory_failures[c.stage] = 1;
            TempDir dir;
            const Outcome o = run_with(stages, {}, dir);
            EXPECT_EQ(o.status, 0) << o.out << o.err;
            EXPECT_EQ(o.err, "velmesh: not enough memory\n");
            EXPECT_NE(o.out.find(c.try_again), std::string::npos) << o.out;
            EXPECT_NE(o.out.find("VELMESH terminated normally\n"), std::string::npos);
            EXPECT_TRUE(std::filesystem::exists(dir.file("m.vert")));
        }
        for (const std::vector<std::string>& switches :
             {std::vector<std::string>{}, std::vector<std::string>{"-no_rest", "-no_rest_on"}}) {
            FlakyStages stages;
            stages.memory_failures[c.stage] = 100;
            TempDir dir;
            const Outcome o = run_with(stages, switches, dir);
            EXPECT_EQ(o.status, 1) << o.out << o.err;
            // The reduced surface tries again even with restarts off.
            const bool attempts = switches.empty() || c.stage == FlakyStages::reduced;
            EXPECT_EQ(occurrences(o.err, "velmesh: not enough memory\n"), attempts ? 5 : 1) << o.err;
            EXPECT_EQ(o.out.find("terminated normally"), std::string::npos) << o.out;
            EXPECT_FALSE(std::filesystem::exists(dir.file("m.vert")));
        }
    }
}

}  // namespace
