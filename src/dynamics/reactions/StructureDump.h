#pragma once
// The structure file written when two instances react: every atom of the
// first instance, then every atom of the second, in ångström, with the first
// instance's centre at the origin and the second at its nearest periodic
// image. Each atom's line is its species' stored line (`pdb_lines`) with
// the coordinates filled in.
#include <string>

#include "dynamics/scene/PROT.h"
#include "dynamics/species/PROT_CLASS.h"
#include "utils/geometry/COMPARTMENT.h"

// The text of the dump of A (species sa) and B (species sb); differences of
// the centres fold by the minimum-image rule of `c`. Throws std::logic_error
// when a species lacks a line template for one of its atoms.
std::string structure_dump_text(const PROT& A, const PROT_CLASS& sa, const PROT& B, const PROT_CLASS& sb,
                                const COMPARTMENT* c);
