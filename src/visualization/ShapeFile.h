#pragma once
// Shape files: the text meshes of the species. A shape file holds a vertex
// count, then that many vertices as three numbers each (x y z, ångström,
// body frame), white space (CR LF too) between them; consecutive triples are
// triangles. Numbers are read in the C locale whatever the process has set.
//
// The count is not trusted: vertices are read as they come and only
// triangles whose three vertices were read completely are kept, so a huge
// count costs nothing up front, a negative one reads nothing, and a short
// file gives the triangles it holds. Vertices after the counted ones are not
// read.
#include <string>
#include <string_view>

#include "visualization/Mesh.h"

struct ShapeText {
    Mesh mesh;
    std::string problem;  // what was wrong with the text; empty when nothing was
};

ShapeText read_shape_text(std::string_view text);

// The mesh of the shape file `path`; what was wrong with the file (it cannot
// be opened, has no count, is short, ...) is logged as one warning.
Mesh read_shape_file(const std::string& path);
