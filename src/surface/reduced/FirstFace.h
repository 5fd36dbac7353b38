#pragma once
// The searches for a first face from which a component is grown.
//
// Of the two probe positions on three spheres (a, b, c), the "first" one is
// the one on the side of the normal of (a, b, c); a free first position gives
// the face (a, b, c), a free second position the face (a, c, b). Either way
// the face's probe lies on the side of its normal, as for every face the
// rolling finds, so rolling about a first face's edges leads away from it.
#include <functional>
#include <optional>
#include <span>

#include "surface/reduced/FaceCreation.h"

namespace velmesh {

// Any face on sphere a: for each neighbour b (not marked as having no edge)
// and each sphere c near their torus, the first free position.
std::optional<FaceCandidate> find_first_rs_face(RSContext& context, int a);

// A face on the outside of sphere a, reached from the probe touching a in the
// unit direction `outward`. When that position is free (as it is for the
// sphere reaching furthest that way) the probe rolls from it over a until it
// meets a second sphere b, then about the axis of a and b until it meets a
// third sphere c: every position on the way is free, so the face's probe lies
// in the same open space as the start (outside the molecule for an extreme
// sphere), never in a cavity behind a. None when a has no neighbour in reach
// or the torus of a and b is free all round. When the start is blocked (a
// sphere given for a cavity), the neighbours b are taken by least x - r, and
// for each c only the position with the smaller x is tried.
std::optional<FaceCandidate> find_first_rs_face_external(RSContext& context, int a,
                                                         const Vec3& outward = Vec3{-1, 0, 0});

// A face on the given two or three spheres: with three, on them; with two,
// with a third sphere that belongs to no component yet. The candidate tells
// whether the first position was the free one.
std::optional<FaceCandidate> find_first_rs_face_cavity(RSContext& context, std::span<const int> spheres);

// Hands every free face on sphere a whose other two spheres have higher
// indices to `take`, in search order, with both positions of each triple.
// The search keeps no shared list, so `take` may grow components.
void find_free_faces_above(RSContext& context, int a, const std::function<void(const FaceCandidate&)>& take);

}  // namespace velmesh
