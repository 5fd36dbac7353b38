#include "surface/ses/ContactFaces.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "surface/Console.h"
#include "surface/ses/ContactCycles.h"
#include "surface/ses/PointInContactFace.h"
#include "surface/ses/SESRecordMakers.h"

namespace velmesh {

namespace {

bool is_toric(const SES_face& face) {
    return face.type == kToricFace || face.type == kFullTorusFace || face.type == kSingularTorusHalfFace;
}

// Puts the cycle's arcs into the face as its cycle `cycle`, from position
// `at` on. The cycle was walked in the toric faces' direction; the contact
// face traverses it the other way round.
void insert_cycle(SES_face& face, const std::vector<SES_edge*>& cycle, std::uint8_t number, std::size_t at) {
    std::vector<SES_edge*> arcs(cycle.rbegin(), cycle.rend());
    face.edges.insert(face.edges.begin() + static_cast<std::ptrdiff_t>(at), arcs.begin(), arcs.end());
    face.orientations.insert(face.orientations.begin() + static_cast<std::ptrdiff_t>(at), arcs.size(), 0);
    for (SES_edge* arc : arcs) {
        arc->second_face = &face;
        arc->type |= kInContactFace;
        arc->cycle = number;
    }
}

// The cycle as the contact face it bounds would traverse it (as
// insert_cycle puts it in).
std::vector<BoundaryArc> boundary_of(const std::vector<SES_edge*>& cycle) {
    std::vector<BoundaryArc> boundary;
    boundary.reserve(cycle.size());
    for (auto arc = cycle.rbegin(); arc != cycle.rend(); ++arc) boundary.push_back({*arc, 0});
    return boundary;
}

// The first decisive answer for the cycle's arc starts against the face.
int cycle_against_face(const RunState& run, const std::vector<SES_edge*>& cycle, const SES_face& face) {
    for (const SES_edge* arc : cycle)
        if (const int answer = is_point_in_contact_face(run, to_double(arc->start->position), face, 0); answer != 0)
            return answer;
    return 0;
}

// The first decisive answer for the face's arc starts against the cycle
// (a face may touch the cycle at a vertex).
int face_against_cycle(const Atom& atom, const SES_face& face, const std::vector<BoundaryArc>& cycle) {
    for (const SES_edge* arc : face.edges)
        if (const int answer = point_in_spherical_region(to_double(arc->start->position), atom.centre(), atom.r, cycle, 0);
            answer != 0)
            return answer;
    return 0;
}

class ContactFaceBuilder {
public:
    explicit ContactFaceBuilder(SESContext& context) : context_(context) {}

    // Gives the cycle of arcs on the sphere its place among the sphere's
    // contact faces. False when some face could not tell whether the cycle
    // lies in it, or whether it lies in the cycle, and none gave a decisive
    // answer: the cycle still gets its place, but the grouping may be wrong.
    bool add(int sphere, const std::vector<SES_edge*>& cycle) {
        Atom& atom = context_.run.atoms[sphere];
        // Only this component's faces: a sphere that the outer surface and
        // a cavity both touch lists the faces of both.
        std::vector<SES_face*>& faces = faces_[sphere];
        bool decided = true;
        for (SES_face* face : faces) {
            const int answer = cycle_against_face(context_.run, cycle, *face);
            if (answer == 1) {
                add_inner_cycle(*face, cycle);
                return true;
            }
            if (answer == 0) {
                print_err("ERROR: find_SES_contact_faces: inf==0 for face %d\n", context_.ses.face_count);
                decided = false;
            }
        }
        // A face that lies inside the new cycle takes it as its outer cycle.
        const std::vector<BoundaryArc> boundary = boundary_of(cycle);
        for (SES_face* face : faces) {
            const int answer = face_against_cycle(atom, *face, boundary);
            if (answer == 1) {
                add_outer_cycle(*face, cycle);
                return decided;
            }
            if (answer == 0) decided = false;
        }
        SES_face& face = new_ses_face(context_.ses, kContactFace);
        face.sphere = sphere;
        insert_cycle(face, cycle, 0, 0);
        atom.contact_faces.push_back(&face);
        faces.push_back(&face);
        return decided;
    }

private:
    void add_inner_cycle(SES_face& face, const std::vector<SES_edge*>& cycle) {
        insert_cycle(face, cycle, face.cycle_count, face.edges.size());
        ++face.cycle_count;
        ++context_.ses.contact_cycle_adjustment;
    }

    void add_outer_cycle(SES_face& face, const std::vector<SES_edge*>& cycle) {
        for (SES_edge* arc : face.edges) ++arc->cycle;
        insert_cycle(face, cycle, 0, 0);
        ++face.cycle_count;
        // One more cycle on the face, as for an inner one: the Euler count
        // of the component needs the face's cycles beyond its first.
        ++context_.ses.contact_cycle_adjustment;
    }

    SESContext& context_;
    std::unordered_map<int, std::vector<SES_face*>> faces_;  // by sphere
};

}  // namespace

int find_SES_contact_faces(SESContext& context) {
    ContactFaceBuilder builder(context);
    std::unordered_set<const SES_edge*> broken;
    std::vector<SES_edge*> cycle;
    int problems = 0;
    for (SES_face* face = context.ses.faces.first(); face != nullptr; face = face->next) {
        if (!is_toric(*face)) continue;
        for (int k = 0; k < static_cast<int>(face->edges.size()); ++k) {
            SES_edge* arc = face->edges[k];
            if ((arc->type & kContactArc) == 0 || (arc->type & kInContactFace) != 0 || face->orientations[k] == 0 ||
                broken.contains(arc))
                continue;
            const int sphere = arc->start->sphere;
            if (context.run.atoms[sphere].collision_only()) continue;
            if (!walk_contact_cycle(context.ses, *face, k, cycle)) {
                print_problem("surface", "the contact cycle of sphere %d from toric face %d does not close", sphere,
                              face->id);
                face->bad = 1;
                ++problems;
                broken.insert(cycle.begin(), cycle.end());
                continue;
            }
            if (cycle.size() == 2) face->narrow = 1;
            // A cycle that could not be placed among the sphere's faces
            // leaves them possibly wrong: a problem of the toric face the
            // cycle was started from, so that the run restarts.
            if (!builder.add(sphere, cycle)) {
                print_problem("surface",
                              "a contact cycle of sphere %d (from toric face %d) cannot be placed among the sphere's "
                              "contact faces",
                              sphere, face->id);
                face->bad = 1;
                ++problems;
            }
        }
    }
    return problems;
}

}  // namespace velmesh
