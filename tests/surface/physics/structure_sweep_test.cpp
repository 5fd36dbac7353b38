// velmesh over real structures: the proteins of the fixtures and, where
// Debian's pymol-data is installed, two more of its own (with and without
// their hydrogens), at probes from 1.0 to 3.0, densities 1 and 3, the outer
// surface alone and -all_components. Every run ends normally without a
// warning; every mesh is closed, consistently oriented and of the analytical
// genus (of the radii the last attempt used), has no triangle of no area,
// and every vertex has a probe at its normal that touches a sphere and
// enters none, and lies in no sphere (SurfaceSweep.h). Each structure is a
// test of its own, so that they run side by side; what made the runs that
// restarted restart is printed.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <map>
#include <ostream>
#include <string>

#include "surface/support/PdbSpheres.h"
#include "surface/support/SurfaceSweep.h"

namespace {

struct Structure {
    std::string name;
    std::string path;        // a sphere file (.xyz) or a structure file (.pdb)
    double hydrogens = 0;    // their radius; 0 leaves them out
};

// Shown by name in test names and reports.
void PrintTo(const Structure& s, std::ostream* out) { *out << s.name; }

std::string fixture(const std::string& name) { return std::string(ZELMAR_FIXTURES) + "/" + name; }

const Structure kStructures[] = {
    {"1hpv", fixture("spheres/1hpv.xyz")},
    {"1tii", fixture("spheres/1tii.xyz")},
    {"pept", fixture("proteins/pept.pdb")},
    {"3al1", fixture("proteins/3al1.pdb")},
    {"3al1 with hydrogens", fixture("proteins/3al1.pdb"), 1.2},
    {"il2", "/usr/share/pymol/data/demo/il2.pdb"},
    {"il2 with hydrogens", "/usr/share/pymol/data/demo/il2.pdb", 1.2},
    {"helix_amber with hydrogens", "/usr/share/pymol/test/dat/helix_amber.pdb", 1.2},
};

// The problem a restart reports, its numbers left out: "problem in the
// reduced surface: the probe rolls about edge N-N of face ...".
std::string cause_of(const std::string& line) {
    std::string cause;
    bool in_number = false;
    for (const char c : line.substr(line.find("problem in the"))) {
        const bool digit = c >= '0' && c <= '9';
        if (!digit) cause += c;
        else if (!in_number) cause += 'N';
        in_number = digit;
    }
    return cause;
}

class StructureSweep : public testing::TestWithParam<Structure> {};

TEST_P(StructureSweep, EveryRunEndsNormallyWithEveryVertexOnTheSurface) {
    const Structure& s = GetParam();
    if (!std::filesystem::exists(s.path)) GTEST_SKIP() << s.path << " is not installed";
    const std::vector<surface_testing::TestSphere> spheres = s.path.ends_with(".xyz")
                                                                 ? surface_testing::read_spheres(s.path)
                                                                 : surface_testing::read_pdb_spheres(s.path, s.hydrogens);
    ASSERT_GT(spheres.size(), 50u);
    int runs = 0, restarted = 0;
    std::map<std::string, int> causes;
    for (const double probe : {1.0, 1.4, 2.0, 3.0})
        for (const double density : {1.0, 3.0})
            for (const bool all : {false, true}) {
                surface_testing::SweepCase c;
                c.spheres = spheres;
                c.probe = probe;
                c.density = density;
                c.all_components = all;
                c.envelope = false;
                const surface_testing::SweepResult result = surface_testing::sweep_case(c);
                ++runs;
                EXPECT_TRUE(result.ok()) << s.name << " probe " << probe << " density " << density
                                         << (all ? " -all_components" : "") << ": " << result.report();
                if (result.restarted) ++restarted;
                for (const std::string& line : result.problems) ++causes[cause_of(line)];
            }
    std::printf("%s: %d runs, %d restarted\n", s.name.c_str(), runs, restarted);
    for (const auto& [cause, count] : causes) std::printf("  %d x %s\n", count, cause.c_str());
}

INSTANTIATE_TEST_SUITE_P(Proteins, StructureSweep, testing::ValuesIn(kStructures),
                         [](const testing::TestParamInfo<Structure>& info) {
                             std::string name;
                             for (const char c : info.param.name) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

}  // namespace
