#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "surface/Console.h"
#include "surface/support/TemplateCheck.h"
#include "surface/support/VelmeshRun.h"
#include "surface/triangulation/SphereTemplate.h"

using surface_testing::template_problems;
using velmesh::SphereTemplate;

namespace {

SphereTemplate make(float radius, float density) {
    SphereTemplate t;
    t.radius = radius;
    velmesh::mesh_template(density, t);
    return t;
}

std::string joined(const std::vector<std::string>& problems) {
    std::string text;
    for (const std::string& p : problems) text += "\n  " + p;
    return text;
}

TEST(SphereTemplate, IsAClosedOutwardTriangulationForAnyRadiusAndDensity) {
    surface_testing::CapturedConsole console;
    for (const float radius : {0.35f, 0.6f, 1.0f, 1.2f, 1.5f, 1.8f, 2.2f, 3.0f, 5.0f}) {
        for (const float density : {0.5f, 1.0f, 2.0f, 3.0f, 5.0f, 10.0f}) {
            const SphereTemplate t = make(radius, density);
            const int wanted = static_cast<int>(12.5663706 * radius * radius * density);
            EXPECT_LE(t.point_count(), wanted);
            if (wanted >= 6) {
                EXPECT_GT(t.point_count(), 0) << radius << " " << density;
            }
            EXPECT_EQ(t.radius, radius);
            EXPECT_TRUE(template_problems(t).empty()) << "r " << radius << " density " << density << joined(template_problems(t));
        }
    }
    // No ring could be joined wrongly and no list overflowed.
    EXPECT_EQ(console.err(), "");
}

TEST(SphereTemplate, SmallPointCountsFromSixUpAreClosed) {
    surface_testing::CapturedConsole console;
    for (int wanted = 5; wanted <= 150; ++wanted) {
        // A radius whose sphere wants that many points at density 1, a hair above.
        const float radius = static_cast<float>(std::sqrt((wanted + 0.5) / 12.5663706));
        const SphereTemplate t = make(radius, 1.0f);
        EXPECT_TRUE(template_problems(t).empty()) << wanted << joined(template_problems(t));
    }
    EXPECT_EQ(console.err(), "");
}

TEST(SphereTemplate, RingsOfLatitudeAboutTheXAxis) {
    // r 1.5, density 1: n = trunc(28.27) = 28, e = trunc(sqrt(28 pi)) = 9,
    // four latitude steps: rings of 1, 6, 9, 6 and 1 points.
    const SphereTemplate t = make(1.5f, 1.0f);
    ASSERT_EQ(t.point_count(), 23);
    const int ring_sizes[] = {1, 6, 9, 6, 1};
    int index = 0;
    for (int ring = 0; ring < 5; ++ring) {
        for (int i = 0; i < ring_sizes[ring]; ++i, ++index) {
            const velmesh::TemplatePoint& p = t.points[index];
            EXPECT_EQ(p.ring, ring);
            EXPECT_NEAR(p.direction.x, std::cos(ring * M_PI / 4), 1e-6);
            EXPECT_NEAR(std::atan2(p.direction.z, p.direction.y) + (i * 2 * M_PI / ring_sizes[ring] > M_PI ? 2 * M_PI : 0),
                        ring_sizes[ring] == 1 ? 0 : i * 2 * M_PI / ring_sizes[ring], 1e-5);
        }
    }
    // h is half the distance from the pole to the first point of ring 1.
    EXPECT_NEAR(t.h, std::sin(M_PI / 8), 1e-6);
    EXPECT_EQ(t.triangle_capacity, 56);
}

TEST(SphereTemplate, TooFewPointsLeaveItEmpty) {
    // 4 pi r^2 density of 4 or less, and 5 points (two rings cannot enclose).
    for (const auto& [radius, density] : {std::pair{0.5f, 1.0f}, {0.3f, 3.0f}, {1.0f, 0.3f}, {0.64f, 1.0f}}) {
        const SphereTemplate t = make(radius, density);
        EXPECT_EQ(t.point_count(), 0) << radius;
        EXPECT_EQ(t.triangle_count(), 0);
        EXPECT_EQ(t.edge_count(), 0);
        EXPECT_EQ(t.radius, radius);
    }
}

TEST(SphereTemplate, TheSameInputGivesTheSameTemplate) {
    const SphereTemplate a = make(2.1f, 3.0f);
    const SphereTemplate b = make(2.1f, 3.0f);
    ASSERT_EQ(a.point_count(), b.point_count());
    ASSERT_EQ(a.triangle_count(), b.triangle_count());
    for (int i = 0; i < a.point_count(); ++i) EXPECT_EQ(a.points[i].direction, b.points[i].direction);
    for (int i = 0; i < a.triangle_count(); ++i) EXPECT_EQ(a.triangles[i].points, b.triangles[i].points);
}

TEST(SphereTemplate, AnAbsurdPointCountEndsTheRun) {
    surface_testing::CapturedConsole console;
    SphereTemplate t;
    t.radius = 1.5f;
    try {
        velmesh::mesh_template(1e6f, t);
        FAIL() << "no exit";
    } catch (const velmesh::RunExit& exit) {
        EXPECT_EQ(exit.status, 1);
    }
    EXPECT_EQ(console.err(), "mesh_template: 28274334 points asked for radius 1.500000 at density 1000000.000000, more than 4000000\n");
}

}  // namespace
