#include "surface/tree/BHtree.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace velmesh {

namespace {

constexpr int kBins = 128;
constexpr float kSmallestBin = 0.0001f;

float coordinate(const BHpoint& p, int dimension) {
    return dimension == 0 ? p.x : (dimension == 1 ? p.y : p.z);
}

// Rounding margin for the pruning tests, so that no subtree or box is passed
// over that holds a point the leaf test (in float) would accept.
double margin(float coordinate, float distance) {
    return 1e-6 * (std::fabs(static_cast<double>(coordinate)) + distance) + 1e-30;
}

}  // namespace

std::unique_ptr<BHtree> generateBHtree(std::vector<BHpoint> points, int leaf_size) {
    if (points.empty()) return nullptr;
    auto tree = std::make_unique<BHtree>();
    float rmax = points.front().r;
    std::array<float, 3> low = {points.front().x, points.front().y, points.front().z};
    std::array<float, 3> high = low;
    for (const BHpoint& p : points) {
        rmax = std::max(rmax, p.r);
        for (int d = 0; d < 3; ++d) {
            low[d] = std::min(low[d], coordinate(p, d));
            high[d] = std::max(high[d], coordinate(p, d));
        }
    }
    tree->rmax = rmax + 0.1f;
    tree->xmin = low[0];
    tree->ymin = low[1];
    tree->zmin = low[2];
    tree->xmax = high[0];
    tree->ymax = high[1];
    tree->zmax = high[2];
    tree->points = std::move(points);
    BHnode root;
    root.count = static_cast<int>(tree->points.size());
    tree->nodes.reserve(2 * tree->points.size() / std::max(leaf_size, 1) + 1);
    tree->nodes.push_back(root);
    divideBHnode(*tree, 0, low, high, leaf_size);
    return tree;
}

void divideBHnode(BHtree& tree, int node, std::array<float, 3> low, std::array<float, 3> high, int leaf_size) {
    const int count = tree.nodes[node].count;
    if (leaf_size <= 0 || count <= leaf_size) return;

    int dimension = 0;
    if (high[1] - low[1] > high[0] - low[0]) dimension = 1;
    if (high[2] - low[2] > high[dimension] - low[dimension]) dimension = 2;
    const float width = (high[dimension] - low[dimension]) / kBins;
    if (width < kSmallestBin) return;

    BHpoint* begin = tree.points.data() + tree.nodes[node].first;
    BHpoint* end = begin + count;

    std::array<int, kBins> histogram{};
    for (const BHpoint* p = begin; p != end; ++p) {
        const float position = (coordinate(*p, dimension) - low[dimension]) / width;
        if (position >= 0 && position < kBins) ++histogram[static_cast<int>(position)];
    }
    const int half = count / 2;
    int running = histogram[0];
    int j = 1;
    for (; j < kBins; ++j) {
        running += histogram[j];
        if (running > half) break;
    }
    if (running == count) return;
    const float cut = low[dimension] + static_cast<float>(j) * width;

    // Points below the cut first: scan from the left past points below it and
    // from the right past points at or above it, swap, repeat.
    int left = 0;
    int right = count - 1;
    while (true) {
        while (left <= right && coordinate(begin[left], dimension) < cut) ++left;
        while (right >= left && coordinate(begin[right], dimension) >= cut) --right;
        if (left >= right) break;
        std::swap(begin[left], begin[right]);
        ++left;
        --right;
    }
    const int left_count = left;

    BHnode left_child;
    left_child.first = tree.nodes[node].first;
    left_child.count = left_count;
    BHnode right_child;
    right_child.first = tree.nodes[node].first + left_count;
    right_child.count = count - left_count;
    const int left_index = static_cast<int>(tree.nodes.size());
    tree.nodes.push_back(left_child);
    tree.nodes.push_back(right_child);
    BHnode& parent = tree.nodes[node];
    parent.left = left_index;
    parent.right = left_index + 1;
    parent.cut = cut;
    parent.dimension = dimension;

    if (left_count > leaf_size) {
        std::array<float, 3> left_high = high;
        left_high[dimension] = cut;
        divideBHnode(tree, left_index, low, left_high, leaf_size);
    }
    if (count - left_count > leaf_size) {
        std::array<float, 3> right_low = low;
        right_low[dimension] = cut;
        divideBHnode(tree, left_index + 1, right_low, high, leaf_size);
    }
}

int findBHcloseAtoms(const BHtree* tree, const float point[3], float distance, std::vector<int>& result) {
    result.clear();
    if (tree == nullptr || tree->nodes.empty() || !(distance > 0)) return 0;
    const float low[3] = {tree->xmin, tree->ymin, tree->zmin};
    const float high[3] = {tree->xmax, tree->ymax, tree->zmax};
    for (int d = 0; d < 3; ++d) {
        const double slack = margin(point[d], distance);
        if (static_cast<double>(point[d]) < static_cast<double>(low[d]) - distance - slack) return 0;
        if (static_cast<double>(point[d]) > static_cast<double>(high[d]) + distance + slack) return 0;
    }
    return findBHcloseAtomsInNode(*tree, 0, point, distance, result);
}

int findBHcloseAtomsInNode(const BHtree& tree, int node_index, const float point[3], float distance,
                           std::vector<int>& result) {
    const std::size_t before = result.size();
    const BHnode& node = tree.nodes[node_index];
    if (node.dimension >= 0) {
        const double q = point[node.dimension];
        const double slack = margin(point[node.dimension], distance);
        if (q - distance < static_cast<double>(node.cut) + slack)
            findBHcloseAtomsInNode(tree, node.left, point, distance, result);
        if (q + distance >= static_cast<double>(node.cut) - slack)
            findBHcloseAtomsInNode(tree, node.right, point, distance, result);
        return static_cast<int>(result.size() - before);
    }
    // The leaf's points are tested without branches: every index is written
    // and the end of the result moves on only for the points that pass.
    const float limit = distance * distance;
    const BHpoint* p = tree.points.data() + node.first;
    result.resize(before + node.count);
    int* out = result.data() + before;
    int kept = 0;
    for (int i = 0; i < node.count; ++i) {
        const float dx = p[i].x - point[0];
        const float dy = p[i].y - point[1];
        const float dz = p[i].z - point[2];
        const int inside = static_cast<int>(std::fabs(dx) <= distance) & static_cast<int>(std::fabs(dy) <= distance) &
                           static_cast<int>(std::fabs(dz) <= distance) &
                           static_cast<int>(dx * dx + dy * dy + dz * dz <= limit);
        out[kept] = p[i].index;
        kept += inside;
    }
    result.resize(before + kept);
    return static_cast<int>(result.size() - before);
}

}  // namespace velmesh
