// The velmesh program itself: its exit statuses as the shell sees them and
// its two output streams.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>

#include "support/TempDir.h"
#include "surface/support/MeshChecker.h"

using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

struct ProgramRun {
    int status;
    std::string out;
    std::string err;
};

ProgramRun run_program(const TempDir& dir, const std::string& arguments, const std::string& input = "") {
    write_file(dir.file("stdin"), input);
    const std::string command = std::string("'") + VELMESH_PROGRAM + "' " + arguments + " < '" + dir.file("stdin") +
                                "' > '" + dir.file("stdout") + "' 2> '" + dir.file("stderr") + "'";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1000, read_file(dir.file("stdout")), read_file(dir.file("stderr"))};
}

TEST(Program, NoInputExitsWithMinusOne) {
    TempDir dir;
    const ProgramRun run = run_program(dir, "");
    EXPECT_EQ(run.status, 255);
    EXPECT_TRUE(run.out.ends_with("VELMESH: No input stream specified\n"));
    EXPECT_EQ(run.err, "");
}

TEST(Program, ExitStatusesOfUsageAndInputErrors) {
    TempDir dir;
    EXPECT_EQ(run_program(dir, "-").status, 0);
    EXPECT_EQ(run_program(dir, "-x").status, 1);
    EXPECT_EQ(run_program(dir, "-if '" + dir.file("none") + "'").status, 2);
    EXPECT_EQ(run_program(dir, "-if -", "0 0 0 0.1\n").status, 2);
}

TEST(Program, ComputesALoneSphereFromTheStandardInput) {
    TempDir dir;
    const ProgramRun run = run_program(dir, "-if - -de 3 -probe_radius 1.4 -no_header -of '" + dir.file("m") + "'",
                                       "5 6 7 2.2 1 0 FE\n");
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(run.out.ends_with("VELMESH terminated normally\n"));
    surface_testing::MeshCheckOptions options;
    options.spheres = {{5, 6, 7, 2.2}};
    options.probe_radius = 1.4;
    const auto check = surface_testing::check_mesh_files(dir.file("m.vert"), dir.file("m.face"), options);
    EXPECT_TRUE(check.ok()) << check.report();
}

}  // namespace
