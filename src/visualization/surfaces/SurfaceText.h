#pragma once
// The texts of the display surfaces: velmesh's sphere file of a species, a
// shape file made of velmesh's vertex and face files, and the shape file of
// the cube faces between a species' surface cells and the solvent. All in
// the C locale.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct PROT_CLASS;

// One line "x\ty\tz\tr" per atom, in atom order: positions in units of
// `grid` ångström, every atom with the radius `radius` (already in those
// units).
std::string sphere_file_text(const PROT_CLASS& species, double grid, double radius);

struct VelmeshShape {
    std::string text;                 // the shape file
    std::size_t vertices = 0;         // vertex lines read
    std::size_t faces = 0;            // faces written
    std::size_t skipped_faces = 0;    // faces naming a vertex that is not there
};

// velmesh's vertex lines (x y z first, further columns ignored) and face
// lines (three 1-based vertex numbers), each read up to the first line that
// does not parse, as a shape file: the count of corners written, then each
// face's corners with the coordinates multiplied by `grid`. A face with a
// vertex number outside 1 .. vertices is skipped.
VelmeshShape velmesh_shape_text(std::string_view vert, std::string_view face, double grid);

// The cube faces between the surface cells (x[i], y[i], z[i]) of a grid of
// `n` cells per edge, `step` ångström each, and their face neighbours of
// permittivity above 60 (solvent) as a shape file: the count of vertex
// lines written, then two triangles per face with whole-ångström corners.
// Neighbours outside the grid are not read.
std::string cells_shape_text(const std::vector<double>& eps, int n, double step, const std::vector<int>& x,
                             const std::vector<int>& y, const std::vector<int>& z);
