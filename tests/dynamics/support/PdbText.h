#pragma once
// Structure-file lines written in the standard fixed columns, for tests of
// the structure reader.
#include <cstdio>
#include <string>

namespace dynamics_testing {

struct PdbAtom {
    int serial = 1;
    std::string name = " CA ";  // columns 13-16 exactly as given
    std::string residue = "ALA";
    char chain = 'A';
    int seq = 1;
    double x = 0, y = 0, z = 0;
    std::string element;  // columns 77-78, right-justified
    std::string charge;   // columns 79-80
    char alt = ' ';       // column 17
    std::string record = "ATOM";
};

// One 80-column atom line (shorter when element and charge are both empty),
// without its line end.
inline std::string pdb_line(const PdbAtom& a) {
    char text[128];
    std::snprintf(text, sizeof text, "%-6s%5d %-4.4s%c%3.3s %c%4d    %8.3f%8.3f%8.3f%6.2f%6.2f          %2.2s%-2.2s",
                  a.record.c_str(), a.serial, a.name.c_str(), a.alt, a.residue.c_str(), a.chain, a.seq, a.x, a.y,
                  a.z, 1.0, 0.0, a.element.c_str(), a.charge.c_str());
    std::string line = text;
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

}  // namespace dynamics_testing
