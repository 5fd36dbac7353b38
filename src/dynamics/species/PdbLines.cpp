#include "dynamics/species/PdbLines.h"

#include "utils/Format.h"

namespace {

constexpr std::size_t head_columns = 30;    // columns 1-30 are copied
constexpr std::size_t coordinate_columns = 24;  // columns 31-54
constexpr std::size_t tail_column = 66;     // the input is copied again from column 67

}  // namespace

std::string make_pdb_line(std::string_view input, double charge, double radius_angstrom) {
    std::string line(input.substr(0, head_columns));
    line.resize(head_columns, ' ');
    line.append(coordinate_columns, ' ');
    line += format("%6.2f%6.2f", charge, radius_angstrom);
    if (input.size() > tail_column) line += input.substr(tail_column);
    line += '\n';
    return line;
}

std::string pdb_line_at(const std::string& line, const POINT3D& angstrom) {
    std::string out = line.substr(0, head_columns);
    out += format("%8.3f%8.3f%8.3f", angstrom.x, angstrom.y, angstrom.z);
    if (line.size() > head_columns + coordinate_columns) out += line.substr(head_columns + coordinate_columns);
    return out;
}
