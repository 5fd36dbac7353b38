#pragma once
// Disjoint sets over 0 .. n-1, for counting the connected pieces of a mesh
// or of a reduced surface.
#include <algorithm>
#include <numeric>
#include <set>
#include <vector>

namespace surface_testing {

class UnionFind {
public:
    explicit UnionFind(int n) : parent_(n) { std::iota(parent_.begin(), parent_.end(), 0); }

    int find(int a) {
        while (parent_[a] != a) a = parent_[a] = parent_[parent_[a]];
        return a;
    }

    void join(int a, int b) {
        a = find(a);
        b = find(b);
        if (a != b) parent_[std::max(a, b)] = std::min(a, b);
    }

    // The number of sets the members fall into.
    int groups(const std::vector<int>& members) {
        std::set<int> roots;
        for (const int m : members) roots.insert(find(m));
        return static_cast<int>(roots.size());
    }

private:
    std::vector<int> parent_;
};

}  // namespace surface_testing
