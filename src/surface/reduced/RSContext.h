#pragma once
// The working state of one reduced-surface computation: the run, the search
// tree over the spheres, a contiguous copy of the centres and radii for the
// inner loops, every sphere's neighbours, and reusable lists, so that the
// searches allocate nothing once they have warmed up.
#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <unordered_set>
#include <memory>
#include <span>
#include <utility>
#include <vector>

#include "surface/RunState.h"
#include "surface/Vec3.h"
#include "surface/tree/BHtree.h"

namespace velmesh {

// Error statuses of the reduced surface, kept in the run's rs_failed.
inline constexpr int kRsInconsistent = 1;  // radii were enlarged

// A probe position counts as free when every other sphere keeps its centre
// at least r + p - this away.
inline constexpr double kFreeProbeSlack = 0.00001;

struct Ball {
    Vec3 centre;
    double r = 0;
};

class RSContext {
public:
    explicit RSContext(RunState& run);

    RunState& run;
    const double p;  // probe radius
    std::vector<Ball> balls;
    std::unique_ptr<BHtree> tree;

    const Vec3& centre(int sphere) const { return balls[sphere].centre; }
    double radius(int sphere) const { return balls[sphere].r; }
    double rmax() const { return tree->rmax; }
    int sphere_count() const { return static_cast<int>(balls.size()); }

    // An inconsistency met at the spheres. The stage goes on, so that one
    // attempt finds every place that needs larger radii (in every
    // component), and fails at its end.
    void inconsistent(std::initializer_list<int> spheres);
    bool any_inconsistent() const { return !to_grow_.empty(); }
    // Grows each sphere met in an inconsistency once, by 0.1, in the order
    // they were met, reporting each; the stage's status becomes 1.
    void grow_inconsistent();

    // Replaces `found` with the spheres whose centres lie within the distance
    // of the point.
    void neighbours(const Vec3& point, double distance, std::vector<int>& found) const;

    // The spheres (the sphere itself among them) whose centres lie within
    // r + 2p + rmax of the sphere's centre, in the tree's order: all that a
    // probe touching the sphere can touch or overlap. Any search around a
    // torus of the sphere with a neighbour, or around a probe touching it,
    // finds a subset of these in the same order.
    std::span<const int> near(int sphere) const {
        return {near_pool_.data() + near_start_[sphere], near_pool_.data() + near_start_[sphere + 1]};
    }

    // Whether a probe at the position keeps clear of every listed sphere but
    // the three it touches (pass -1 for fewer). The sphere that blocked the
    // last position is tested first: neighbouring positions tend to be
    // blocked by the same sphere.
    bool probe_is_free(const Vec3& probe, std::span<const int> spheres, int a, int b, int c);


    // Reusable lists, one per nesting level of the searches.
    std::vector<int> near_free_edges;
    std::vector<int> near_circle;
    std::vector<int> near_sweep;
    std::vector<int> order;
    std::vector<std::pair<double, double>> covered;  // angular intervals of a circle

    // Torus circles found covered all round (FreeCircle.h); radii do not
    // change during the stage, so neither does the answer.
    bool circle_known_covered(int a, int b) const { return covered_circles_.contains(pair_key(a, b)); }
    void remember_covered_circle(int a, int b) { covered_circles_.insert(pair_key(a, b)); }

private:
    std::vector<int> near_pool_;
    std::vector<std::size_t> near_start_;
    int last_blocker_ = -1;
    std::vector<int> to_grow_;
    std::unordered_set<std::uint64_t> covered_circles_;

    static std::uint64_t pair_key(int a, int b) {
        const auto low = static_cast<std::uint64_t>(std::min(a, b)), high = static_cast<std::uint64_t>(std::max(a, b));
        return (high << 32) | low;
    }
};

}  // namespace velmesh
