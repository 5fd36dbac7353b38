#pragma once
// The probe spheres of a component's reduced-surface faces, as the removal of
// self-intersections sees them: every face's probe position with the
// reentrant faces on it, the spherical triangle towards its three spheres in
// which those faces lie, and its relations to the other probes:
// - overlapping: centres closer than twice the probe radius (found through a
//   bucket tree over the probe centres, as they are asked for);
// - same position: centres closer than kSamePosition, as where four or more
//   spheres touch one probe position and the reduced surface puts several
//   faces there; such probes are one sphere and never cut each other;
// - circle mates: probes touching the same two spheres whose probe circle
//   reaches their axis (a singular circle, SingularCircles.h). Every probe
//   sphere on such a circle passes through the same two points on the axis,
//   and of all of them only the neighbours across the gaps next to a probe
//   (its gap neighbours) bound its faces;
// - companions: probes at the same position but apart enough to tell the
//   points where their spheres cross a circle apart, as where the probe
//   turns a hair's breadth between two faces: a circle on a third probe
//   passes from one's face to the other's there.
#include <array>
#include <memory>
#include <vector>

#include "surface/reduced/RSRecords.h"
#include "surface/ses/SESContext.h"

namespace velmesh {

// Probe centres closer than this are one probe sphere.
inline constexpr double kSamePosition = 0.01;

struct ProbeSphere {
    Vec3 centre;
    RS_face* rs_face = nullptr;
    std::vector<SES_face*> faces;      // its reentrant faces (none for a collision-only triple)
    std::array<Vec3, 3> towards{};      // unit directions to its three spheres' centres
    // The triangle's sides: unit normals of their planes pointing into it
    // (none for a triangle without extent, which holds everything), and the
    // normals of the planes through each side's ends perpendicular to it.
    bool flat = false;
    std::array<Vec3, 3> side_normals{};
    std::array<Vec3, 3> side_starts{};
    std::array<Vec3, 3> side_ends{};
    std::vector<int> circle_mates;     // ascending
    std::vector<int> gap_neighbours;   // ascending
    // A cap around the triangle: its axis and the cosine and sine of its
    // angular radius (cosine -2 when it is no smaller than a hemisphere).
    Vec3 cap_axis;
    double cap_cos = -2, cap_sin = 0;
};

struct BHtree;

class ProbeSpheres {
public:
    // All faces of the component, with the reentrant faces of the SES
    // component being built on it.
    ProbeSpheres(const SESContext& context, RS_component& component);
    ~ProbeSpheres();
    ProbeSpheres(const ProbeSpheres&) = delete;
    ProbeSpheres& operator=(const ProbeSpheres&) = delete;

    int count() const { return static_cast<int>(probes_.size()); }
    const ProbeSphere& operator[](int index) const { return probes_[index]; }
    // The probe of a reduced-surface face, -1 for a face of another component.
    int index_of(const RS_face* face) const;

    // Records that a and b lie on one singular circle, and whether they are
    // neighbours across a gap of it.
    void add_circle_mates(int a, int b, bool across_gap);
    // Sorts the lists once all circles are in.
    void finish_circles();

    // Whether b's sphere can bound a's faces or a piece of a circle on a's
    // sphere: not a, not at a's position, and not a circle mate unless a gap
    // neighbour.
    bool may_cut(int a, int b) const;
    // The probes whose spheres overlap a's: not a, not at its position.
    void overlapping(int a, std::vector<int>& out) const;
    // Whether a and b lie on one singular circle: they meet only along its
    // arcs across the gaps.
    bool circle_mates(int a, int b) const;
    // The probes that may cut a, b and the circle where their spheres meet:
    // overlapping both, and may_cut both; and the companions of each that
    // the other may cut.
    void partners(int a, int b, std::vector<int>& out) const;

    // Whether x (on a's sphere) lies in the region of a's faces as the face
    // walk built them: within the spherical triangle towards its spheres and
    // outside the spheres of its gap neighbours but `ignore`. Exact up to
    // rounding.
    bool in_region(int a, const Vec3& x, int ignore) const;
    // Whether the sphere of b reaches deeper than `depth` (a length on a's
    // sphere) into a's spherical triangle.
    bool reaches_into_triangle(int a, int b, double depth) const;

private:
    bool same_position(int a, int b) const;
    // Appends the probes at a's position whose centres are not in line with
    // a's and b's and that b may cut.
    void add_companions(int a, int b, std::vector<int>& out) const;

    double p_;
    std::vector<ProbeSphere> probes_;
    std::unique_ptr<BHtree> tree_;
    mutable std::vector<int> found_;
    std::vector<int> by_id_;  // the probe of each reduced-surface face id, -1 for none
};

// Whether u and v (not zero) are parallel, or too nearly so to place the
// points where three spheres meet.
bool collinear(const Vec3& u, const Vec3& v);

// The points on three spheres of radius p: the two ends of the common chord
// of their pairwise circles, above and below the plane of the centres (side
// 0 along (b - a) x (c - a), side 1 against it). False when the spheres have
// no common point or their centres are collinear.
bool triple_points(const Vec3& a, const Vec3& b, const Vec3& c, double p, Vec3& side0, Vec3& side1);

// The largest dot product of the unit vector w with the unit vectors of the
// shorter great-circle arc from `from` to `to` (unit, not opposite): the
// cosine of the angle from w to the arc's nearest point.
double nearest_on_great_arc(const Vec3& w, const Vec3& from, const Vec3& to);

// Whether a cap of angular radius alpha (given by its cosine and sine) around
// the unit vector w reaches deeper than the angle delta over a point whose
// dot product with w is `nearest`.
bool cap_reaches(double nearest, double cos_alpha, double sin_alpha, double delta);

}  // namespace velmesh
