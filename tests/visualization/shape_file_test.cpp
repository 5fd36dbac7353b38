// Shape files: whole triangles only, whatever the count says; one warning per
// file; CR LF; numbers in the C locale; degenerate triangles.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "support/CommaLocale.h"
#include "support/LoggedText.h"
#include "support/TempDir.h"
#include "visualization/CVector.h"
#include "visualization/ShapeFile.h"

namespace {

using testing_support::logged_text;
using testing_support::TempDir;
using testing_support::write_file;

const std::string six_vertices = "0 0 0\n2 0 0\n0 2 0\n0 0 1\n0 0 2\n0 1 1\n";

struct ShapeCase {
    const char* name;
    std::string text;
    std::size_t triangles;
    std::string problem;
};

class ShapeTextTable : public testing::TestWithParam<ShapeCase> {};

TEST_P(ShapeTextTable, KeepsWholeTrianglesAndSaysWhatWasWrong) {
    const ShapeCase& c = GetParam();
    const ShapeText shape = read_shape_text(c.text);
    EXPECT_EQ(shape.mesh.triangle_count(), c.triangles);
    EXPECT_EQ(shape.mesh.vertices.size(), 3 * c.triangles);
    EXPECT_EQ(shape.mesh.normals.size(), shape.mesh.vertices.size());
    EXPECT_EQ(shape.problem, c.problem);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ShapeTextTable,
    testing::Values(
        ShapeCase{"Whole", "6\n" + six_vertices, 2, ""},
        ShapeCase{"CrLf", "6\r\n0 0 0\r\n2 0 0\r\n0 2 0\r\n0 0 1\r\n0 0 2\r\n0 1 1\r\n", 2, ""},
        ShapeCase{"TabsAndNoLastNewline", "3\t0\t0\t0\t1\t0\t0\t0\t1\t0", 1, ""},
        ShapeCase{"SevenCountedSevenGiven", "7\n" + six_vertices + "5 5 5\n", 2,
                  "vertex count 7 is no whole number of triangles, 2 kept"},
        ShapeCase{"CountBeyondTheFile", "9\n" + six_vertices + "5 5 5\n", 2, "7 of 9 vertices read, 2 whole triangles kept"},
        ShapeCase{"LastVertexCut", "6\n0 0 0\n2 0 0\n0 2 0\n0 0 1\n0 0 2\n0 1\n", 1,
                  "5 of 6 vertices read, 1 whole triangles kept"},
        ShapeCase{"HugeCount", "2000000000\n0 0 0\n1 0 0\n0 1 0\n", 1,
                  "3 of 2000000000 vertices read, 1 whole triangles kept"},
        ShapeCase{"CountBeyondAnyInteger", "99999999999999999999\n0 0 0\n1 0 0\n0 1 0\n", 0, "no vertex count"},
        ShapeCase{"NegativeCount", "-3\n0 0 0\n1 0 0\n0 1 0\n", 0, "negative vertex count -3"},
        ShapeCase{"Empty", "", 0, "no vertex count"},
        ShapeCase{"NoNumber", "vertices\n0 0 0\n", 0, "no vertex count"},
        ShapeCase{"NotANumberInside", "6\n0 0 0\n1 x 0\n0 1 0\n0 0 1\n0 0 2\n0 1 1\n", 0,
                  "1 of 6 vertices read, 0 whole triangles kept"},
        ShapeCase{"ZeroCount", "0\n0 0 0\n", 0, ""},
        ShapeCase{"MoreThanCounted", "3\n" + six_vertices, 1, ""}),
    [](const testing::TestParamInfo<ShapeCase>& info) { return std::string(info.param.name); });

TEST(ShapeText, EachVertexCarriesItsTrianglesNormal) {
    const ShapeText shape = read_shape_text("6\n" + six_vertices);
    ASSERT_EQ(shape.mesh.vertices.size(), 6u);
    EXPECT_EQ(shape.mesh.vertices[1], (CVector{2, 0, 0}));
    EXPECT_EQ(shape.mesh.vertices[5], (CVector{0, 1, 1}));
    for (int v = 0; v < 3; ++v) EXPECT_EQ(shape.mesh.normals[v], (CVector{0, 0, 1})) << v;
    // (0,0,1) (0,0,2) (0,1,1): (0,0,1) × (0,1,0) = (−1,0,0)
    for (int v = 3; v < 6; ++v) EXPECT_EQ(shape.mesh.normals[v], (CVector{-1, 0, 0})) << v;
}

TEST(ShapeText, DegenerateTriangleHasZeroNormal) {
    const ShapeText shape = read_shape_text("6\n0 0 0\n1 1 1\n2 2 2\n3 3 3\n3 3 3\n3 3 3\n");
    ASSERT_EQ(shape.mesh.triangle_count(), 2u);
    for (const CVector& n : shape.mesh.normals) EXPECT_EQ(n, CVector{});
}

TEST(ShapeText, DecimalCommaLocaleReadsDecimalPoints) {
    testing_support::CommaLocale comma;
    if (!comma.active()) GTEST_SKIP() << "no decimal-comma locale on this system";
    const ShapeText shape = read_shape_text("3\n0.5 0 0\n0 1.25 0\n0 0 2.5e1\n");
    ASSERT_EQ(shape.mesh.triangle_count(), 1u) << shape.problem;
    EXPECT_EQ(shape.mesh.vertices[0].x, 0.5);
    EXPECT_EQ(shape.mesh.vertices[1].y, 1.25);
    EXPECT_EQ(shape.mesh.vertices[2].z, 25.0);
}

TEST(ShapeFile, ShortFileGivesOneWarning) {
    TempDir dir;
    const std::string path = dir.file("short.shape");
    write_file(path, "12\n" + six_vertices + "1 1\n");
    Mesh mesh;
    const std::string log = logged_text([&] { mesh = read_shape_file(path); });
    EXPECT_EQ(mesh.triangle_count(), 2u);
    EXPECT_EQ(log, "warning: shape file " + path + ": 6 of 12 vertices read, 2 whole triangles kept\n");
}

TEST(ShapeFile, WholeFileLogsNothing) {
    TempDir dir;
    const std::string path = dir.file("whole.shape");
    write_file(path, "6\n" + six_vertices);
    Mesh mesh;
    const std::string log = logged_text([&] { mesh = read_shape_file(path); });
    EXPECT_EQ(mesh.triangle_count(), 2u);
    EXPECT_EQ(log, "");
}

TEST(ShapeFile, MissingFileIsAnEmptyMeshWithAWarning) {
    TempDir dir;
    const std::string path = dir.file("none.shape");
    Mesh mesh;
    const std::string log = logged_text([&] { mesh = read_shape_file(path); });
    EXPECT_TRUE(mesh.empty());
    EXPECT_EQ(log, "warning: shape file " + path + " cannot be read\n");
}

TEST(CVectorOps, StreamReadLeavesMissingNumbersZero) {
    CVector v{7, 7, 7};
    std::istringstream in("1.5 2");
    in >> v;
    EXPECT_EQ(v, (CVector{1.5, 2, 0}));
    EXPECT_EQ(CVector{}.normalized(), CVector{});
    EXPECT_EQ((CVector{0, 3, 4}.normalized()), (CVector{0, 0.6, 0.8}));
    EXPECT_EQ((CVector{1, 2, 3}.to(CVector{4, 4, 4})), (CVector{3, 2, 1}));
    EXPECT_EQ(cross(CVector{1, 0, 0}, CVector{0, 1, 0}), (CVector{0, 0, 1}));
}

}  // namespace
