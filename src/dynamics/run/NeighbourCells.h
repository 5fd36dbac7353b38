#pragma once
// Cells of a compartment that file the scene's instances by their centres,
// so that the instances within a range of a point are found among the few
// cells around it instead of in the whole scene. A cell is at least as wide
// as the largest range asked for, so everything within range of a point lies
// in the point's cell or next to it along each axis: among 3 × 3 × 3 cells.
// In a periodic box the cells around a point wrap around the faces (the
// minimum image). Centres outside the cells (an instance of
// another compartment, one placed outside its box, a centre that is not
// finite) are kept on a list of their own that every search returns.
//
// The cells follow the instances as they move one after another within a
// time step. Each entry keeps its instance's centre beside the links of its
// cell, so a search reads one place per instance it finds. Nothing
// allocates once reserve has sized the storage.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "utils/geometry/COMPARTMENT.h"

class NeighbourCells {
public:
    // Sizes the storage for `instances` centres, once.
    void reserve(std::size_t instances);

    // Lays cells over c for searches within sqrt(reach2) (m) and files the
    // n centres (x, y, z). The cells are used only where they narrow a
    // search well: a periodic or closed box with a usable size along every
    // axis, enough instances, and cells around a point that make up a small
    // share of all the cells.
    void build(const COMPARTMENT* c, double reach2, const double* x, const double* y, const double* z,
               std::int32_t n);
    bool usable() const { return usable_; }
    // The squared range the cells were laid for.
    double reach2() const { return reach2_; }

    // Files instance i at its new centre.
    void move(std::int32_t i, double x, double y, double z) {
        if (!usable_) return;
        Entry& e = entries_[static_cast<std::size_t>(i)];
        e.x = x;
        e.y = y;
        e.z = z;
        const std::int32_t cell = cell_of(x, y, z);
        if (cell != e.cell) relink(i, cell);
    }

    // Calls visit(j, centre of j) for every instance j that may lie within
    // sqrt(reach2()) of p, each once, in no particular order, and returns
    // true; returns false at once when p has no cells around it (a
    // coordinate that is not finite, or a period or more outside a periodic
    // box), so that the caller looks at every instance instead.
    template <class Visit>
    bool search(const POINT3D& p, Visit visit) const {
        std::int32_t cx[span], cy[span], cz[span];
        const int nx = around(axes_[0], p.x, cx);
        const int ny = around(axes_[1], p.y, cy);
        const int nz = around(axes_[2], p.z, cz);
        if (nx < 0 || ny < 0 || nz < 0) return false;
        const std::int32_t* head = head_.data();
        const Entry* entries = entries_.data();
        const auto walk = [&](std::int32_t cell) {
            for (std::int32_t j = head[cell]; j >= 0;) {
                const Entry& e = entries[j];
                visit(j, POINT3D{e.x, e.y, e.z});
                j = e.next;
            }
        };
        for (int a = 0; a < nx; ++a)
            for (int b = 0; b < ny; ++b) {
                const std::int32_t row = (cx[a] * axes_[1].n + cy[b]) * axes_[2].n;
                for (int c = 0; c < nz; ++c) walk(row + cz[c]);
            }
        walk(outside_);
        return true;
    }

private:
    // The cells around a point's, its own included, along an axis.
    static constexpr std::int32_t span = 3;

    struct Axis {
        double lower = 0.0;
        double upper = 0.0;
        double size = 0.0;
        double per_length = 0.0;  // cells per metre
        std::int32_t n = 0;       // cells
        bool periodic = false;
    };
    // One instance: its centre, the next and previous instance of its cell
    // (-1: none) and its cell.
    struct Entry {
        double x, y, z;
        std::int32_t next, prev, cell;
    };

    // The cell of a centre, or outside_ when it lies in none.
    std::int32_t cell_of(double x, double y, double z) const {
        const std::int32_t i = index_on(axes_[0], x);
        const std::int32_t j = index_on(axes_[1], y);
        const std::int32_t k = index_on(axes_[2], z);
        if ((i | j | k) < 0) return outside_;
        return (i * axes_[1].n + j) * axes_[2].n + k;
    }
    // The cell along one axis of a coordinate within the box (the upper
    // face belongs to the last cell), -1 for anything else.
    static std::int32_t index_on(const Axis& a, double v) {
        if (!(v >= a.lower && v <= a.upper)) return -1;
        const auto i = static_cast<std::int32_t>((v - a.lower) * a.per_length);
        return i < a.n ? i : a.n - 1;
    }
    // The cells along one axis that may hold a centre within reach of v;
    // returns their number (0 to span), -1 when v has none.
    int around(const Axis& a, double v, std::int32_t (&cells)[span]) const;
    void relink(std::int32_t i, std::int32_t cell);
    void link(std::int32_t i, std::int32_t cell);

    bool usable_ = false;
    double reach2_ = 0.0;
    Axis axes_[3];
    std::int32_t outside_ = 0;  // the list of centres in no cell: the one after the last cell
    std::size_t cells_limit_ = 0;
    std::vector<std::int32_t> head_;  // per cell (and the outside list): first instance, -1 none
    std::vector<Entry> entries_;      // per instance
};
