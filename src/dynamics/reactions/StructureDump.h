#pragma once
// The structure file written when two instances react: every atom of the
// first instance, then every atom of the second, in ångström, with the first
// instance's centre at the origin and the second at its nearest periodic
// image.
#include <string>

#include "dynamics/scene/PROT.h"
#include "dynamics/species/PROT_CLASS.h"
#include "utils/geometry/COMPARTMENT.h"

// One atom's line: its species' line template with the three "%8.3f"
// coordinate fields filled (C locale). The template is the atom's record as
// the structure reader kept it, not a format: "%%" stands for '%' and every
// other '%' is copied as it stands.
void append_atom_line(std::string& out, const std::string& line_template, double x, double y, double z);

// The text of the dump of A (species sa) and B (species sb); differences of
// the centres fold by the minimum-image rule of `c`. Throws std::logic_error
// when a species lacks a line template for one of its atoms.
std::string structure_dump_text(const PROT& A, const PROT_CLASS& sa, const PROT& B, const PROT_CLASS& sb,
                                const COMPARTMENT* c);
