#include "surface/triangulation/SphericalFaces.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <vector>

#include "surface/Console.h"
#include "surface/ses/FaceCycles.h"
#include "surface/ses/PointInContactFace.h"
#include "surface/tree/Geometry.h"
#include "surface/triangulation/ArcSampling.h"
#include "surface/triangulation/PlanarFront.h"
#include "surface/triangulation/Spacing.h"

namespace velmesh {

namespace {

// The sphere a face lies on, and which way the solvent is: outward from an
// atom, inward on a probe.
struct FaceSphere {
    Vec3 centre;
    double radius = 0;
    double outward = 1;
    const SphereTemplate* shape = nullptr;
    Vec3 pole;  // a direction outside the face, from which it is projected
};

FaceSphere sphere_of(const RunState& run, const SES_face& face) {
    FaceSphere sphere;
    if (face.type == kContactFace) {
        const Atom& atom = run.atoms[face.sphere];
        sphere.centre = atom.centre();
        sphere.radius = atom.r;
        sphere.shape = &run.template_of(atom);
        return sphere;
    }
    const RS_face& rs = *face.rs_face;
    sphere.centre = rs.probe;
    sphere.radius = run.probe_radius;
    sphere.outward = -1;
    const bool high = wants_high_density(run, {rs.i, rs.j, rs.k});
    sphere.shape = high ? &run.htemplates[0] : &run.templates[0];
    return sphere;
}

// Which side of an arc's plane the face lies on: its normal points into the
// face on the arc's own sphere (the first face, or the contact face).
double side_of(const SES_face& face, const SES_edge& edge) {
    if (face.type == kContactFace) return 1;
    return edge.first_face == &face ? 1 : -1;
}

// Outside every face of a probe lies the direction away from its three
// spheres; outside every contact face the cap that a neighbour blocks, the
// largest one taken.
Vec3 pole_of(const SES_face& face, const std::vector<Vec3>& boundary, const FaceSphere& sphere) {
    if (face.type == kReentrantFace && face.rs_face != nullptr) return normalised(face.rs_face->normal);
    if (face.type == kContactFace) {
        const SES_edge* widest = nullptr;
        for (const SES_edge* edge : face.edges)
            if ((edge->type & kContactArc) != 0 && (widest == nullptr || edge->angle < widest->angle)) widest = edge;
        if (widest != nullptr) return -widest->normal();
    }
    Vec3 sum;
    for (const Vec3& x : boundary) sum += normalised(x - sphere.centre);
    return normalised(-sum);
}

class FaceMesher {
public:
    FaceMesher(RunState& run, SES_face& face) : run_(run), face_(face), sphere_(sphere_of(run, face)) {}

    // Why the face could not be meshed, when it could not.
    const char* failure = "";

    bool mesh() {
        if (!collect_boundary()) return fail("an arc of its boundary has no points");
        sphere_.pole = pole_of(face_, boundary_positions_, sphere_);
        set_projection();
        carve();
        for (int k = 0; k < static_cast<int>(boundary_positions_.size()); ++k)
            if (!project_into_front(boundary_positions_[k])) return fail("a boundary point has no image in its plane");
        for (const int t : retained_)
            if (!project_into_front(sphere_.centre + sphere_.radius * direction(t)))
                return fail("a template point has no image in its plane");
        for (const auto& [a, b] : boundary_segments_) front_.add_segment(a, b);
        // A front that closes the face with the wrong topology (a hole
        // sampled so coarsely that it is filled as a disk of its own) is
        // closed by corners instead, its cycles bridged into one.
        if (front_.run() && has_topology_of_face(front_.triangles())) {
            triangles_ = front_.triangles();
        } else if (!close_by_corners()) {
            return fail("neither the front nor the corners of its boundary close it");
        }
        store();
        return true;
    }

private:
    bool fail(const char* why) {
        failure = why;
        return false;
    }

    Vec3 direction(int t) const { return to_double(sphere_.shape->points[t].direction); }

    // A region of the sphere bounded by c disjoint cycles is a disk with
    // c - 1 holes: its triangles have Euler characteristic 2 - c. Cycles
    // that share a point (each point starts one segment otherwise) are not
    // checked.
    bool has_topology_of_face(const std::vector<std::array<int, 3>>& triangles) const {
        if (boundary_segments_.size() != boundary_positions_.size()) return true;
        std::vector<int> used;
        std::vector<std::pair<int, int>> edges;
        for (const auto& t : triangles)
            for (int k = 0; k < 3; ++k) {
                used.push_back(t[k]);
                edges.emplace_back(std::min(t[k], t[(k + 1) % 3]), std::max(t[k], t[(k + 1) % 3]));
            }
        std::sort(used.begin(), used.end());
        std::sort(edges.begin(), edges.end());
        const auto vertices = std::unique(used.begin(), used.end()) - used.begin();
        const auto edge_count = std::unique(edges.begin(), edges.end()) - edges.begin();
        const auto euler = vertices - edge_count + static_cast<std::ptrdiff_t>(triangles.size());
        return euler == 2 - cycle_count_;
    }

    // The boundary cycles as point lists; a vertex met twice is one point.
    bool collect_boundary() {
        std::vector<const ArcPoint*> cycle;
        const int count = static_cast<int>(face_.edges.size());
        for (int begin = 0; begin < count;) {
            const int end = cycle_end(face_, begin);
            cycle.clear();
            for (int k = begin; k < end; ++k) {
                if (face_.edges[k]->points.size() < 2) return false;
                traversal_points(*face_.edges[k], face_.orientations[k], cycle);
            }
            if (cycle.size() < 2) return false;
            const int first = boundary_point(*cycle[0]);
            int previous = first;
            for (std::size_t k = 1; k < cycle.size(); ++k) {
                const int next = boundary_point(*cycle[k]);
                boundary_segments_.push_back({previous, next});
                previous = next;
            }
            boundary_segments_.push_back({previous, first});
            ++cycle_count_;
            begin = end;
        }
        return true;
    }

    int boundary_point(const ArcPoint& point) {
        const auto [it, added] = local_.try_emplace(point.vertex, static_cast<int>(boundary_vertices_.size()));
        if (added) {
            boundary_vertices_.push_back(point.vertex);
            boundary_positions_.push_back(to_double(point.point));
        }
        return it->second;
    }

    // The plane's axes are chosen so that counter-clockwise there is
    // counter-clockwise seen from the solvent. A reentrant face lies in the
    // hemisphere opposite its pole (towards its three spheres) and is
    // projected from the probe's centre onto the plane touching that
    // hemisphere's middle (gnomonic projection): great circles become
    // straight lines, so a straight side in the plane is a shortest path on
    // the sphere, and a boundary arc that bends into the face, as the arc
    // where two probe spheres meet does, bends into it in the plane too.
    // Any other face, which may cover more than a hemisphere, is projected
    // stereographically from its pole.
    void set_projection() {
        const Vec3& q = sphere_.pole;
        e1_ = perpendicular(q);
        e2_ = sphere_.outward * -1.0 * cross(q, e1_);
        gnomonic_ = face_.type == kReentrantFace;
    }

    // The denominator of the projection; not above zero where it has no image.
    double depth_of(const Vec3& d) const { return gnomonic_ ? -dot(d, sphere_.pole) : 1 - dot(d, sphere_.pole); }

    PlanePoint project(const Vec3& x) const {
        const Vec3 d = normalised(x - sphere_.centre);
        const double w = depth_of(d);
        return {dot(d, e1_) / w, dot(d, e2_) / w};
    }

    bool project_into_front(const Vec3& x) {
        const Vec3 d = normalised(x - sphere_.centre);
        if (depth_of(d) < 1e-9) return false;
        front_.add_point(project(x));
        return true;
    }

    // The template points inside the face, at least half a template spacing
    // from every boundary arc's plane.
    void carve() {
        const SphereTemplate& shape = *sphere_.shape;
        const int n = shape.point_count();
        if (n == 0) return;
        const double margin = shape.h * sphere_.radius;
        std::vector<std::uint8_t> candidate(n, 0);
        bool any = false;
        for (int t = 0; t < n; ++t) {
            const Vec3 d = direction(t);
            if (face_.type == kReentrantFace && face_.rs_face != nullptr && dot(d, face_.rs_face->normal) > 0) continue;
            const Vec3 x = sphere_.centre + sphere_.radius * d;
            bool inside = true;
            for (const SES_edge* edge : face_.edges) {
                if (side_of(face_, *edge) * dot(x - to_double(edge->circle_centre), edge->normal()) < margin) {
                    inside = false;
                    break;
                }
            }
            candidate[t] = inside ? 1 : 0;
            any = any || inside;
        }
        if (!any) return;
        if (needs_region_test())
            keep_components_inside(candidate);
        for (int t = 0; t < n; ++t)
            if (candidate[t] != 0) retained_.push_back(t);
    }

    // The arcs' planes alone cannot tell a region apart from another one on
    // the same sphere or from a hole.
    bool needs_region_test() const {
        if (face_.cycle_count > 1) return true;
        return face_.type == kContactFace && face_.edges.size() > 1;
    }

    void keep_components_inside(std::vector<std::uint8_t>& candidate) const {
        const SphereTemplate& shape = *sphere_.shape;
        std::vector<BoundaryArc> boundary;
        for (std::size_t k = 0; k < face_.edges.size(); ++k) {
            // The region test wants the boundary counter-clockwise seen from
            // outside the sphere; a probe's faces run the other way.
            const std::uint8_t o = face_.orientations[k];
            boundary.push_back({face_.edges[k], static_cast<std::uint8_t>(sphere_.outward > 0 ? o : 1 - o)});
        }
        const int n = shape.point_count();
        std::vector<int> component(n, -1);
        std::vector<int> stack;
        std::vector<int> members;
        for (int seed = 0; seed < n; ++seed) {
            if (candidate[seed] == 0 || component[seed] >= 0) continue;
            members.clear();
            stack.assign(1, seed);
            component[seed] = seed;
            while (!stack.empty()) {
                const int t = stack.back();
                stack.pop_back();
                members.push_back(t);
                const TemplatePoint& point = shape.points[t];
                for (int k = 0; k < point.neighbour_count; ++k) {
                    const int u = point.neighbours[k];
                    if (candidate[u] != 0 && component[u] < 0) {
                        component[u] = seed;
                        stack.push_back(u);
                    }
                }
            }
            int verdict = 0;
            for (std::size_t k = 0; k < members.size() && k < 4 && verdict == 0; ++k)
                verdict = point_in_spherical_region(sphere_.centre + sphere_.radius * direction(members[k]),
                                                    sphere_.centre, sphere_.radius, boundary, 0.001);
            if (verdict != 1)
                for (const int t : members) candidate[t] = 0;
        }
    }

    // A face whose front failed: its boundary alone, the cycles joined into
    // one by bridges between their nearest points, closed corner by corner.
    bool close_by_corners() {
        std::vector<PlanePoint> points;
        for (const Vec3& x : boundary_positions_) points.push_back(project(x));
        std::vector<std::vector<int>> cycles(1);
        for (std::size_t k = 0; k < boundary_segments_.size(); ++k) {
            cycles.back().push_back(boundary_segments_[k].first);
            if (k + 1 < boundary_segments_.size() && boundary_segments_[k + 1].first != boundary_segments_[k].second)
                cycles.emplace_back();
        }
        std::vector<int> merged = cycles[0];
        for (std::size_t c = 1; c < cycles.size(); ++c) bridge(points, merged, cycles[c]);
        triangles_.clear();
        if (!clip_ears(points, merged, triangles_)) return false;
        retained_.clear();
        return true;
    }

    // Splices the cycle into the merged one at their nearest pair of points,
    // going out and back along the bridge between them.
    static void bridge(const std::vector<PlanePoint>& points, std::vector<int>& merged, const std::vector<int>& cycle) {
        std::size_t best_m = 0, best_c = 0;
        double best = 1e300;
        for (std::size_t m = 0; m < merged.size(); ++m)
            for (std::size_t c = 0; c < cycle.size(); ++c) {
                const PlanePoint& a = points[merged[m]];
                const PlanePoint& b = points[cycle[c]];
                const double d = (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y);
                if (d < best) {
                    best = d;
                    best_m = m;
                    best_c = c;
                }
            }
        std::vector<int> spliced(merged.begin(), merged.begin() + static_cast<long>(best_m) + 1);
        for (std::size_t k = 0; k <= cycle.size(); ++k) spliced.push_back(cycle[(best_c + k) % cycle.size()]);
        spliced.insert(spliced.end(), merged.begin() + static_cast<long>(best_m), merged.end());
        merged = std::move(spliced);
    }

    // Triangles in global indices; the template points that some triangle
    // uses become vertices, in template order.
    void store() {
        TriangulationTables& tables = run_.triangulation;
        const int boundary_count = static_cast<int>(boundary_vertices_.size());
        std::vector<int> global(boundary_count + retained_.size(), -1);
        for (int k = 0; k < boundary_count; ++k) global[k] = boundary_vertices_[k];
        for (const auto& t : triangles_)
            for (const int v : t)
                if (global[v] < 0) global[v] = 0;  // used; numbered below
        const SphereTemplate& shape = *sphere_.shape;
        for (std::size_t k = 0; k < retained_.size(); ++k) {
            int& index = global[boundary_count + k];
            if (index < 0) continue;
            index = tables.next_vertex++;
            const Vec3 d = to_double(shape.points[retained_[k]].direction);
            const Vec3 x = sphere_.centre + sphere_.radius * d;
            const Vec3 normal = sphere_.outward * d;
            tables.add_vertex({static_cast<float>(x.x), static_cast<float>(x.y), static_cast<float>(x.z)},
                              {static_cast<float>(normal.x), static_cast<float>(normal.y), static_cast<float>(normal.z)},
                              sphere_index(x), face_.id + 1);
        }
        const FaceKind kind = face_.type == kContactFace ? FaceKind::contact : FaceKind::reentrant;
        for (const auto& t : triangles_) tables.add_face(global[t[0]], global[t[1]], global[t[2]], face_.id, kind);
    }

    // A contact face's own sphere; for a probe's face the nearest of its
    // three spheres.
    int sphere_index(const Vec3& x) const {
        if (face_.type == kContactFace) return face_.sphere;
        const RS_face& rs = *face_.rs_face;
        int best = rs.i;
        double best_distance = squared_distance(x, run_.atoms[rs.i].centre());
        for (const int s : {rs.j, rs.k}) {
            const double d = squared_distance(x, run_.atoms[s].centre());
            if (d < best_distance) {
                best_distance = d;
                best = s;
            }
        }
        return best;
    }

    RunState& run_;
    SES_face& face_;
    FaceSphere sphere_;
    Vec3 e1_, e2_;
    bool gnomonic_ = false;
    std::unordered_map<int, int> local_;  // global vertex index -> boundary point
    std::vector<int> boundary_vertices_;
    std::vector<Vec3> boundary_positions_;
    std::vector<std::pair<int, int>> boundary_segments_;
    int cycle_count_ = 0;
    std::vector<int> retained_;  // template points kept, in template order
    PlanarFront front_;
    std::vector<std::array<int, 3>> triangles_;  // local point numbers
};

}  // namespace

bool triangulate_spherical_face(RunState& run, SES_face& face) {
    if (face.type == kReentrantFace && face.rs_face == nullptr) {
        print_problem("triangulation", "reentrant face %d has no reduced-surface face", face.id);
        face.bad = 1;
        return false;
    }
    FaceMesher mesher(run, face);
    if (mesher.mesh()) return true;
    if (face.type == kContactFace)
        print_problem("triangulation", "contact face %d of sphere %d cannot be closed: %s", face.id, face.sphere,
                      mesher.failure);
    else
        print_problem("triangulation", "reentrant face %d (spheres %d %d %d) cannot be closed: %s", face.id,
                      face.rs_face->i, face.rs_face->j, face.rs_face->k, mesher.failure);
    face.bad = 1;
    return false;
}

}  // namespace velmesh
