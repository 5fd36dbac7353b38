#pragma once
// The last pass over a component's closed mesh, before it is written.
//
// Triangles that the files' three decimals flatten to no area at all (a few
// hundredths of an angstrom across, where a toric face turns by a hair's
// breadth or a contact face's corner is cut) carry no area and no normal:
// an edge whose ends print as one point is collapsed into its end with the
// lower index (an existing vertex, on its sphere or probe, stays where it
// is); a triangle whose corners print in a line has its longest side
// flipped, or its shortest one collapsed where that side is shorter than the
// rounding could tell apart. Then the thinnest triangles (smallest angle
// below 10 degrees) are improved by flipping an edge inside one face of the
// surface wherever the flip raises the pair's smallest angle and the four
// corners are so nearly in a plane that the flip changes the enclosed volume
// and the area by less than the rounding of the written positions would, or,
// where a side is shorter than 0.01 (a strip as narrow), by collapsing it.
// Each change keeps the mesh closed and consistently oriented and keeps its
// genus; a change that would fold a triangle over or join two edges into one
// is not made.
#include "surface/triangulation/TriangulationTables.h"

namespace velmesh {

struct MeshCleanup {
    int collapsed = 0;     // edges collapsed (two triangles gone each)
    int flipped = 0;       // flips that removed a flat triangle
    int sliver_flips = 0;  // flips that widened a thin one
    int sliver_collapses = 0;  // short sides of thin ones collapsed
    int flat_left = 0;     // flat triangles no change could remove
};

MeshCleanup clean_mesh(TriangulationTables& tables);

}  // namespace velmesh
