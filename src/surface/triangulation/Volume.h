#pragma once
// The area and the enclosed volume of a triangulation.
#include "surface/triangulation/TriangulationTables.h"

namespace velmesh {

// Sums the triangles' areas and, by the divergence theorem, the volume they
// enclose (positive for outward-oriented triangles).
void compute_volume(const TriangulationTables& tables, double& volume, double& area);

}  // namespace velmesh
