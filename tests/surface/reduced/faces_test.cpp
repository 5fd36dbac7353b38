// Faces as the searches find them: the probe on the side of the face's
// normal whichever search found it, the singular mark, and twin faces.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "surface/reduced/FaceCreation.h"
#include "surface/reduced/FirstFace.h"
#include "surface/reduced/RSContext.h"
#include "surface/reduced/ReducedSurface.h"
#include "surface/support/RSChecker.h"
#include "surface/support/SphereSets.h"
#include "surface/support/VelmeshRun.h"
#include "surface/tree/Geometry.h"

using surface_testing::run_of;
using surface_testing::TestSphere;
using velmesh::FaceCandidate;
using velmesh::Vec3;

namespace {

// How far the probe lies on the side of the face's normal (negative: on the
// far side), and how far it is from touching each sphere.
struct Placement {
    double height;
    double worst_touch;
};

Placement placement(const velmesh::RSContext& context, const FaceCandidate& face) {
    const Vec3& a = context.centre(face.i);
    const Vec3& b = context.centre(face.j);
    const Vec3& c = context.centre(face.k);
    const Vec3 normal = velmesh::tri_norm(a, b, c);
    double worst = 0;
    for (const int s : {face.i, face.j, face.k})
        worst = std::max(worst, std::fabs(std::sqrt(velmesh::squared_distance(face.probe, context.centre(s))) -
                                          context.radius(s) - context.p));
    return {velmesh::dot(face.probe - a, normal), worst};
}

TEST(FirstFace, EverySearchPutsTheProbeOnTheSideOfTheNormal) {
    velmesh::RunState run = run_of(surface_testing::random_cluster(150, 31, 25, 1.2, 1.9), 1.5);
    velmesh::RSContext context(run);
    int faces = 0;
    const auto expect_placed = [&](const std::optional<FaceCandidate>& face, const std::string& search) {
        if (!face) return;
        ++faces;
        const Placement at = placement(context, *face);
        EXPECT_GE(at.height, 0) << search << " " << face->i << " " << face->j << " " << face->k;
        EXPECT_LT(at.worst_touch, 1e-6) << search;
    };
    for (int a = 0; a < run.atom_count(); ++a) {
        const auto any = velmesh::find_first_rs_face(context, a);
        expect_placed(any, "any face");
        expect_placed(velmesh::find_first_rs_face_external(context, a), "outside face");
        if (!any) continue;
        // The three spheres given in either order.
        const int forwards[3] = {any->i, any->j, any->k};
        const int backwards[3] = {any->i, any->k, any->j};
        expect_placed(velmesh::find_first_rs_face_cavity(context, forwards), "spheres given");
        expect_placed(velmesh::find_first_rs_face_cavity(context, backwards), "spheres given backwards");
        expect_placed(velmesh::find_first_rs_face_cavity(context, std::span<const int>(forwards, 2)), "two given");
    }
    EXPECT_GT(faces, 300);
}

struct SingularCase {
    std::string name;
    std::vector<TestSphere> spheres;
    double probe;
    bool singular;
};

TEST(FirstFace, ASingularFaceHasItsProbeSphereCrossTheTriangle) {
    const double side = 4.2;
    const double h = side * std::sqrt(3.0) / 2;
    const std::vector<TestSphere> small = {{0, 0, 0, 1.0}, {side, 0, 0, 1.0}, {side / 2, h, 0, 1.0}};
    const std::vector<TestSphere> large = {{0, 0, 0, 2.5}, {side, 0, 0, 2.5}, {side / 2, h, 0, 2.5}};
    // An obtuse triangle: the probe's foot (the circumcentre, at (3, -4))
    // lies outside it.
    const std::vector<TestSphere> obtuse = {{0, 0, 0, 1.0}, {6, 0, 0, 1.0}, {3, 1, 0, 1.0}};
    const SingularCase cases[] = {
        {"probe dips through the triangle", small, 1.5, true},
        {"probe stays above the plane", large, 1.5, false},
        {"probe crosses the plane beside the triangle", obtuse, 4.5, false},
    };
    for (const SingularCase& c : cases) {
        SCOPED_TRACE(c.name);
        velmesh::RunState run = run_of(c.spheres, c.probe);
        velmesh::RSContext context(run);
        const int spheres[3] = {0, 1, 2};
        const auto face = velmesh::find_first_rs_face_cavity(context, spheres);
        ASSERT_TRUE(face.has_value());
        EXPECT_EQ(velmesh::is_singular_face(context, face->i, face->j, face->k, face->probe, face->half_chord),
                  c.singular);
    }
}

TEST(TwinFaces, ThreeSpheresWithProbesOnBothSidesAreTwins) {
    // The probe passes neither between two of the spheres nor through the
    // triangle, but reaches its plane: two faces on the same spheres, all of
    // whose edges are singular, and nothing else. They are kept as twins.
    const double side = 4.2;
    velmesh::RunState run =
        run_of({{0, 0, 0, 1.0}, {side, 0, 0, 1.0}, {side / 2, side * std::sqrt(3.0) / 2, 0, 1.0}}, 1.5);
    ASSERT_EQ(velmesh::compute_reduced_surface(run), 1);
    const auto check = surface_testing::check_reduced_surface(run);
    EXPECT_TRUE(check.ok()) << check.report();
    ASSERT_EQ(run.rs_components.count(), 1);
    const velmesh::RS_component& component = *run.rs_components.first();
    ASSERT_EQ(component.faces.count(), 2);
    EXPECT_EQ(component.edges.count(), 3);
    EXPECT_EQ(component.face_pair_count, 1);
    EXPECT_EQ(component.singular_face_count, 2);
    const velmesh::RS_face& face = *component.faces.first();
    EXPECT_EQ(face.twin, component.faces.last());
    for (const velmesh::RS_edge& edge : component.edges) EXPECT_EQ(edge.singular_kind, 2);
}

// Seventeen atoms of a protein at probe 1.5. The probe rolling about spheres
// 9 and 11 meets sphere 4 and leaves it 39 degrees further on: two faces on
// (9, 11, 4), one either side of their plane, joined by the two singular
// edges to sphere 4. They are no sliver: without them the rotation about
// 9-11 would carry the probe 0.27 into sphere 4 (and the toric face through
// it), so they stay as twins.
TEST(TwinFaces, APairTheProbeCannotPassStaysWhenItStopsTheRotation) {
    velmesh::RunState run =
        run_of(surface_testing::read_spheres(std::string(ZELMAR_FIXTURES) + "/spheres/twin_faces_apart.xyz"), 1.5);
    surface_testing::CapturedConsole console;
    ASSERT_EQ(velmesh::compute_reduced_surface(run), 1);
    const auto check = surface_testing::check_reduced_surface(run);
    EXPECT_TRUE(check.ok()) << check.report();
    const velmesh::RS_component& component = *run.rs_components.first();
    const velmesh::RS_face* pair[2] = {};
    for (const velmesh::RS_face& face : component.faces)
        if (surface_testing::canonical_face(face.i, face.j, face.k) == surface_testing::canonical_face(4, 9, 11) ||
            surface_testing::canonical_face(face.i, face.j, face.k) == surface_testing::canonical_face(4, 11, 9))
            pair[pair[0] == nullptr ? 0 : 1] = &face;
    ASSERT_NE(pair[1], nullptr);
    EXPECT_EQ(pair[0]->twin, pair[1]);
    EXPECT_EQ(pair[1]->twin, pair[0]);
}

}  // namespace
