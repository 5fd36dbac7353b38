#include "dynamics/run/NeighbourCells.h"

#include <algorithm>
#include <cmath>

namespace {

// Cells are this much wider than the range they serve, far above the
// roundings of the coordinates, their differences and the cell indices.
constexpr double width_margin = 1e-6;
// The cells laid over a box: at most this many per instance, and some more
// for a small scene, so that empty cells do not outweigh the instances.
constexpr std::size_t cells_per_instance = 8;
constexpr std::size_t spare_cells = 4096;
// Below this many instances one plain pass over all of them costs about as
// much as a visit to the cells around a point.
constexpr std::int32_t fewest_instances = 64;
// The cells around a point may make up at most this share of all cells.
constexpr double widest_share = 0.25;

}  // namespace

void NeighbourCells::reserve(std::size_t instances) {
    cells_limit_ = std::max(cells_limit_, cells_per_instance * instances + spare_cells);
    if (head_.size() < cells_limit_ + 1) head_.resize(cells_limit_ + 1);
    if (entries_.size() < instances) entries_.resize(instances);
}

void NeighbourCells::build(const COMPARTMENT* c, double reach2, const double* x, const double* y, const double* z,
                           std::int32_t n) {
    usable_ = false;
    if (c == nullptr || (c->type != 0 && c->type != 1)) return;
    if (n < fewest_instances || static_cast<std::size_t>(n) > entries_.size()) return;
    if (!(reach2 >= 0.0) || !std::isfinite(reach2)) return;
    const bool periodic = c->type == 0;
    const double lower[3] = {c->lower.x, c->lower.y, c->lower.z};
    const double upper[3] = {c->upper.x, c->upper.y, c->upper.z};
    const double size[3] = {c->size.x, c->size.y, c->size.z};
    const auto limit = static_cast<double>(cells_limit_);
    const double width = std::sqrt(reach2) * (1.0 + width_margin);

    // A periodic axis is cut into whole cells along one period from its
    // lower face (distances fold by the period); a closed box's axis from
    // its lower to its upper wall.
    double extent[3];
    double counts[3];
    for (int a = 0; a < 3; ++a) {
        extent[a] = periodic ? size[a] : upper[a] - lower[a];
        if (!(extent[a] > 0.0) || !std::isfinite(extent[a]) || !std::isfinite(lower[a])) return;
        const double fit = width > 0.0 ? std::floor(extent[a] / width) : limit;
        counts[a] = std::clamp(fit, 1.0, limit);
    }
    // Wider cells where there would be too many.
    for (double product = counts[0] * counts[1] * counts[2]; product > limit;
         product = counts[0] * counts[1] * counts[2]) {
        const double shrink = std::cbrt(product / limit);
        for (double& count : counts) count = std::max(1.0, std::floor(count / shrink));
        if (counts[0] * counts[1] * counts[2] == product) {
            double& largest = *std::max_element(counts, counts + 3);
            largest -= 1.0;
        }
    }
    double share = 1.0;
    for (const double count : counts) share *= std::min(double{span}, count) / count;
    if (share > widest_share) return;

    for (int a = 0; a < 3; ++a) {
        Axis& axis = axes_[a];
        axis.lower = lower[a];
        axis.upper = lower[a] + extent[a];
        axis.size = extent[a];
        axis.n = static_cast<std::int32_t>(counts[a]);
        axis.per_length = counts[a] / extent[a];
        axis.periodic = periodic;
    }
    outside_ = axes_[0].n * axes_[1].n * axes_[2].n;
    std::fill(head_.begin(), head_.begin() + outside_ + 1, -1);
    usable_ = true;
    reach2_ = reach2;
    for (std::int32_t i = 0; i < n; ++i) {
        const auto k = static_cast<std::size_t>(i);
        Entry& e = entries_[k];
        e.x = x[k];
        e.y = y[k];
        e.z = z[k];
        link(i, cell_of(e.x, e.y, e.z));
    }
}

void NeighbourCells::link(std::int32_t i, std::int32_t cell) {
    Entry& e = entries_[static_cast<std::size_t>(i)];
    const std::int32_t first = head_[static_cast<std::size_t>(cell)];
    e.prev = -1;
    e.next = first;
    e.cell = cell;
    if (first >= 0) entries_[static_cast<std::size_t>(first)].prev = i;
    head_[static_cast<std::size_t>(cell)] = i;
}

void NeighbourCells::relink(std::int32_t i, std::int32_t cell) {
    const Entry& e = entries_[static_cast<std::size_t>(i)];
    if (e.prev >= 0)
        entries_[static_cast<std::size_t>(e.prev)].next = e.next;
    else
        head_[static_cast<std::size_t>(e.cell)] = e.next;
    if (e.next >= 0) entries_[static_cast<std::size_t>(e.next)].prev = e.prev;
    link(i, cell);
}

int NeighbourCells::around(const Axis& a, double v, std::int32_t (&cells)[span]) const {
    if (a.periodic) {
        // A point a period or more outside the box is left to the plain
        // scan: its differences to the others lose the digits that the
        // fold's image depends on.
        if (!(v >= a.lower - a.size && v <= a.upper + a.size)) return -1;
        if (a.n <= span) {
            for (std::int32_t i = 0; i < a.n; ++i) cells[i] = i;
            return a.n;
        }
        const double wrapped = std::clamp(v < a.lower ? v + a.size : v > a.upper ? v - a.size : v, a.lower, a.upper);
        const std::int32_t at = index_on(a, wrapped);
        cells[0] = at == 0 ? a.n - 1 : at - 1;
        cells[1] = at;
        cells[2] = at + 1 == a.n ? 0 : at + 1;
        return span;
    }
    if (!std::isfinite(v)) return -1;
    // Everything within reach of v lies less than a cell away from it.
    const double at = std::floor((v - a.lower) * a.per_length);
    const double first = std::max(at - 1.0, 0.0);
    const double last = std::min(at + 1.0, static_cast<double>(a.n - 1));
    int m = 0;
    for (double i = first; i <= last; i += 1.0) cells[m++] = static_cast<std::int32_t>(i);
    return m;
}

