#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "support/TempDir.h"
#include "surface/support/MeshChecker.h"
#include "surface/support/VelmeshRun.h"

using surface_testing::MeshCheckOptions;
using surface_testing::parse_report;
using surface_testing::run_capture;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

constexpr double kPi = 3.14159265358979;

std::string fixture(const std::string& name) { return std::string(ZELMAR_FIXTURES) + "/spheres/" + name; }

std::string text(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}

TEST(LoneSphere, PrintsItsReportExactly) {
    TempDir dir;
    const auto result = run_capture({"-if", fixture("lone.xyz"), "-of", dir.file("lone")});
    ASSERT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out,
              "VELMESH 1.0 started on Local PC\n"
              "Solvent-excluded surface of a set of spheres: reduced surface, areas, triangulation, volumes\n"
              "Compilation flags \n"
              "INPUT  " + fixture("lone.xyz") + " 1 spheres 0 collision only, radii  1.800 to  1.800\n"
              "PARAM  Probe_radius  1.500 density  1.000 hdensity  3.000\n"
              "ANALYTICAL SURFACE AREA :\n"
              "    Comp. probe_radius,   reent,    toric,   contact    SES       SAS\n"
              "      0       1.500       0.000     0.000    40.715    40.715   136.848\n"
              "NUMERICAL VOLUMES AND AREA\n"
              "    Comp. probe_radius SES_volume SES_area)\n"
              "       0      1.50       20.356     37.048\n"
              "    Total ses_volume:    20.356\n"
              "VELMESH terminated normally\n");
}

struct LoneCase {
    double radius;
    double probe;
    double density;
};

TEST(LoneSphere, AreasAreAnalyticAndTheMeshIsClosedOnItsSphere) {
    const LoneCase cases[] = {
        {1.0, 1.5, 1}, {1.8, 1.5, 1}, {1.8, 0.7, 4}, {3.2, 1.4, 2}, {2.5, 3.0, 9}, {0.9, 1.5, 16},
    };
    for (const LoneCase& c : cases) {
        TempDir dir;
        const std::string spheres = dir.file("s.xyz");
        write_file(spheres, "-3.5 12.25 0.5 " + text(c.radius) + " 1 0 OW\n");
        const auto result = run_capture({"-if", spheres, "-of", dir.file("m"), "-de", text(c.density),
                                         "-probe_radius", text(c.probe)});
        ASSERT_EQ(result.status, 0) << result.out << result.err;
        const auto report = parse_report(result.out);
        ASSERT_EQ(report.areas.size(), 1u);
        const auto& areas = report.areas[0];
        const double area = 4 * kPi * c.radius * c.radius;
        const double sas = 4 * kPi * (c.radius + c.probe) * (c.radius + c.probe);
        EXPECT_NEAR(areas.probe_radius, c.probe, 5e-4);
        EXPECT_EQ(areas.reentrant, 0);
        EXPECT_EQ(areas.toric, 0);
        EXPECT_NEAR(areas.contact, area, 1e-3);
        EXPECT_NEAR(areas.ses, area, 1e-3);
        EXPECT_NEAR(areas.sas, sas, 1e-3);

        ASSERT_EQ(report.volumes.size(), 1u);
        MeshCheckOptions options;
        options.spheres = {{-3.5, 12.25, 0.5, c.radius}};
        options.probe_radius = c.probe;
        options.printed_volume = report.volumes[0].volume;
        const auto check = surface_testing::check_mesh_files(dir.file("m.vert"), dir.file("m.face"), options);
        EXPECT_TRUE(check.ok()) << "r " << c.radius << " density " << c.density << ": " << check.report();
        EXPECT_EQ(check.pieces, 1);
        // An inscribed mesh: a little less area and volume than the sphere.
        const double volume = 4 * kPi * c.radius * c.radius * c.radius / 3;
        EXPECT_LT(check.volume, volume);
        EXPECT_GT(check.volume, 0.5 * volume);
        EXPECT_NEAR(report.volumes[0].area, check.area, 2e-3 * check.area + 0.01);
        EXPECT_LT(report.volumes[0].area, area);
        ASSERT_TRUE(report.total_volume.has_value());
        EXPECT_DOUBLE_EQ(*report.total_volume, report.volumes[0].volume);
    }
}

TEST(LoneSphere, MeshConvergesToTheSphereAsTheDensityGrows) {
    for (const double radius : {1.2, 2.0, 3.5}) {
        double last_area_error = 1, last_volume_error = 1;
        for (const double density : {1.0, 3.0, 10.0, 30.0}) {
            TempDir dir;
            write_file(dir.file("s.xyz"), "0 0 0 " + text(radius) + "\n");
            const auto result = run_capture({"-if", dir.file("s.xyz"), "-de", text(density)});
            ASSERT_EQ(result.status, 0) << result.err;
            const auto report = parse_report(result.out);
            ASSERT_EQ(report.volumes.size(), 1u);
            const double area_error = 1 - report.volumes[0].area / (4 * kPi * radius * radius);
            const double volume_error = 1 - report.volumes[0].volume / (4 * kPi * radius * radius * radius / 3);
            EXPECT_GT(area_error, 0);
            EXPECT_GT(volume_error, 0);
            EXPECT_LT(area_error, last_area_error) << radius << " " << density;
            EXPECT_LT(volume_error, last_volume_error) << radius << " " << density;
            last_area_error = area_error;
            last_volume_error = volume_error;
        }
        // At 30 points per square unit the mesh is within about a percent.
        EXPECT_LT(last_area_error, 0.01) << radius;
        EXPECT_LT(last_volume_error, 0.02) << radius;
    }
}

TEST(LoneSphere, VertexAndFaceRowsDescribeTheContactFace) {
    TempDir dir;
    const auto result = run_capture({"-if", fixture("lone.xyz"), "-of", dir.file("lone"), "-no_header"});
    ASSERT_EQ(result.status, 0);
    const auto mesh = surface_testing::read_mesh(dir.file("lone.vert"), dir.file("lone.face"));
    EXPECT_FALSE(mesh.vertex_header);
    EXPECT_FALSE(mesh.face_header);
    ASSERT_EQ(mesh.vertices.size(), 34u);
    ASSERT_EQ(mesh.faces.size(), 64u);
    for (const auto& v : mesh.vertices) {
        EXPECT_EQ(v.face, 1);
        EXPECT_EQ(v.sphere, 1);
        EXPECT_EQ(v.type, 1);
        EXPECT_EQ(v.name, "CA");
    }
    for (const auto& f : mesh.faces) {
        EXPECT_EQ(f.type, 1);
        EXPECT_EQ(f.face, 1);
    }
    const std::string vertices = read_file(dir.file("lone.vert"));
    const std::string first_line = vertices.substr(0, vertices.find('\n') + 1);
    EXPECT_EQ(first_line, "    2.800     2.000     3.000     1.000     0.000     0.000       1       1  1 CA\n");
}

TEST(LoneSphere, HighDensityTemplateForSixthColumnOne) {
    TempDir dir;
    write_file(dir.file("low.xyz"), "0 0 0 2.0 1 0\n");
    write_file(dir.file("high.xyz"), "0 0 0 2.0 1 1\n");
    ASSERT_EQ(run_capture({"-if", dir.file("low.xyz"), "-of", dir.file("low"), "-hd", "6"}).status, 0);
    ASSERT_EQ(run_capture({"-if", dir.file("high.xyz"), "-of", dir.file("high"), "-hd", "6"}).status, 0);
    const auto low = surface_testing::read_mesh(dir.file("low.vert"), dir.file("low.face"));
    const auto high = surface_testing::read_mesh(dir.file("high.vert"), dir.file("high.face"));
    EXPECT_EQ(low.vertex_header_count, static_cast<int>(low.vertices.size()));
    EXPECT_GT(high.vertices.size(), 4 * low.vertices.size());
    MeshCheckOptions options;
    options.spheres = {{0, 0, 0, 2.0}};
    EXPECT_TRUE(surface_testing::check_mesh(high, options).ok());
}

// At density 1 a sphere of area below 6 has a template of fewer than six
// points, whose fans would be degenerate: it is left empty, and the mesh has
// no triangle (the genus check says so: the analytical genus of a lone
// sphere stays 0, the empty mesh counts as 1). Six points make a closed
// octahedron.
TEST(LoneSphere, TooSmallForItsTemplateGivesAnEmptyMeshAndAGenusWarning) {
    struct Case {
        const char* radius;
        int points;  // 4 pi r^2, truncated
    };
    for (const Case c : {Case{"0.25", 0}, Case{"0.6", 4}, Case{"0.65", 5}, Case{"0.7", 6}}) {
        SCOPED_TRACE(c.radius);
        TempDir dir;
        write_file(dir.file("s.xyz"), std::string("0 0 0 ") + c.radius + "\n");
        const auto result = run_capture({"-if", dir.file("s.xyz"), "-of", dir.file("m")});
        ASSERT_EQ(result.status, 0);
        const bool empty = c.points < 6;
        EXPECT_EQ(result.out.find("WARNING: Genus mismatch (ana = 0.0, tri = 1.0 )\n") != std::string::npos, empty)
            << result.out;
        if (!empty) {
            surface_testing::MeshCheckOptions options;
            options.spheres = {{0, 0, 0, std::stod(c.radius)}};
            const auto check = surface_testing::check_mesh_files(dir.file("m.vert"), dir.file("m.face"), options);
            EXPECT_TRUE(check.ok()) << check.report();
            EXPECT_EQ(check.euler, (std::vector<int>{2}));
            continue;
        }
        EXPECT_NE(result.out.find("       0      1.50        0.000      0.000\n"), std::string::npos) << result.out;
        EXPECT_EQ(read_file(dir.file("m.face")),
                  "# VELMESH solvent excluded surface faces for " + dir.file("s.xyz") +
                      "\n#faces  #sphere density probe_r\n      0       1  1.00  1.50\n");
    }
}

// The same rule for a sphere that meets others: its contact faces take no
// template point when its template has fewer than six points, and close from
// their boundary arcs alone (a cap inside a free torus, a face bounded by
// three toric faces); a template of six points or more gives the face the
// points that fall inside it.
TEST(LoneSphere, ContactFacesOfASphereTooSmallForItsTemplateCloseFromTheirBoundary) {
    struct Case {
        const char* name;
        std::string spheres;  // the small sphere last, its radius appended
        const char* radius;
        int template_points;  // the small sphere's contact-face vertices
    };
    const std::string pair = "0 0 0 2.0\n2.3 0 0 ";
    const std::string on_three = "0 0 0 1.6\n3.2 0 0 1.6\n1.6 2.77 0 1.6\n1.6 0.92 1.9 ";
    const Case cases[] = {
        {"cap in a free torus, 4 points", pair, "0.6", 0},    {"cap in a free torus, 5 points", pair, "0.65", 0},
        {"cap in a free torus, 6 points", pair, "0.7", 1},    {"on three spheres, 5 points", on_three, "0.65", 0},
        {"on three spheres, 10 points", on_three, "0.9", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        write_file(dir.file("s.xyz"), c.spheres + c.radius + "\n");
        const auto result = run_capture({"-if", dir.file("s.xyz"), "-of", dir.file("m")});
        ASSERT_EQ(result.status, 0) << result.out << result.err;
        EXPECT_EQ(result.out.find("WARNING"), std::string::npos) << result.out;
        EXPECT_EQ(result.out.find("try again"), std::string::npos) << result.out;
        MeshCheckOptions options;
        std::istringstream lines(c.spheres + c.radius);
        for (surface_testing::Sphere sphere; lines >> sphere.x >> sphere.y >> sphere.z >> sphere.r;)
            options.spheres.push_back(sphere);
        options.printed_volume = parse_report(result.out).volumes.at(0).volume;
        const auto mesh = surface_testing::read_mesh(dir.file("m.vert"), dir.file("m.face"));
        const auto check = surface_testing::check_mesh(mesh, options);
        EXPECT_TRUE(check.ok()) << check.report();
        const int small = static_cast<int>(options.spheres.size());
        int template_points = 0;
        for (const auto& v : mesh.vertices) template_points += v.sphere == small && v.type == 1 ? 1 : 0;
        EXPECT_EQ(template_points, c.template_points);
    }
}

TEST(LoneSphere, IsolatedSpheresAreOneComponentEach) {
    TempDir dir;
    const auto result = run_capture({"-if", fixture("apart.xyz"), "-of", dir.file("m"), "-af", dir.file("m.xyz"),
                                     "-free_vertices", "-de", "2"});
    ASSERT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_NE(result.out.find(" 4 spheres 1 collision only, radii  1.100 to  2.000\n"), std::string::npos);
    const auto report = parse_report(result.out);
    // The collision-only sphere gets no surface.
    ASSERT_EQ(report.areas.size(), 3u);
    ASSERT_EQ(report.volumes.size(), 3u);
    const double radii[] = {1.6, 2.0, 1.2};
    const double centres[3][3] = {{0, 0, 0}, {0, 25, 0}, {0, 0, 30}};
    const char* const names[] = {"m.vert", "m_1.vert", "m_2.vert"};
    double total = 0;
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(report.areas[c].component, c);
        EXPECT_NEAR(report.areas[c].ses, 4 * kPi * radii[c] * radii[c], 1e-3);
        MeshCheckOptions options;
        options.spheres = {{0, 0, 0, 1.6}, {20, 0, 0, 1.1}, {0, 25, 0, 2.0}, {0, 0, 30, 1.2}};
        options.printed_volume = report.volumes[c].volume;
        const std::string base = dir.file(names[c]).substr(0, dir.file(names[c]).size() - 5);
        const auto check = surface_testing::check_mesh_files(base + ".vert", base + ".face", options);
        EXPECT_TRUE(check.ok()) << names[c] << ": " << check.report();
        const auto mesh = surface_testing::read_mesh(base + ".vert", base + ".face");
        EXPECT_NEAR(mesh.vertices[0].point[0], centres[c][0] + radii[c], 1e-3) << names[c];
        total += report.volumes[c].volume;
    }
    EXPECT_NEAR(*report.total_volume, total, 2e-3);
    // The third sphere is marked for high density: more points than the first.
    EXPECT_GT(surface_testing::read_mesh(dir.file("m_1.vert"), dir.file("m_1.face")).vertices.size(),
              surface_testing::read_mesh(dir.file("m.vert"), dir.file("m.face")).vertices.size());

    // Each sphere owns its own component's areas, computed from its float radius.
    auto ses = [](float r) { return 12.5663706 * r * r; };
    auto sas = [](float r) { return 12.5663706 * (r + 1.5) * (r + 1.5); };
    char expected[512];
    std::snprintf(expected, sizeof expected,
                  " Atom#    ses_0   sas_0   ses_1   sas_1   ses_2   sas_2  \n"
                  "     0  %7.4f %7.4f N  0.0000  0.0000 N  0.0000  0.0000 N\n"
                  "     1   0.0000  0.0000 O  0.0000  0.0000 O  0.0000  0.0000 O\n"
                  "     2   0.0000  0.0000 C %7.4f %7.4f C  0.0000  0.0000 C\n"
                  "     3   0.0000  0.0000   0.0000  0.0000  %7.4f %7.4f \n",
                  ses(1.6f), sas(1.6f), ses(2.0f), sas(2.0f), ses(1.2f), sas(1.2f));
    EXPECT_EQ(read_file(dir.file("m.area")), expected);
}

TEST(LoneSphere, AnalyticalSurfaceOnlyWritesNoMesh) {
    TempDir dir;
    const auto result = run_capture({"-if", fixture("lone.xyz"), "-of", dir.file("m"), "-surface", "ases"});
    ASSERT_EQ(result.status, 0);
    EXPECT_EQ(parse_report(result.out).areas.size(), 1u);
    EXPECT_EQ(result.out.find("NUMERICAL"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.file("m.vert")));

    const auto no_area = run_capture({"-if", fixture("lone.xyz"), "-of", dir.file("n"), "-no_area"});
    ASSERT_EQ(no_area.status, 0);
    EXPECT_EQ(no_area.out.find("ANALYTICAL"), std::string::npos);
    EXPECT_EQ(no_area.out.find("NUMERICAL"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(dir.file("n.vert")));
}

TEST(LoneSphere, ReadsTheStandardInput) {
    TempDir dir;
    const auto result = run_capture({"-if", "-", "-of", dir.file("m")}, "0 0 0 1.7");
    ASSERT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_NE(result.out.find("INPUT  - 1 spheres"), std::string::npos);
    MeshCheckOptions options;
    options.spheres = {{0, 0, 0, 1.7}};
    EXPECT_TRUE(surface_testing::check_mesh_files(dir.file("m.vert"), dir.file("m.face"), options).ok());
}

}  // namespace

namespace {

TEST(LoneSphere, TwoSpheresOutOfReachAreTwoComponentsWithoutAnySwitch) {
    TempDir dir;
    // 1.5 + 1.5 + 2 x 1.5 = 6 apart would just touch; 6.01 does not.
    write_file(dir.file("s.xyz"), "0 0 0 1.5\n6.01 0 0 1.5\n");
    const auto result = run_capture({"-if", dir.file("s.xyz"), "-of", dir.file("m")});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(parse_report(result.out).volumes.size(), 2u);
    EXPECT_TRUE(std::filesystem::exists(dir.file("m_1.vert")));
}

}  // namespace
