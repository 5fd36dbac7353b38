// The display surfaces the viewer's engine writes while it prepares a
// species: the sphere file and velmesh's surface as a shape file, and the
// faces of the surface cells towards the solvent.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "dynamics/PDcalc.h"
#include "dynamics/species/GridIndex.h"
#include "dynamics/species/PROT_CLASS.h"
#include "support/CommaLocale.h"
#include "support/LoggedText.h"
#include "support/TempDir.h"
#include "utils/config/ConfCreate.h"
#include "visualization/ShapeFile.h"
#include "visualization/surfaces/SurfaceText.h"
#include "visualization/surfaces/vis_velmesh.h"

namespace {

namespace fs = std::filesystem;
using testing_support::logged_text;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

ATOM atom_at(double x, double y, double z) {
    ATOM atom{};
    atom.x = x;
    atom.y = y;
    atom.z = z;
    atom.r = 1.5e-10;
    return atom;
}

// An engine with its folders in `folder` (which may carry any characters)
// and one species whose configuration section holds `keys`.
class Surfaces : public testing::Test {
protected:
    void set_up(const std::string& keys, const std::string& folder_name = "run") {
        root = dir.path() / folder_name;
        fs::create_directories(root / "bin");
        fs::create_directories(root / "runtime");
        fs::create_directories(root / "vis");
        engine.bin_folder = (root / "bin").string() + "/";
        engine.runtime_folder = (root / "runtime").string() + "/";
        engine.vis_folder = (root / "vis").string() + "/";
        engine.no_overwrite = false;
        engine.solvent_r = 1.5;
        write_file(dir.file("species.cfg"), "S { " + keys + " }\n");
        SConfigParams params;
        params.mode = ConfMode::read;
        config = ConfCreate(dir.file("species.cfg").c_str(), &params);
        ASSERT_NE(config, nullptr);
        species.name = "S";
        species.section = config->GetSection("S", -1);
        ASSERT_NE(species.section, nullptr);
    }

    // A stand-in velmesh in the bin folder: it records its argument vector
    // one "[argument]" a line, writes `vert` and `face` beside its output
    // name (the ninth argument), says something and exits with `status`.
    void stand_in(const std::string& vert, const std::string& face, int status) {
        const std::string script = (root / "bin" / "velmesh").string();
        std::string text = "#!/bin/sh\n"
                           "record=\"$(dirname \"$0\")/arguments\"\n"
                           ": > \"$record\"\n"
                           "for a in \"$0\" \"$@\"; do printf '[%s]\\n' \"$a\" >> \"$record\"; done\n";
        if (!vert.empty()) text += "printf '" + vert + "' > \"${9}.vert\"\n";
        if (!face.empty()) text += "printf '" + face + "' > \"${9}.face\"\n";
        text += "echo 'stand-in: bad spheres' >&2\necho 'stand-in: giving up'\nexit " + std::to_string(status) + "\n";
        write_file(script, text);
        ::chmod(script.c_str(), 0755);
    }
    std::string recorded_arguments() const { return read_file((root / "bin" / "arguments").string()); }

    std::string run_velmesh() {
        return logged_text([&] { velmesh_surface(species, engine); });
    }

    TempDir dir;
    fs::path root;
    PDcalc engine;
    std::unique_ptr<Config> config;
    PROT_CLASS species;
};

TEST_F(Surfaces, GridScalesPositionsAndRadiusAndTheSurfaceReadBack) {
    set_up(R"(velmesh = "S.xyzr"  velmesh_grid = 2  velmesh_r = 1.5  velmesh_de = 3  surface = "S.shape")");
    species.atoms = {atom_at(1e-9, 0, 0), atom_at(0, -4e-10, 2e-10)};
    stand_in("1 2 3\\n2 2 2 0.5 0.5 0.5\\n3 3 3\\n", "1 2 3\\n3 2 1\\n", 0);
    const std::string log = run_velmesh();
    EXPECT_EQ(read_file(engine.runtime_folder + "S.xyzr"),
              "5.000000\t0.000000\t0.000000\t0.750000\n0.000000\t-2.000000\t1.000000\t0.750000\n");
    EXPECT_EQ(read_file(engine.vis_folder + "S.shape"),
              "6\n 2.0\t 4.0\t 6.0\n 4.0\t 4.0\t 4.0\n 6.0\t 6.0\t 6.0\n 6.0\t 6.0\t 6.0\n 4.0\t 4.0\t 4.0\n 2.0\t 4.0\t 6.0\n");
    const std::string base = engine.runtime_folder + "S.xyzr";
    EXPECT_EQ(recorded_arguments(), "[" + engine.bin_folder + "velmesh]\n[-if]\n[" + base +
                                        "]\n[-de]\n[3.000000]\n[-probe_radius]\n[0.750000]\n[-no_header]\n[-of]\n[" +
                                        base + "]\n");
    EXPECT_TRUE(contains(log, "message: " + engine.bin_folder + "velmesh -if " + base)) << log;
    EXPECT_FALSE(contains(log, "warning: velmesh") || contains(log, "warning: species")) << log;
}

TEST_F(Surfaces, WithoutSurfaceOnlyTheSphereFileIsWritten) {
    set_up(R"(velmesh = "S.xyzr")");
    species.atoms = {atom_at(1e-10, 2e-10, 3e-10)};
    stand_in("0 0 0\\n", "1 1 1\\n", 0);
    const std::string log = run_velmesh();
    // The radius is the engine's solvent_r.
    EXPECT_EQ(read_file(engine.runtime_folder + "S.xyzr"), "1.000000\t2.000000\t3.000000\t1.500000\n");
    EXPECT_FALSE(fs::exists(root / "bin" / "arguments"));
    EXPECT_EQ(std::distance(fs::directory_iterator(root / "vis"), fs::directory_iterator()), 0);
}

TEST_F(Surfaces, WithoutVelmeshNothingIsWritten) {
    set_up(R"(surface = "S.shape")");
    species.atoms = {atom_at(0, 0, 0)};
    run_velmesh();
    EXPECT_EQ(std::distance(fs::directory_iterator(root / "runtime"), fs::directory_iterator()), 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(root / "vis"), fs::directory_iterator()), 0);
}

TEST_F(Surfaces, FolderNamesReachVelmeshAsTheyAreAndBadFacesAndItsFailureAreReported) {
    set_up(R"(velmesh = "S $(touch owned).xyzr"  surface = "S.shape"  solvent_r = 2)", "run dir 'q' $(touch owned)");
    species.atoms = {atom_at(0, 0, 0)};
    stand_in("0 0 0\\n1 0 0\\n0 1 0\\n", "1 2 3\\n0 1 2\\n1 2 4\\n3 2 1\\n", 3);
    const std::string log = run_velmesh();
    const std::string base = engine.runtime_folder + "S $(touch owned).xyzr";
    EXPECT_EQ(recorded_arguments(), "[" + engine.bin_folder + "velmesh]\n[-if]\n[" + base +
                                        "]\n[-de]\n[1.000000]\n[-probe_radius]\n[2.000000]\n[-no_header]\n[-of]\n[" +
                                        base + "]\n");
    for (const fs::path& where : {fs::current_path(), root, root / "bin", root / "runtime", dir.path()})
        EXPECT_FALSE(fs::exists(where / "owned")) << where;
    EXPECT_EQ(read_file(engine.vis_folder + "S.shape"), "6\n 0.0\t 0.0\t 0.0\n 1.0\t 0.0\t 0.0\n 0.0\t 1.0\t 0.0\n"
                                                        " 0.0\t 1.0\t 0.0\n 1.0\t 0.0\t 0.0\n 0.0\t 0.0\t 0.0\n");
    for (const std::string& line : std::vector<std::string>{"warning: velmesh for species S ended with exit status 3",
                                   "warning: velmesh: stand-in: bad spheres", "warning: velmesh: stand-in: giving up",
                                   "warning: species S: 2 faces of " + base + ".face name vertices that " + base +
                                       ".vert does not hold (3 vertices): skipped"})
        EXPECT_TRUE(contains(log, line)) << line << "\n" << log;
}

TEST_F(Surfaces, AVelmeshThatCannotStartOrWritesNoFacesLeavesNoSurfaceAndSaysWhy) {
    set_up(R"(velmesh = "S.xyzr"  surface = "S.shape")");
    species.atoms = {atom_at(0, 0, 0)};
    std::string log = run_velmesh();
    EXPECT_TRUE(contains(log, "warning: velmesh for species S could not be started (No such file or directory): "
                              "no surface"))
        << log;
    EXPECT_FALSE(fs::exists(engine.vis_folder + "S.shape"));

    // A face file left by an earlier run is not taken for this run's.
    write_file(engine.runtime_folder + "S.xyzr.face", "1 1 1\n");
    stand_in("0 0 0\\n", "", 0);
    log = run_velmesh();
    EXPECT_TRUE(contains(log, "warning: velmesh for species S wrote no " + engine.runtime_folder +
                                  "S.xyzr.face: no surface"))
        << log;
    EXPECT_TRUE(contains(log, "warning: velmesh: stand-in: bad spheres")) << log;
    EXPECT_FALSE(fs::exists(engine.vis_folder + "S.shape"));
}

TEST_F(Surfaces, RealVelmeshGivesWholeTrianglesAroundTheAtoms) {
    set_up(R"(velmesh = "S.xyzr"  surface = "S.shape"  velmesh_r = 1.5)");
    species.atoms = {atom_at(0, 0, 0), atom_at(2.5e-10, 0, 0), atom_at(0, 2.5e-10, 0), atom_at(0, 0, 2.5e-10),
                     atom_at(-2e-10, -1e-10, 1e-10)};
    const fs::path velmesh = VELMESH_PROGRAM;
    engine.bin_folder = velmesh.parent_path().string() + "/";
    const std::string log = run_velmesh();
    EXPECT_FALSE(contains(log, "warning: velmesh") || contains(log, "warning: species")) << log;
    const std::string text = read_file(engine.vis_folder + "S.shape");
    const ShapeText shape = read_shape_text(text);
    EXPECT_EQ(shape.problem, "");
    ASSERT_GT(shape.mesh.triangle_count(), 100u);
    // The count line counts the vertex lines: three for each face.
    const auto lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    EXPECT_EQ(text.substr(0, text.find('\n')), std::to_string(lines - 1));
    EXPECT_EQ((lines - 1) % 3, 0u);
    // Every vertex lies in the atoms' box grown by the radius (and the
    // rounding of the file's one decimal).
    const double grown = 1.5 + 0.05 + 1e-9;
    for (const CVector& v : shape.mesh.vertices) {
        EXPECT_TRUE(v.x >= -2 - grown && v.x <= 2.5 + grown) << v.x;
        EXPECT_TRUE(v.y >= -1 - grown && v.y <= 2.5 + grown) << v.y;
        EXPECT_TRUE(v.z >= -grown && v.z <= 2.5 + grown) << v.z;
    }
}

// ---- velmesh's files as a shape file -----------------------------------------

struct ConversionCase {
    const char* name;
    const char* vert;
    const char* face;
    double grid;
    const char* shape;
    std::size_t skipped;
};

class VelmeshConversion : public testing::TestWithParam<ConversionCase> {};

TEST_P(VelmeshConversion, KeepsTheFacesWhoseVerticesAreThere) {
    const ConversionCase& c = GetParam();
    const VelmeshShape shape = velmesh_shape_text(c.vert, c.face, c.grid);
    EXPECT_EQ(shape.text, c.shape);
    EXPECT_EQ(shape.skipped_faces, c.skipped);
}

INSTANTIATE_TEST_SUITE_P(
    Table, VelmeshConversion,
    testing::Values(
        ConversionCase{"Plain", "0 0 0\n1 0 0\n0 1 0\n", "1 2 3\n", 1, "3\n 0.0\t 0.0\t 0.0\n 1.0\t 0.0\t 0.0\n 0.0\t 1.0\t 0.0\n", 0},
        ConversionCase{"NormalsAndCrLf", "0 0 0 0 0 1\r\n1.25 0 0 0 0 1\r\n0 1 0 0 0 1\r\n", "1 2 3 7\r\n", 2,
                       "3\n 0.0\t 0.0\t 0.0\n 2.5\t 0.0\t 0.0\n 0.0\t 2.0\t 0.0\n", 0},
        ConversionCase{"HeaderStopsTheVertices", "x y z\n0 0 0\n1 0 0\n0 1 0\n", "1 2 3\n", 1, "0\n", 1},
        ConversionCase{"IndexZeroAndPastTheEnd", "0 0 0\n1 0 0\n0 1 0\n", "0 1 2\n1 2 4\n3 2 1\n", 1,
                       "3\n 0.0\t 1.0\t 0.0\n 1.0\t 0.0\t 0.0\n 0.0\t 0.0\t 0.0\n", 2},
        ConversionCase{"FacesEndAtALineThatDoesNotParse", "0 0 0\n1 0 0\n0 1 0\n", "1 2 3\nend\n3 2 1\n", 1,
                       "3\n 0.0\t 0.0\t 0.0\n 1.0\t 0.0\t 0.0\n 0.0\t 1.0\t 0.0\n", 0},
        ConversionCase{"LongLinesAreWhole",
                       "0 0 0                                                                                   "
                       "                                                                                        "
                       "                                                                       9 9 9\n1 0 0\n0 1 0\n",
                       "1 2 3\n", 1, "3\n 0.0\t 0.0\t 0.0\n 1.0\t 0.0\t 0.0\n 0.0\t 1.0\t 0.0\n", 0}),
    [](const testing::TestParamInfo<ConversionCase>& info) { return std::string(info.param.name); });

TEST(VelmeshConversionLocale, DecimalCommaLocaleReadsAndWritesPoints) {
    testing_support::CommaLocale comma;
    if (!comma.active()) GTEST_SKIP() << "no decimal-comma locale on this system";
    EXPECT_EQ(velmesh_shape_text("0.5 0 0\n1 0.25 0\n0 1 0\n", "1 2 3\n", 1).text,
              "3\n 0.5\t 0.0\t 0.0\n 1.0\t 0.2\t 0.0\n 0.0\t 1.0\t 0.0\n");
}

// ---- surface cells -------------------------------------------------------------

// A grid of 5 cells per edge, 2 Å each, all solvent but the cells `protein`.
std::vector<double> grid_with(const std::vector<std::array<int, 3>>& protein) {
    std::vector<double> eps(125, 80.0);
    for (const auto& [i, j, k] : protein) eps[static_cast<std::size_t>(lin(5, i, j, k))] = 2.0;
    return eps;
}

std::size_t vertex_lines(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) - 1;
}

TEST(SurfaceCells, ACellAmongSolventGivesThirtySixVertexLinesAndCountsThem) {
    const std::string text = cells_shape_text(grid_with({{2, 2, 2}}), 5, 2.0, {2}, {2}, {2});
    EXPECT_EQ(vertex_lines(text), 36u);
    EXPECT_EQ(text.substr(0, 3), "36\n");
    // The x - 1 face first: corners (0,0,0) (0,0,1) (0,1,1), (0,0,0) (0,1,0) (0,1,1) of the cell at 0 Å.
    EXPECT_EQ(text.substr(3, 36), "0\t0\t0\n0\t0\t2\n0\t2\t2\n0\t0\t0\n0\t2\t0\n0\t2\t2\n");
    // The z + 1 face last.
    EXPECT_EQ(text.substr(text.size() - 36), "0\t0\t2\n0\t2\t2\n2\t2\t2\n0\t0\t2\n2\t0\t2\n2\t2\t2\n");
}

TEST(SurfaceCells, OnlyFacesTowardsSolventAndInsideTheGridAreWritten) {
    // Two protein cells side by side: the face between them is not written.
    EXPECT_EQ(cells_shape_text(grid_with({{2, 2, 2}, {1, 2, 2}}), 5, 2.0, {2, 1}, {2, 2}, {2, 2}).substr(0, 3), "60\n");
    // A cell at the grid's edge: the neighbour outside is not read.
    EXPECT_EQ(cells_shape_text(grid_with({{0, 2, 2}}), 5, 2.0, {0}, {2}, {2}).substr(0, 3), "30\n");
    // Permittivity of 60 is not solvent.
    std::vector<double> eps = grid_with({{2, 2, 2}});
    eps[static_cast<std::size_t>(lin(5, 3, 2, 2))] = 60.0;
    EXPECT_EQ(cells_shape_text(eps, 5, 2.0, {2}, {2}, {2}).substr(0, 3), "30\n");
}

TEST_F(Surfaces, CellsFileIsWrittenWithItsOwnCountAndNoOverwriteKeepsAnExistingOne) {
    set_up(R"(cells = "S.cells")");
    species.pot_n = 5;
    species.eps = grid_with({{2, 2, 2}});
    engine.h = 2e-10;
    // The count passed along is not the file's.
    logged_text([&] { surf_cells_save(species, engine, 99, {2}, {2}, {2}); });
    const std::string text = read_file(engine.vis_folder + "S.cells");
    EXPECT_EQ(text.substr(0, 3), "36\n");
    EXPECT_EQ(read_shape_text(text).mesh.triangle_count(), 12u);

    engine.no_overwrite = true;
    write_file(engine.vis_folder + "S.cells", "kept\n");
    const std::string log = logged_text([&] { surf_cells_save(species, engine, 99, {2}, {2}, {2}); });
    EXPECT_EQ(read_file(engine.vis_folder + "S.cells"), "kept\n");
    EXPECT_TRUE(contains(log, "file already exists")) << log;
}

}  // namespace
