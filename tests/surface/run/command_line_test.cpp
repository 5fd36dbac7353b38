#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/TempDir.h"
#include "surface/CommandLine.h"
#include "surface/Console.h"
#include "surface/RunState.h"
#include "surface/support/VelmeshRun.h"

using surface_testing::run_capture;
using testing_support::TempDir;
using testing_support::write_file;
using velmesh::RunState;

namespace {

const std::string kBanner =
    "VELMESH 1.0 started on Local PC\n"
    "Solvent-excluded surface of a set of spheres: reduced surface, areas, triangulation, volumes\n"
    "Compilation flags \n";

const std::string kUsage =
    "Usage : velmesh parameters \n"
    "  -probe_radius float : probe sphere radius, [1.5]\n"
    "  -density float      : surface points density, [1.0]\n"
    "  -hdensity float     : surface points high density, [3.0]\n"
    "  -surface <tses,ases>: triangulated or Analytical SES, [tses]\n"
    "  -no_area            : turns off the analytical surface area computation\n"
    "  -noh                : ignore atoms with radius 1.2\n"
    "  -no_rest_on_pbr     : no restart if pb. during triangulation\n"
    "  -no_rest            : no restart if pb. are encountered\n"
    "  -if filename        : sphere input file\n"
    "  -of filename        : output for triangulated surface\n"
    "  -af filename        : area file\n"
    "  -no_header         : do not add comment line to the output\n"
    "  -free_vertices      : turns on computation for isolated RS vertices\n"
    "  -all_components     : compute all the surfaces components\n"
    "  -one_cavity #atoms at1 [at2][at3] : Compute the surface for an internal"
    "                        cavity for which at least one atom is specified\n";

struct OutcomeCase {
    const char* title;
    std::vector<std::string> args;  // "@" stands for a one-sphere input file
    int status;
    std::string out;
    std::string err;
};

TEST(CommandLine, MessagesAndExitStatuses) {
    TempDir dir;
    const std::string spheres = dir.file("one.xyz");
    write_file(spheres, "0 0 0 1.6\n");
    const std::string input_line = "INPUT  " + spheres +
                                   " 1 spheres 0 collision only, radii  1.600 to  1.600\n"
                                   "PARAM  Probe_radius  1.500 density  1.000 hdensity  3.000\n";
    const OutcomeCase cases[] = {
        {"no arguments", {}, -1, kBanner + "VELMESH: No input stream specified\n", ""},
        {"no input file", {"-de", "2"}, -1, kBanner + "VELMESH: No input stream specified\n", ""},
        {"help", {"-help"}, 0, "", kUsage},
        {"- alone is help", {"-"}, 0, "", kUsage},
        {"help stops at once", {"-h", "-bogus"}, 0, "", kUsage},
        {"-if without a name", {"-if"}, 1, "", "ERROR: input file name is missing ... Bye"},
        {"-af without a name", {"-if", "@", "-af"}, 1, "", "input area file name is missing ... Bye"},
        {"-of without a name", {"-of"}, 1, "output file name is missing ... Bye", ""},
        {"unknown argument", {"-de", "2", "-x"}, 1, kBanner, "ERROR: -x unknown argument\n"},
        {"stray word", {"spheres.xyz"}, 1, kBanner, "ERROR: spheres.xyz unknown argument\n"},
        {"empty argument", {""}, 1, kBanner, "ERROR:  unknown argument\n"},
        {"-one_cavity with no atom", {"-one_cavity", "0"}, 1, "-one_cavity option requires at least one atom\n", ""},
        {"-one_cavity without its count", {"-one_cavity"}, 1, "-one_cavity option requires at least one atom\n", ""},
        {"-one_cavity short of indices", {"-one_cavity", "3", "1", "2"}, 1,
         "-one_cavity option the number of atoms followed by the index list\n", ""},
        {"negative probe radius", {"-probe_radius", "-1"}, 1, "", "ERROR: negative value -1 for -probe_radius\n"},
        {"negative density", {"-de", "-0.5"}, 1, "", "ERROR: negative value -0.5 for -density\n"},
        {"density beyond a float", {"-density", "1e39"}, 1, "", "ERROR: value 1e39 out of range for -density\n"},
        {"absurd high density", {"-hd", "2e6"}, 1, "", "ERROR: value 2e6 out of range for -hdensity\n"},
        {"absurd probe radius", {"-p", "1e7"}, 1, "", "ERROR: value 1e7 out of range for -probe_radius\n"},
        {"missing input file", {"-if", dir.file("none.xyz")}, 2,
         kBanner + "input file " + dir.file("none.xyz") + " couldn't be open ... Bye\n", ""},
        {"input is a folder", {"-if", dir.path().string()}, 2, kBanner + "Too many or Too few points : -1\n",
         "GET_ATOMS: read error after line 0\n"},
        {"bad -one_cavity index", {"-if", "@", "-one_cavity", "3", "0", "1", "-2"}, 1,
         kBanner + input_line +
             "Bad atom for one_cavity option 1 (min:0, max:1)\nBad atom for one_cavity option -2 (min:0, max:1)\n",
         ""},
    };
    for (const OutcomeCase& c : cases) {
        std::vector<std::string> args = c.args;
        for (std::string& a : args)
            if (a == "@") a = spheres;
        const auto result = run_capture(args);
        EXPECT_EQ(result.status, c.status) << c.title;
        EXPECT_EQ(result.out, c.out) << c.title;
        EXPECT_EQ(result.err, c.err) << c.title;
    }
}

TEST(CommandLine, InputErrorsEndWithStatusTwo) {
    struct Case {
        const char* input;
        std::string out_tail;
        std::string err;
    };
    const Case cases[] = {
        {"", "Too many or Too few points : 0\n", ""},
        {"# only a comment\n", "Too many or Too few points : 0\n", ""},
        {"0 0 0 0.1\n", "Atom 1 ignored, radius = 0.100000\nToo many or Too few points : 0\n", ""},
        {"0 0 0 1.5\n0 0 O 1.5\n", "Too many or Too few points : -1\n", "GET_ATOMS: malformed x[2] on line 2 0 0 O 1.5\n"},
    };
    for (const Case& c : cases) {
        const auto result = run_capture({"-if", "-"}, c.input);
        EXPECT_EQ(result.status, 2) << c.input;
        EXPECT_EQ(result.out, kBanner + c.out_tail) << c.input;
        EXPECT_EQ(result.err, c.err) << c.input;
    }
}

struct ParseCase {
    const char* title;
    std::vector<std::string> args;
    std::function<void(const RunState&)> expect;
};

TEST(CommandLine, OptionsMatchByPrefixOrByTheirFirstCharacters) {
    const ParseCase cases[] = {
        {"defaults",
         {},
         [](const RunState& r) {
             EXPECT_FLOAT_EQ(r.probe_radius, 1.5f);
             EXPECT_FLOAT_EQ(r.inv_probe_radius, 1 / 1.5f);
             EXPECT_FLOAT_EQ(r.density, 1.0f);
             EXPECT_FLOAT_EQ(r.sqrt_density, 1.0f);
             EXPECT_FLOAT_EQ(r.hdensity, 3.0f);
             EXPECT_FLOAT_EQ(r.sqrt_hdensity, std::sqrt(3.0f));
             EXPECT_EQ(r.want_triangulation, (std::array<bool, 3>{true, true, true}));
             EXPECT_EQ(r.want_analytical_ses, (std::array<bool, 3>{}));
             EXPECT_TRUE(r.do_area);
             EXPECT_TRUE(r.restart);
             EXPECT_TRUE(r.restart_on_triangulation);
             EXPECT_EQ(r.max_attempts, 5);
             EXPECT_EQ(r.attempt, 1);
             EXPECT_FLOAT_EQ(r.epsilon, 0.0001f);
             EXPECT_FALSE(r.input_given);
             EXPECT_FALSE(r.output_given);
         }},
        {"-de 2", {"-de", "2"}, [](const RunState& r) { EXPECT_FLOAT_EQ(r.density, 2); }},
        {"blanks are removed from numbers",
         {"-d", " 2 . 5 "},
         [](const RunState& r) {
             EXPECT_FLOAT_EQ(r.density, 2.5f);
             EXPECT_FLOAT_EQ(r.sqrt_density, std::sqrt(2.5f));
         }},
        {"-p 2.5", {"-p", "2.5"}, [](const RunState& r) {
             EXPECT_FLOAT_EQ(r.probe_radius, 2.5f);
             EXPECT_FLOAT_EQ(r.inv_probe_radius, 0.4f);
         }},
        {"probe radius 0 is the default", {"-probe_radius", "0"}, [](const RunState& r) { EXPECT_FLOAT_EQ(r.probe_radius, 1.5f); }},
        {"probe radius not a number is the default", {"-probe_radius", "big"},
         [](const RunState& r) { EXPECT_FLOAT_EQ(r.probe_radius, 1.5f); }},
        {"probe radius as the last argument", {"-probe_radius"}, [](const RunState& r) { EXPECT_FLOAT_EQ(r.probe_radius, 1.5f); }},
        {"-hd 5 and -hdensity 0", {"-hd", "5", "-hdensity", "0"}, [](const RunState& r) { EXPECT_FLOAT_EQ(r.hdensity, 3.0f); }},
        {"-hd 5", {"-hd", "5"}, [](const RunState& r) { EXPECT_FLOAT_EQ(r.hdensity, 5.0f); }},
        {"-no is -no_area", {"-no"}, [](const RunState& r) { EXPECT_FALSE(r.do_area); }},
        {"-ifoo takes the next argument", {"-ifoo", "name.xyz"}, [](const RunState& r) {
             EXPECT_TRUE(r.input_given);
             EXPECT_EQ(r.input_path, "name.xyz");
         }},
        {"-surface last selects the triangulation", {"-surface"}, [](const RunState& r) {
             EXPECT_TRUE(r.surface_given);
             EXPECT_EQ(r.want_triangulation, (std::array<bool, 3>{true, true, true}));
         }},
        {"-surface asesX selects the analytical surface", {"-s", "asesX"}, [](const RunState& r) {
             EXPECT_EQ(r.want_analytical_ses, (std::array<bool, 3>{true, true, true}));
             EXPECT_EQ(r.want_triangulation, (std::array<bool, 3>{}));
         }},
        {"-surface tses", {"-surface", "tses"}, [](const RunState& r) {
             EXPECT_EQ(r.want_triangulation, (std::array<bool, 3>{true, true, true}));
             EXPECT_EQ(r.want_analytical_ses, (std::array<bool, 3>{}));
         }},
        {"-no_rest_on_pbr", {"-no_rest_on_pbr"}, [](const RunState& r) {
             EXPECT_FALSE(r.restart_on_triangulation);
             EXPECT_TRUE(r.restart);
         }},
        {"-no_rest", {"-no_rest"}, [](const RunState& r) {
             EXPECT_TRUE(r.restart_on_triangulation);
             EXPECT_FALSE(r.restart);
         }},
        {"-no_resting also is -no_rest", {"-no_resting"}, [](const RunState& r) { EXPECT_FALSE(r.restart); }},
        {"switches",
         {"-noh", "-all", "-no_header", "-free", "-no_h"},
         [](const RunState& r) {
             EXPECT_TRUE(r.noh);
             EXPECT_TRUE(r.all_components);
             EXPECT_TRUE(r.no_header);
             EXPECT_TRUE(r.free_vertices);
         }},
        {"-of", {"-of", "out/base"}, [](const RunState& r) {
             EXPECT_TRUE(r.output_given);
             EXPECT_EQ(r.output_base, "out/base");
         }},
        {"-one_cavity with more than three atoms", {"-one_cavity", "4", "1", "2", "3", "40"},
         [](const RunState& r) {
             EXPECT_TRUE(r.one_cavity);
             EXPECT_EQ(r.one_cavity_count, 4);
             EXPECT_EQ(r.one_cavity_atoms, (std::vector<int>{1, 2, 3, 40}));
         }},
        {"-one_cavity truncates its numbers", {"-o", "2.7", "3", "4.9", "-noh"}, [](const RunState& r) {
             EXPECT_EQ(r.one_cavity_atoms, (std::vector<int>{3, 4}));
             EXPECT_TRUE(r.noh);
         }},
        {"long names are kept whole", {"-if", std::string(400, 'i'), "-of", std::string(300, 'o')},
         [](const RunState& r) {
             EXPECT_EQ(r.input_path, std::string(400, 'i'));
             EXPECT_EQ(r.output_base, std::string(300, 'o'));
         }},
    };
    for (const ParseCase& c : cases) {
        RunState run;
        velmesh::parse_command_line(run, c.args);
        velmesh::apply_defaults(run);
        SCOPED_TRACE(c.title);
        c.expect(run);
    }
}

TEST(CommandLine, AreaFileTakesTheAreaExtension) {
    const std::string long_name(300, 'a');
    const std::pair<std::string, std::string> cases[] = {
        {"out/model.pdb", "out/model.area"},
        {"model", "model.area"},
        {"model.", "model.area"},
        {"run.v2/model", "run.v2/model.area"},
        {"a.b/c.d.e", "a.b/c.d.area"},
        {"c:\\dir.x\\model", "c:\\dir.x\\model.area"},
        {"c:\\dir.x\\model.pqr", "c:\\dir.x\\model.area"},
        {"disk:[dir.sub]model.pdb", "disk:[dir.sub]model.area"},
        {long_name, long_name + ".area"},
    };
    for (const auto& [name, expected] : cases) {
        RunState run;
        velmesh::parse_command_line(run, {"-af", name});
        EXPECT_TRUE(run.area_file_given);
        EXPECT_EQ(run.area_file, expected) << name;
    }
}

}  // namespace
