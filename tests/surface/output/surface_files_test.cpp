#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <sys/resource.h>

#include "support/TempDir.h"
#include "surface/RunState.h"
#include "surface/output/AreaFile.h"
#include "surface/output/SurfaceFiles.h"
#include "surface/support/MeshChecker.h"
#include "surface/support/VelmeshRun.h"

using surface_testing::CapturedConsole;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;
using velmesh::FaceKind;
using velmesh::RunState;

namespace {

// A run with two named spheres and the given tables.
struct Fixture {
    RunState run;
    velmesh::SES_component component;

    Fixture() {
        run.input_path = "in.xyz";
        run.density = 2.5f;
        run.probe_radius = 1.4f;
        run.atoms.resize(2);
        run.atoms[0].name = "CA";
        run.atoms[1].name = "";
        run.triangulation.allocate();
    }
    void vertex(float x, int sphere, int face) {
        run.triangulation.add_vertex({x, 0.5f, -1.25f}, {0, 0, 1}, sphere, face);
    }
};

TEST(SurfaceFiles, NamesFollowTheComponentNumber) {
    EXPECT_EQ(velmesh::face_file_name("out/model", 0), "out/model.face");
    EXPECT_EQ(velmesh::vertex_file_name("out/model", 0), "out/model.vert");
    EXPECT_EQ(velmesh::face_file_name("model", 2), "model_2.face");
    EXPECT_EQ(velmesh::vertex_file_name("model", 2), "model_2.vert");
}

TEST(SurfaceFiles, RowsCarryTypesFromTheirPlaceInTheTables) {
    Fixture f;
    auto& t = f.run.triangulation;
    for (int v = 0; v < 6; ++v) f.vertex(static_cast<float>(v), v % 2, 10 + v);
    t.last_type2_vertex = 1;  // vertices 0, 1: type 2; 2, 3: type 3; the rest type 1
    t.last_type3_vertex = 3;
    t.add_face(0, 1, 2, 4, FaceKind::toric);
    t.add_face(1, 2, 3, 5, FaceKind::reentrant);
    t.add_face(2, 3, 4, 6, FaceKind::reentrant);
    t.add_face(3, 4, 5, 7, FaceKind::contact);
    f.component.number = 2;
    TempDir dir;
    velmesh::write_surface_files(f.run, dir.file("m"), f.component, false);
    EXPECT_EQ(read_file(dir.file("m_2.face")),
              "# VELMESH solvent excluded surface faces for in.xyz\n"
              "#faces  #sphere density probe_r\n"
              "      4       2  2.50  1.40\n"
              "     1      2      3  3      5\n"
              "     2      3      4  2      6\n"
              "     3      4      5  2      7\n"
              "     4      5      6  1      8\n");
    EXPECT_EQ(read_file(dir.file("m_2.vert")),
              "# VELMESH solvent excluded surface vertices for in.xyz\n"
              "#vertex #sphere density probe_r\n"
              "      6       2  2.50  1.40\n"
              "    0.000     0.500    -1.250     0.000     0.000     1.000      10       1  2 CA\n"
              "    1.000     0.500    -1.250     0.000     0.000     1.000      11       2  2 \n"
              "    2.000     0.500    -1.250     0.000     0.000     1.000      12       1  3 CA\n"
              "    3.000     0.500    -1.250     0.000     0.000     1.000      13       2  3 \n"
              "    4.000     0.500    -1.250     0.000     0.000     1.000      14       1  1 CA\n"
              "    5.000     0.500    -1.250     0.000     0.000     1.000      15       2  1 \n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("m.face")));

    velmesh::write_surface_files(f.run, dir.file("bare"), f.component, true);
    EXPECT_EQ(read_file(dir.file("bare_2.face")).substr(0, 31), "     1      2      3  3      5\n");
    EXPECT_EQ(read_file(dir.file("bare_2.vert")).substr(0, 5), "    0");
}

TEST(SurfaceFiles, CountsFacesAcrossBlocksOfTwentyThousand) {
    for (const int faces : {20000, 20001}) {
        Fixture f;
        for (int v = 0; v < 3; ++v) f.vertex(static_cast<float>(v), 0, 1);
        for (int i = 0; i < faces; ++i) f.run.triangulation.add_face(0, 1, 2, 0, FaceKind::contact);
        EXPECT_EQ(f.run.triangulation.faces.block_count(), faces == 20000 ? 1 : 2);
        TempDir dir;
        velmesh::write_surface_files(f.run, dir.file("m"), f.component, false);
        const std::string text = read_file(dir.file("m.face"));
        const std::string count = faces == 20000 ? "  20000       2" : "  20001       2";
        EXPECT_NE(text.find("\n" + count + "  2.50  1.40\n"), std::string::npos);
        EXPECT_EQ(static_cast<int>(std::count(text.begin(), text.end(), '\n')), faces + 3);
    }
}

TEST(SurfaceFiles, ReplaceOldFilesWhole) {
    TempDir dir;
    write_file(dir.file("m.face"), std::string(100000, 'x'));
    write_file(dir.file("m.vert"), "old");
    Fixture f;
    for (int v = 0; v < 3; ++v) f.vertex(static_cast<float>(v), 0, 1);
    f.run.triangulation.add_face(0, 1, 2, 0, FaceKind::contact);
    velmesh::write_surface_files(f.run, dir.file("m"), f.component, true);
    EXPECT_EQ(read_file(dir.file("m.face")), "     1      2      3  1      1\n");
    EXPECT_EQ(read_file(dir.file("m.vert")).substr(0, 9), "    0.000");
    // Nothing is left beside them.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 2);
}

TEST(SurfaceFiles, AFileThatCannotBeOpenedIsReportedAndTheRunGoesOn) {
    TempDir dir;
    Fixture f;
    CapturedConsole console;
    velmesh::write_surface_files(f.run, dir.file("missing/m"), f.component, false);
    EXPECT_EQ(console.out(), "Output file " + dir.file("missing/m.face") + " couldn't be open ... Bye\n");
}

// Writes beyond a small file-size limit fail as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

TEST(SurfaceFiles, AFailedWriteLeavesNeitherFileOfThePair) {
    TempDir dir;
    write_file(dir.file("m.face"), "old faces\n");
    write_file(dir.file("m.vert"), "old vertices\n");
    Fixture f;
    for (int v = 0; v < 3; ++v) f.vertex(static_cast<float>(v), 0, 1);
    for (int i = 0; i < 20000; ++i) f.run.triangulation.add_face(0, 1, 2, 0, FaceKind::contact);
    CapturedConsole console;
    {
        FileSizeLimit limit(4096);
        velmesh::write_surface_files(f.run, dir.file("m"), f.component, false);
    }
    EXPECT_EQ(console.out(), "Output file " + dir.file("m.face") + " couldn't be written\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("m.face")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("m.vert")));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(AreaFile, AFailedWriteLeavesNoFile) {
    TempDir dir;
    RunState run;
    run.atoms.resize(3000);
    run.ses_components.emplace_back();
    for (auto& atom : run.atoms) {
        atom.areas.set(0, 1.0, 2.0);
        atom.name = "NAME";
    }
    run.area_file = dir.file("m.area");
    CapturedConsole console;
    {
        FileSizeLimit limit(4096);
        velmesh::write_area_file(run);
    }
    EXPECT_EQ(console.err(), "Output file " + dir.file("m.area") + " couldn't be written\n");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

    run.area_file = dir.file("none/m.area");
    velmesh::write_area_file(run);
    EXPECT_EQ(console.err(), "Output file " + dir.file("m.area") + " couldn't be written\n" + "Output file " +
                                 dir.file("none/m.area") + " couldn't be open ... Bye\n");
}

TEST(AreaFile, ASphereReadsZeroOnTheComponentsItIsNotOn) {
    TempDir dir;
    RunState run;
    run.atoms.resize(2);
    for (int c = 0; c < 3; ++c) run.ses_components.emplace_back();
    run.atoms[0].areas.add_ses(2, 1.5);
    run.atoms[0].areas.add_sas(2, 2.5);
    run.atoms[0].areas.add_ses(0, 0.25);
    run.atoms[1].name = "B";
    run.area_file = dir.file("m.area");
    velmesh::write_area_file(run);
    EXPECT_EQ(testing_support::read_file(run.area_file),
              " Atom#    ses_0   sas_0   ses_1   sas_1   ses_2   sas_2  \n"
              "     0   0.2500  0.0000   0.0000  0.0000   1.5000  2.5000 \n"
              "     1   0.0000  0.0000 B  0.0000  0.0000 B  0.0000  0.0000 B\n");
}

TEST(AreaFile, NothingWithoutComponents) {
    TempDir dir;
    RunState run;
    run.atoms.resize(1);
    run.area_file = dir.file("m.area");
    velmesh::write_area_file(run);
    EXPECT_FALSE(std::filesystem::exists(run.area_file));
}

}  // namespace
