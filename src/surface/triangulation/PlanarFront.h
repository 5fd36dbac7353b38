#pragma once
// An advancing front over points of a plane region: it closes the region
// bounded by its boundary segments (each with the region on its left) with
// counter-clockwise triangles, using every free point inside.
//
// For each open segment (a, b) it takes, among the points to the left of the
// segment, the one that sees (a, b) under the largest angle, so that the
// triangle's circumcircle holds no other point on that side (the constrained
// Delaunay triangle), provided that the triangle holds no other live point
// and its new sides cross no open segment; otherwise the next best. A side
// that is already open the other way round closes that segment.
#include <array>
#include <cstdint>
#include <vector>

namespace velmesh {

struct PlanePoint {
    double x = 0, y = 0;
};

class PlanarFront {
public:
    // Points are numbered from 0 in the order added.
    int add_point(PlanePoint point);
    // A boundary segment from a to b with the region on its left.
    void add_segment(int a, int b);

    // Triangulates; false when some segment finds no point to close it (the
    // triangles made so far stay in `triangles`).
    bool run();

    const std::vector<std::array<int, 3>>& triangles() const { return triangles_; }
    // Points that ended in no triangle.
    int unused_points() const;

private:
    enum class State : std::uint8_t { free, active, closed };
    struct Segment {
        int a, b;
        bool open;
    };

    bool close_segment(int s);
    int best_candidate(int a, int b, std::vector<std::uint8_t>& tried) const;
    bool acceptable(int a, int b, int x) const;
    bool crosses_open_segment(int u, int v) const;
    bool point_inside(int a, int b, int x) const;
    bool inside_sweep(int apex, int before, int after, int x) const;
    int open_segment(int from, int to) const;
    void open(int a, int b);
    void close(int s);
    int degenerate_partner(int a, int b) const;
    int last_triangle(int a, int b) const;

    friend bool clip_ears(const std::vector<PlanePoint>& points, std::vector<int> cycle,
                          std::vector<std::array<int, 3>>& triangles);
    std::vector<PlanePoint> points_;
    std::vector<State> state_;
    std::vector<int> open_count_;
    std::vector<Segment> segments_;
    std::vector<std::vector<int>> outgoing_;  // open segments leaving each point
    std::vector<std::array<int, 3>> triangles_;
    std::vector<int> stack_;
};

// Closes one boundary cycle (point indices in order, the region on the left)
// by cutting off one corner after another, the best shaped first, never
// making an edge twice: the way out when the sampled boundary is too coarse
// for the front, its chords crossing where the arcs do not. Corners that
// turn the wrong way are taken only when no other is left, so the result is
// always a disk of triangles along the cycle. False when the cycle cannot
// be closed without repeating an edge.
bool clip_ears(const std::vector<PlanePoint>& points, std::vector<int> cycle,
               std::vector<std::array<int, 3>>& triangles);

}  // namespace velmesh
