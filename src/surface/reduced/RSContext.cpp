#include "surface/reduced/RSContext.h"

#include <algorithm>

#include "surface/Console.h"
#include "surface/Restart.h"
#include "surface/tree/Geometry.h"

namespace velmesh {

namespace {

constexpr int kLeafSize = 10;

}  // namespace

RSContext::RSContext(RunState& state) : run(state), p(state.probe_radius) {
    balls.reserve(run.atoms.size());
    std::vector<BHpoint> points;
    points.reserve(run.atoms.size());
    for (int i = 0; i < run.atom_count(); ++i) {
        const Atom& a = run.atoms[i];
        balls.push_back(Ball{a.centre(), a.r});
        points.push_back(BHpoint{a.x, a.y, a.z, a.r, i});
    }
    tree = generateBHtree(std::move(points), kLeafSize);
    if (tree == nullptr) return;
    near_start_.reserve(balls.size() + 1);
    near_start_.push_back(0);
    std::vector<int> found;
    for (int s = 0; s < sphere_count(); ++s) {
        neighbours(balls[s].centre, balls[s].r + 2 * p + rmax(), found);
        near_pool_.insert(near_pool_.end(), found.begin(), found.end());
        near_start_.push_back(near_pool_.size());
    }
}

void RSContext::neighbours(const Vec3& point, double distance, std::vector<int>& found) const {
    const float at[3] = {static_cast<float>(point.x), static_cast<float>(point.y), static_cast<float>(point.z)};
    findBHcloseAtoms(tree.get(), at, static_cast<float>(distance), found);
}

bool RSContext::probe_is_free(const Vec3& probe, std::span<const int> spheres, int a, int b, int c) {
    const auto blocks = [&](int s) {
        const Ball& ball = balls[s];
        const double reach = ball.r + p - kFreeProbeSlack;
        return squared_distance(probe, ball.centre) < reach * reach;
    };
    if (last_blocker_ >= 0 && last_blocker_ != a && last_blocker_ != b && last_blocker_ != c &&
        blocks(last_blocker_))
        return false;
    for (const int s : spheres) {
        if (s == a || s == b || s == c) continue;
        if (blocks(s)) {
            last_blocker_ = s;
            return false;
        }
    }
    return true;
}

void RSContext::inconsistent(std::initializer_list<int> spheres) {
    for (const int s : spheres)
        if (std::find(to_grow_.begin(), to_grow_.end(), s) == to_grow_.end()) to_grow_.push_back(s);
}

void RSContext::grow_inconsistent() {
    for (const int sphere : to_grow_) {
        Atom& atom = run.atoms[sphere];
        const float before = atom.r;
        atom.r += kRadiusGrowth;
        balls[sphere].r = atom.r;
        print_out("radius of atom %d goes from %f -> %f\n", sphere, before, atom.r);
    }
    to_grow_.clear();
    run.rs_failed = kRsInconsistent;
}

}  // namespace velmesh
