#include "dynamics/reactions/StructureDump.h"

#include <stdexcept>

#include "dynamics/species/PdbLines.h"
#include "utils/Format.h"
#include "utils/geometry/OBJECT3D.h"

namespace {

// Appends every atom of X, placed relative to A's centre.
void append_instance(std::string& out, const PROT& X, const PROT_CLASS& s, const PROT& A, const COMPARTMENT* c) {
    if (s.pdb_lines.size() < s.atoms.size())
        throw std::logic_error(format("species %s has %zu atom line templates for %zu atoms", s.name.c_str(),
                                      s.pdb_lines.size(), s.atoms.size()));
    const POINT3D offset{getAxisDelta(X.x - A.x, AXIS::x, c), getAxisDelta(X.y - A.y, AXIS::y, c),
                         getAxisDelta(X.z - A.z, AXIS::z, c)};
    for (std::size_t i = 0; i < s.atoms.size(); ++i) {
        const ATOM& atom = s.atoms[i];
        const POINT3D p = (POINT3D{atom.x, atom.y, atom.z}.fromInternalRotateOnly(X) + offset) * 1e10;
        out += pdb_line_at(s.pdb_lines[i], p);
    }
}

}  // namespace

std::string structure_dump_text(const PROT& A, const PROT_CLASS& sa, const PROT& B, const PROT_CLASS& sb,
                                const COMPARTMENT* c) {
    std::string text;
    append_instance(text, A, sa, A, c);
    append_instance(text, B, sb, A, c);
    return text;
}
