#pragma once
// The probe spheres of a component's reduced-surface faces, as the removal of
// self-intersections sees them: every face's probe position with the
// reentrant faces that lie on it, the probes whose spheres overlap it (centres
// closer than twice the probe radius, found through a bucket tree over the
// probe centres), and which of those lie beyond a singular reduced-surface
// edge (their overlap is already bounded by that edge's singular arc).
#include <memory>
#include <unordered_map>
#include <vector>

#include "surface/reduced/RSRecords.h"
#include "surface/ses/SESRecords.h"

namespace velmesh {

struct ProbeSphere {
    Vec3 centre;
    RS_face* rs_face = nullptr;
    std::vector<SES_face*> faces;           // the reentrant faces on this sphere (none for a collision-only triple)
    std::vector<int> overlapping;           // probes whose spheres overlap this one, ascending
    std::vector<int> singular_neighbours;   // probes beyond a singular edge of this probe's face
};

class ProbeSpheres {
public:
    // All faces of the component, with the reentrant faces of the SES
    // component built on it.
    ProbeSpheres(RS_component& component, SES_component& ses, double probe_radius);

    int count() const { return static_cast<int>(probes_.size()); }
    const ProbeSphere& operator[](int index) const { return probes_[index]; }
    // The probe of a reduced-surface face, -1 for a face of another component.
    int index_of(const RS_face* face) const;
    bool singular_neighbours(int a, int b) const;
    // The overlapping probes that cut into a's sphere anew: all but those
    // beyond its singular edges.
    std::vector<int> cutters(int a) const;
    bool any_cutter() const;
    // Probes overlapping both a and b (neither of them), ascending.
    std::vector<int> common_overlaps(int a, int b) const;

private:
    void find_overlaps(double probe_radius);

    std::vector<ProbeSphere> probes_;
    std::unordered_map<const RS_face*, int> index_;
};

// The points on three spheres of radius p: the two ends of the common chord
// of their pairwise circles, above and below the plane of the centres (side
// 0 along (b - a) x (c - a), side 1 against it). False when the spheres have
// no common point or their centres are collinear.
bool triple_points(const Vec3& a, const Vec3& b, const Vec3& c, double p, Vec3& side0, Vec3& side1);

}  // namespace velmesh
