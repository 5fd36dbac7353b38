// Ordering a reentrant face's edges into cycles, on a face of the unit probe
// sphere around the origin: the octant x, y, z > 0, bounded as a reentrant
// face is (the face on the side of each arc's normal), with its edges out of
// order and, beside it, a second cycle that lies inside it (a hole), one
// that lies elsewhere (a face of its own), or an edge missing.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "surface/reduced/RSRecords.h"
#include "surface/ses/EdgeOrdering.h"
#include "surface/ses/FaceCycles.h"
#include "surface/ses/SESRecordMakers.h"
#include "surface/support/VelmeshRun.h"

using velmesh::SES_edge;
using velmesh::SES_face;
using velmesh::SES_vertex;
using velmesh::Vec3;

namespace {

Vec3 unit(double x, double y, double z) {
    const double l = std::sqrt(x * x + y * y + z * z);
    return {x / l, y / l, z / l};
}

struct ProbeFace {
    velmesh::SES_component ses;
    velmesh::RS_face rs;
    SES_face* face;

    ProbeFace() {
        rs.probe = {0, 0, 0};
        face = &velmesh::new_ses_face(ses, velmesh::kReentrantFace);
        face->rs_face = &rs;
    }

    SES_vertex* vertex(const Vec3& at) { return &velmesh::new_ses_vertex(ses, 0, at, -1, at); }

    // The great-circle arc from a to b with the face on the side of its
    // normal b x a.
    SES_edge* arc(SES_vertex* a, SES_vertex* b) {
        const Vec3 pa = velmesh::to_double(a->position), pb = velmesh::to_double(b->position);
        const Vec3 n = unit(pb.y * pa.z - pb.z * pa.y, pb.z * pa.x - pb.x * pa.z, pb.x * pa.y - pb.y * pa.x);
        return &velmesh::new_ses_edge(ses, velmesh::kReentrantArc, a, b, nullptr, {0, 0, 0}, 1, n);
    }

    // A triangle's three arcs, a -> b -> c.
    std::vector<SES_edge*> triangle(const Vec3& a, const Vec3& b, const Vec3& c) {
        SES_vertex* va = vertex(a);
        SES_vertex* vb = vertex(b);
        SES_vertex* vc = vertex(c);
        return {arc(va, vb), arc(vb, vc), arc(vc, va)};
    }

    void put(const std::vector<SES_edge*>& edges) {
        for (SES_edge* e : edges) velmesh::append_edge(*face, *e, 1);
    }

    int order(std::string& out) {
        surface_testing::CapturedConsole console;
        const int failed = velmesh::ordonne_aretes(ses, 1);
        out = console.out();
        return failed;
    }
};

// The octant's cycle: x -> z -> y keeps it on the side of every normal.
std::vector<SES_edge*> octant(ProbeFace& f) {
    return f.triangle({1, 0, 0}, {0, 0, 1}, {0, 1, 0});
}

bool closes(const SES_face& face) {
    for (int begin = 0; begin < static_cast<int>(face.edges.size());) {
        const int end = velmesh::cycle_end(face, begin);
        if (velmesh::traversal_end(face, end - 1) != velmesh::traversal_start(face, begin)) return false;
        begin = end;
    }
    return true;
}

TEST(EdgeOrdering, ChainsAShuffledCycle) {
    ProbeFace f;
    const auto edges = octant(f);
    f.put({edges[0], edges[2], edges[1]});
    std::string out;
    EXPECT_EQ(f.order(out), 0);
    EXPECT_EQ(out, "");
    EXPECT_EQ(f.face->edges, (std::vector<SES_edge*>{edges[0], edges[1], edges[2]}));
    EXPECT_EQ(f.face->cycle_count, 1);
    EXPECT_EQ(f.ses.face_count, 1);
}

TEST(EdgeOrdering, ACycleInsideTheFirstIsAHole) {
    ProbeFace f;
    const auto outer = octant(f);
    // A small triangle about (1, 1, 1), the face outside it: a -> b -> c.
    const auto hole = f.triangle(unit(1.3, 1, 1), unit(1, 1.3, 1), unit(1, 1, 1.3));
    f.put({outer[0], hole[1], outer[2], hole[0], outer[1], hole[2]});
    std::string out;
    EXPECT_EQ(f.order(out), 0);
    EXPECT_EQ(out, "ordonne_arete: warning hole in a reentrant face 0\n");
    EXPECT_EQ(f.face->cycle_count, 2);
    EXPECT_EQ(f.ses.holes, 1);
    EXPECT_EQ(f.ses.face_count, 1);
    EXPECT_TRUE(closes(*f.face));
    for (int k = 0; k < 6; ++k) EXPECT_EQ(f.face->edges[k]->cycle, k < 3 ? 0 : 1);
}

TEST(EdgeOrdering, ACycleElsewhereBecomesAFaceOfItsOwn) {
    ProbeFace f;
    const auto outer = octant(f);
    // The octant x, y < 0 < z, bounded the same way.
    const auto other = f.triangle({-1, 0, 0}, {0, -1, 0}, {0, 0, 1});
    f.put({outer[0], other[0], outer[1], other[1], outer[2], other[2]});
    std::string out;
    EXPECT_EQ(f.order(out), 0);
    EXPECT_EQ(out, "");
    EXPECT_EQ(f.ses.face_count, 2);
    SES_face& split = *f.ses.faces.last();
    EXPECT_EQ(split.type, velmesh::kReentrantFace);
    EXPECT_EQ(split.rs_face, &f.rs);
    EXPECT_EQ(f.face->edges, outer);
    ASSERT_EQ(split.edges.size(), 3u);
    EXPECT_TRUE(closes(split));
    for (SES_edge* e : split.edges) EXPECT_EQ(e->first_face, &split);
}

TEST(EdgeOrdering, AFaceWhoseEdgesDoNotCloseIsMarkedBad) {
    ProbeFace f;
    const auto edges = octant(f);
    f.put({edges[0], edges[1]});
    std::string out;
    EXPECT_EQ(f.order(out), 1);
    EXPECT_EQ(out,
              "ordonne_aretes: No cycle in face 0 (nba=-2)\n"
              "    problem in the surface: the arcs of reentrant face 0 (spheres -1 -1 -1) do not close into cycles\n");
    EXPECT_EQ(f.face->bad, 1);
}

}  // namespace
