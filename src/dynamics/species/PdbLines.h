#pragma once
// The output lines of a species' atoms (`pdb_lines`): what the transformed
// structure file and the structure dumps print for each atom.
//
// A stored line is the finished output line with its coordinate columns
// (31-54) left blank: columns 1-30 of the input line, 24 blanks, the charge
// and the radius in ångström ("%6.2f" each, in the occupancy and
// temperature-factor columns), then the input line from column 67 on, and a
// line end. The input's text is only copied, never used as a format.
#include <string>
#include <string_view>

#include "utils/geometry/POINT3D.h"

// The stored line of an atom read from `input` (without its line end).
std::string make_pdb_line(std::string_view input, double charge, double radius_angstrom);

// The stored line with the coordinates (ångström, "%8.3f" each) in columns
// 31-54.
std::string pdb_line_at(const std::string& line, const POINT3D& angstrom);
