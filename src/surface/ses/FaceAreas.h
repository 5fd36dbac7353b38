#pragma once
// The analytical area of one SES face, by Gauss-Bonnet on its sphere for
// reentrant and contact faces, and by integrating over the torus for toric
// faces.
#include "surface/RunState.h"

namespace velmesh {

// Stores in each vertex of the reentrant face the exterior angle of the face
// there (from the arcs' plane normals, or from their directions at vertices
// marked for the geometric angle) and returns the face's area. A third of
// it belongs to each of its three spheres.
double reentrant_face_area(const SES_face& face, double p);

// The area of a contact face on a sphere of radius r; its corner angles are
// pi minus those of the reentrant faces at its vertices, so those must be
// stored first.
double contact_face_area(const SES_face& face, double r);

// The area of a toric face or full torus (types 3, 4 and 5); half belongs
// to each sphere of its edge.
double toric_face_area(const SES_face& face, double p);

}  // namespace velmesh
