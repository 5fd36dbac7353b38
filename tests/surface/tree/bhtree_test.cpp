#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "surface/tree/BHtree.h"

using velmesh::BHpoint;
using velmesh::BHtree;

namespace {

// The definition the tree must meet, in float as the tree computes it.
std::vector<int> brute_force(const std::vector<BHpoint>& points, const float q[3], float d) {
    std::vector<int> found;
    if (!(d > 0)) return found;
    for (const BHpoint& p : points) {
        const float dx = p.x - q[0];
        const float dy = p.y - q[1];
        const float dz = p.z - q[2];
        if (std::fabs(dx) > d || std::fabs(dy) > d || std::fabs(dz) > d) continue;
        if (dx * dx + dy * dy + dz * dz > d * d) continue;
        found.push_back(p.index);
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::vector<int> search(const BHtree* tree, const float q[3], float d) {
    std::vector<int> found;
    const int n = velmesh::findBHcloseAtoms(tree, q, d, found);
    EXPECT_EQ(n, static_cast<int>(found.size()));
    std::sort(found.begin(), found.end());
    return found;
}

std::vector<BHpoint> random_cloud(int count, float extent, std::mt19937& rng) {
    std::uniform_real_distribution<float> coordinate(-extent, extent);
    std::uniform_real_distribution<float> radius(1.0f, 2.2f);
    std::vector<BHpoint> points;
    for (int i = 0; i < count; ++i) points.push_back({coordinate(rng), coordinate(rng), coordinate(rng), radius(rng), i});
    return points;
}

// Every inner node's children on the right sides of its cut, and every
// point in exactly one leaf.
void check_structure(const BHtree& tree) {
    std::vector<int> seen(tree.points.size(), 0);
    std::vector<int> stack = {0};
    while (!stack.empty()) {
        const velmesh::BHnode& node = tree.nodes[stack.back()];
        stack.pop_back();
        if (node.dimension < 0) {
            for (int i = node.first; i < node.first + node.count; ++i) ++seen[i];
            continue;
        }
        const velmesh::BHnode& left = tree.nodes[node.left];
        const velmesh::BHnode& right = tree.nodes[node.right];
        EXPECT_EQ(left.first, node.first);
        EXPECT_EQ(right.first, node.first + left.count);
        EXPECT_EQ(left.count + right.count, node.count);
        auto coordinate = [&](const BHpoint& p) { return node.dimension == 0 ? p.x : node.dimension == 1 ? p.y : p.z; };
        for (int i = left.first; i < left.first + left.count; ++i) EXPECT_LT(coordinate(tree.points[i]), node.cut);
        for (int i = right.first; i < right.first + right.count; ++i) EXPECT_GE(coordinate(tree.points[i]), node.cut);
        stack.push_back(node.left);
        stack.push_back(node.right);
    }
    for (int s : seen) EXPECT_EQ(s, 1);
}

TEST(BHtree, NeighbourSearchEqualsBruteForceOnRandomClouds) {
    std::mt19937 rng(20240611);
    for (const int count : {1, 9, 11, 200, 3000}) {
        const std::vector<BHpoint> points = random_cloud(count, 25.0f, rng);
        const auto tree = velmesh::generateBHtree(points, 10);
        ASSERT_NE(tree, nullptr);
        check_structure(*tree);
        std::uniform_real_distribution<float> query(-32.0f, 32.0f);
        std::uniform_real_distribution<float> distance(0.5f, 12.0f);
        for (int k = 0; k < 300; ++k) {
            const float q[3] = {query(rng), query(rng), query(rng)};
            const float d = distance(rng);
            ASSERT_EQ(search(tree.get(), q, d), brute_force(points, q, d)) << count << " points, query " << k;
        }
    }
}

TEST(BHtree, FindsPointsExactlyAtTheDistance) {
    // Points on the axes and diagonals of a lattice, queried from lattice
    // points at lattice distances: many lie exactly at the distance.
    std::vector<BHpoint> points;
    int index = 0;
    for (int i = -6; i <= 6; ++i)
        for (int j = -6; j <= 6; ++j)
            for (int k = -6; k <= 6; ++k) points.push_back({0.5f * i, 0.5f * j, 0.5f * k, 1.0f, index++});
    const auto tree = velmesh::generateBHtree(points, 10);
    for (const float d : {0.5f, 1.0f, 1.5f, 2.5f}) {
        for (const auto& q : {std::array<float, 3>{0, 0, 0}, {1.5f, -0.5f, 2.0f}, {-3, -3, -3}, {3, 0.5f, -1}}) {
            const std::vector<int> found = search(tree.get(), q.data(), d);
            EXPECT_EQ(found, brute_force(points, q.data(), d));
            // The six axis neighbours at exactly d are among them.
            int exact = 0;
            for (const int i : found) {
                const BHpoint& p = points[i];
                const float dx = p.x - q[0], dy = p.y - q[1], dz = p.z - q[2];
                if (dx * dx + dy * dy + dz * dz == d * d) ++exact;
            }
            if (std::fabs(q[0]) + d <= 3 && std::fabs(q[1]) + d <= 3 && std::fabs(q[2]) + d <= 3) {
                EXPECT_GE(exact, 6);
            }
        }
    }
    // A query from outside the box that reaches exactly its face.
    const float outside[3] = {5.0f, 0, 0};
    EXPECT_EQ(search(tree.get(), outside, 2.0f), brute_force(points, outside, 2.0f));
    EXPECT_EQ(search(tree.get(), outside, 2.0f).size(), 1u);
}

TEST(BHtree, CoincidentCentresStayInOneLeafAndAreAllFound) {
    std::vector<BHpoint> points;
    for (int i = 0; i < 50; ++i) points.push_back({1.25f, -2.0f, 3.5f, 1.5f, i});
    points.push_back({4.0f, -2.0f, 3.5f, 1.0f, 50});
    points.push_back({1.25f, -2.0f, 3.5f, 1.0f, 51});
    const auto tree = velmesh::generateBHtree(points, 10);
    check_structure(*tree);
    const float at[3] = {1.25f, -2.0f, 3.5f};
    EXPECT_EQ(search(tree.get(), at, 0.001f).size(), 51u);
    EXPECT_EQ(search(tree.get(), at, 2.75f), brute_force(points, at, 2.75f));
    EXPECT_EQ(search(tree.get(), at, 2.75f).size(), 52u);

    std::vector<BHpoint> same(30, BHpoint{0, 0, 0, 1, 0});
    for (int i = 0; i < 30; ++i) same[i].index = i;
    const auto one_leaf = velmesh::generateBHtree(same, 10);
    EXPECT_EQ(one_leaf->nodes.size(), 1u);
    const float origin[3] = {0, 0, 0};
    EXPECT_EQ(search(one_leaf.get(), origin, 1.0f).size(), 30u);
}

TEST(BHtree, ResultGrowsPastAnyFixedCap) {
    std::mt19937 rng(7);
    const std::vector<BHpoint> points = random_cloud(5000, 5.0f, rng);
    const auto tree = velmesh::generateBHtree(points, 10);
    const float centre[3] = {0, 0, 0};
    std::vector<int> found(3, -1);  // a result that held something before
    EXPECT_EQ(velmesh::findBHcloseAtoms(tree.get(), centre, 100.0f, found), 5000);
    EXPECT_EQ(found.size(), 5000u);
}

TEST(BHtree, DegenerateQueriesFindNothing) {
    EXPECT_EQ(velmesh::generateBHtree({}, 10), nullptr);
    const auto tree = velmesh::generateBHtree({{0, 0, 0, 1.5f, 0}, {1, 0, 0, 2.5f, 1}}, 10);
    EXPECT_FLOAT_EQ(tree->rmax, 2.6f);
    const float q[3] = {0, 0, 0};
    std::vector<int> found = {9};
    EXPECT_EQ(velmesh::findBHcloseAtoms(nullptr, q, 1, found), 0);
    EXPECT_TRUE(found.empty());
    EXPECT_EQ(velmesh::findBHcloseAtoms(tree.get(), q, 0, found), 0);
    EXPECT_EQ(velmesh::findBHcloseAtoms(tree.get(), q, -1, found), 0);
    const float far[3] = {0, 0, 10};
    EXPECT_EQ(velmesh::findBHcloseAtoms(tree.get(), far, 9.99f, found), 0);
    EXPECT_EQ(velmesh::findBHcloseAtoms(tree.get(), far, 10.0f, found), 1);
}

TEST(BHtree, SplitsAtTheHistogramMedianOfTheLongestSide) {
    // 20 points spread along y (the longest side): the root cuts y where the
    // running count of the 128 bins first exceeds 10.
    std::vector<BHpoint> points;
    for (int i = 0; i < 20; ++i) points.push_back({0.01f * (i % 3), static_cast<float>(i), 0, 1, i});
    const auto tree = velmesh::generateBHtree(points, 10);
    const velmesh::BHnode& root = tree->nodes[0];
    EXPECT_EQ(root.dimension, 1);
    const float width = 19.0f / 128;
    // Points 0..10 fill the bins up to trunc(10 / width) = 67, where the count reaches 11.
    EXPECT_FLOAT_EQ(root.cut, 0 + 67 * width);
    EXPECT_EQ(tree->nodes[root.left].count, 10);
    EXPECT_EQ(tree->nodes[root.right].count, 10);
}

}  // namespace
