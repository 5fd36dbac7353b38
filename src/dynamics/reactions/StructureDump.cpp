#include "dynamics/reactions/StructureDump.h"

#include <stdexcept>
#include <string_view>

#include "utils/Format.h"
#include "utils/geometry/OBJECT3D.h"

namespace {

constexpr std::string_view coordinate_field = "%8.3f";

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
        append_atom_line(out, s.pdb_lines[i], p.x, p.y, p.z);
    }
}

}  // namespace

void append_atom_line(std::string& out, const std::string& line_template, double x, double y, double z) {
    const double values[3] = {x, y, z};
    int filled = 0;
    const std::string_view text = line_template;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
        } else if (filled < 3 && text.compare(i, coordinate_field.size(), coordinate_field) == 0) {
            out += format("%8.3f", values[filled++]);
            i += coordinate_field.size() - 1;
        } else if (text.compare(i, 2, "%%") == 0) {
            out += '%';
            ++i;
        } else {
            out += '%';
        }
    }
}

std::string structure_dump_text(const PROT& A, const PROT_CLASS& sa, const PROT& B, const PROT_CLASS& sb,
                                const COMPARTMENT* c) {
    std::string text;
    append_instance(text, A, sa, A, c);
    append_instance(text, B, sb, A, c);
    return text;
}
