#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "surface/support/VelmeshRun.h"
#include "surface/CommandLine.h"
#include "surface/RunState.h"
#include "surface/input/SphereReader.h"

using surface_testing::CapturedConsole;
using velmesh::RunState;

namespace {

struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// Reads the text as a sphere file into a run with the default parameters.
struct Read {
    RunState run;
    int result = 0;
    std::string out;
    std::string err;
};

std::unique_ptr<Read> read_spheres(const std::string& text, bool noh = false) {
    auto read = std::make_unique<Read>();
    read->run.noh = noh;
    read->run.input_path = "spheres.xyz";
    velmesh::apply_defaults(read->run);
    std::unique_ptr<std::FILE, Closer> file(std::tmpfile());
    std::fwrite(text.data(), 1, text.size(), file.get());
    std::rewind(file.get());
    CapturedConsole console;
    read->result = velmesh::get_atom_no_num(read->run, file.get(), true);
    read->out = console.out();
    read->err = console.err();
    return read;
}

struct SphereCase {
    const char* line;
    int flags;
    int sixth;
    const char* name;
};

TEST(SphereReader, ReadsTheOptionalColumns) {
    const SphereCase cases[] = {
        {"1 2 3 1.5", 1, 0, ""},
        {"1 2 3 1.5 0", 0, 0, ""},
        {"1 2 3 1.5 1 7", 1, 7, "7"},
        {"1 2 3 1.5 1 7 CA", 1, 7, "CA"},
        {"1 2 3 1.5 1 CA", 1, 0, "CA"},
        {"1 2 3 1.5 1 1 \"C A\"", 1, 1, "C A"},
        {"1 2 3 1.5 2 1 ''", 2, 1, ""},
        {"1 2 3 1.5 1 7 CA extra", 1, 7, ""},
        {"  1\t2 3 1.5 1 7 CA\r", 1, 7, "CA"},
    };
    for (const SphereCase& c : cases) {
        const auto read = read_spheres(std::string(c.line) + "\n");
        ASSERT_EQ(read->result, 1) << c.line << read->out << read->err;
        const velmesh::Atom& atom = read->run.atoms.at(0);
        EXPECT_EQ(atom.x, 1.0f);
        EXPECT_EQ(atom.y, 2.0f);
        EXPECT_EQ(atom.z, 3.0f);
        EXPECT_EQ(atom.r, 1.5f);
        EXPECT_EQ(atom.flags, c.flags) << c.line;
        EXPECT_EQ(atom.sixth_column, c.sixth) << c.line;
        EXPECT_EQ(atom.name, c.name) << c.line;
        EXPECT_EQ(read->run.sphere_count, c.flags != 0 ? 1 : 0) << c.line;
        EXPECT_EQ(read->run.collision_only_count, c.flags == 0 ? 1 : 0) << c.line;
    }
}

struct FileCase {
    const char* title;
    const char* text;
    bool noh;
    int result;
    const char* out;
    const char* err;
};

TEST(SphereReader, ReportsDroppedAndMalformedLinesWithTheirNumbers) {
    const FileCase cases[] = {
        {"last line without line end is read", "1 2 3 1.5\n4 5 6 2", false, 2, "", ""},
        {"comments only", "# a\n#b\n", false, 0, "", ""},
        {"radius 0.2 ignored, 0.21 taken", "0 0 0 0.2\n0 0 0 0.21\n", false, 1,
         "Atom 1 ignored, radius = 0.200000\n", ""},
        {"comments are not counted as atoms", "# x\n0 0 0 0.1\n", false, 0, "Atom 1 ignored, radius = 0.100000\n", ""},
        {"-noh drops 1.205 but keeps 1.21", "0 0 0 1.205\n0 0 0 1.21\n0 0 0 1.2\n", true, 1,
         "Atom 1 ignored, radius = 1.205000\nAtom 3 ignored, radius = 1.200000\n", ""},
        {"without -noh 1.2 is taken", "0 0 0 1.2\n", false, 1, "", ""},
        {"missing columns drop the line", "1 2 3 1.5\n\n1 2 3\n1\n", false, 1,
         "GET_ATOMS: x[0] missing on line 2 \nGET_ATOMS: r missing on line 3 1 2 3\n"
         "GET_ATOMS: x[1] missing on line 4 1\n",
         ""},
        {"a malformed radius fails the file", "1 2 3 1.5\n1 2 3 1.5x\n", false, -1, "",
         "GET_ATOMS: malformed r on line 2 1 2 3 1.5x\n"},
        {"every malformed line is reported", "# c\n1 2,0 3 1.5\n1 2 3 1.5\nx 2 3 1.5\n1 2 3 1e39\n", false, -1, "",
         "GET_ATOMS: malformed x[1] on line 2 1 2,0 3 1.5\nGET_ATOMS: malformed x[0] on line 4 x 2 3 1.5\n"
         "GET_ATOMS: malformed r on line 5 1 2 3 1e39\n"},
        {"a malformed flag fails the file", "1 2 3 1.5 yes 1 CA\n", false, -1, "",
         "GET_ATOMS: malformed flags on line 1 1 2 3 1.5 yes 1 CA\n"},
        {"an empty quoted coordinate is malformed", "1 \"\" 3 1.5\n", false, -1, "",
         "GET_ATOMS: malformed x[1] on line 1 1 \"\" 3 1.5\n"},
    };
    for (const FileCase& c : cases) {
        const auto read = read_spheres(c.text, c.noh);
        EXPECT_EQ(read->result, c.result) << c.title;
        EXPECT_EQ(read->out, c.out) << c.title;
        EXPECT_EQ(read->err, c.err) << c.title;
    }
}

TEST(SphereReader, ReadsLinesOfAnyLengthWhole) {
    const std::string name(500, 'N');
    const auto read = read_spheres("1 2 3 1.5 1 0 " + name + "\n4 5 6 1.7\n");
    ASSERT_EQ(read->result, 2);
    EXPECT_EQ(read->run.atoms[0].name, name);
    EXPECT_EQ(read->run.atoms[1].r, 1.7f);
}

TEST(SphereReader, RecordsTheRadiusRangeAndTheInputName) {
    const auto read = read_spheres("0 0 0 2.5\n0 0 0 0.7\n0 0 0 1.1 0\n");
    ASSERT_EQ(read->result, 3);
    EXPECT_EQ(read->run.min_radius, 0.7f);
    EXPECT_EQ(read->run.max_radius, 2.5f);
    EXPECT_EQ(read->run.input_name, "spheres.xyz");
    EXPECT_EQ(read->run.sphere_count, 2);
    EXPECT_EQ(read->run.collision_only_count, 1);
}

TEST(RadiusClasses, ProbeRadiusIsClassZeroAndEachOtherRadiusOpensOne) {
    const auto read = read_spheres("0 0 0 1.5\n0 0 0 2\n0 0 0 1.7\n0 0 0 2\n0 0 0 1.5 1 1\n");
    ASSERT_EQ(read->result, 5);
    const RunState& run = read->run;
    ASSERT_EQ(run.radius_class_count(), 3);
    const short expected[] = {0, 1, 2, 1, 0};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(run.atoms[i].radius_class, expected[i]) << i;
    const float radii[] = {1.5f, 2.0f, 1.7f};
    int largest = 0;
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(run.templates[c].radius, radii[c]);
        EXPECT_EQ(run.htemplates[c].radius, radii[c]);
        // trunc(4 pi r^2 density) wanted; the rings take at most that many.
        EXPECT_GT(run.templates[c].point_count(), 0);
        EXPECT_LE(run.templates[c].point_count(), static_cast<int>(12.5663706 * radii[c] * radii[c]));
        EXPECT_GT(run.htemplates[c].point_count(), run.templates[c].point_count());
        largest = std::max({largest, run.templates[c].point_count(), run.htemplates[c].point_count()});
    }
    EXPECT_EQ(run.max_template_vertices, largest);
    EXPECT_EQ(static_cast<int>(run.dots.size()), largest);
    EXPECT_EQ(run.circle_points, 6);    // trunc(2 pi)
    EXPECT_EQ(run.hcircle_points, 10);  // trunc(2 pi sqrt 3)
    // The sixth column 1 selects the high-density template.
    EXPECT_EQ(&run.template_of(run.atoms[4]), &run.htemplates[0]);
    EXPECT_EQ(&run.template_of(run.atoms[0]), &run.templates[0]);
}

std::string distinct_radii(int count) {
    std::string text;
    char line[64];
    for (int i = 0; i < count; ++i) {
        std::snprintf(line, sizeof line, "0 0 0 %.4f\n", 0.3 + 0.0005 * i);
        text += line;
    }
    return text;
}

TEST(RadiusClasses, TwoThousandClassesAtMostCountingTheProbe) {
    const auto fits = read_spheres(distinct_radii(1999));
    EXPECT_EQ(fits->result, 1999);
    EXPECT_EQ(fits->run.radius_class_count(), 2000);

    const auto refused = read_spheres(distinct_radii(2000));
    EXPECT_EQ(refused->result, -1);
    EXPECT_EQ(refused->run.rs_failed, 1);
    EXPECT_EQ(refused->out, "Too many spheres with different radius\n");
}

}  // namespace
