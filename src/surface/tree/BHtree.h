#pragma once
// A bucket tree over sphere centres that lists the centres lying within a
// distance of a point. Nodes split at a median found with a 128-bin
// histogram of the longest box side; leaves hold at most the leaf size (10 in
// this program) unless their points cannot be told apart.
//
// The distance is a pure centre distance: callers add radii and rmax
// themselves (r + 2 probe + rmax finds every sphere that a probe touching a
// sphere of radius r can also touch).
#include <array>
#include <memory>
#include <vector>

namespace velmesh {

struct BHpoint {
    float x = 0, y = 0, z = 0;
    float r = 0;
    int index = 0;
};

struct BHnode {
    int left = -1;   // child nodes; -1 for a leaf
    int right = -1;
    int first = 0;   // the node's first entry in the tree's point array
    int count = 0;   // number of points
    float cut = 0;
    int dimension = -1;  // split dimension; -1 for a leaf
};

class BHtree {
public:
    std::vector<BHnode> nodes;    // nodes[0] is the root
    std::vector<BHpoint> points;  // children share their parent's range: left part first
    float xmin = 0, ymin = 0, zmin = 0;
    float xmax = 0, ymax = 0, zmax = 0;
    float rmax = 0;  // largest radius + 0.1
};

// Builds the tree over the points (which it keeps); null for no points.
std::unique_ptr<BHtree> generateBHtree(std::vector<BHpoint> points, int leaf_size);

// Splits a node recursively within the box [low, high].
void divideBHnode(BHtree& tree, int node, std::array<float, 3> low, std::array<float, 3> high, int leaf_size);

// Replaces the result with the indices of the points within the distance of
// the point (a point exactly at the distance is found) and returns their
// number. The result grows as needed; none is ever dropped.
int findBHcloseAtoms(const BHtree* tree, const float point[3], float distance, std::vector<int>& result);

// Appends the indices found in one subtree; returns how many it appended.
int findBHcloseAtomsInNode(const BHtree& tree, int node, const float point[3], float distance,
                           std::vector<int>& result);

}  // namespace velmesh
