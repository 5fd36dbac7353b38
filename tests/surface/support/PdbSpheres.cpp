#include "surface/support/PdbSpheres.h"

#include <cctype>
#include <cstdlib>
#include <fstream>

namespace surface_testing {

namespace {

std::string columns(const std::string& line, std::size_t from, std::size_t count) {
    return from < line.size() ? line.substr(from, count) : std::string();
}

// The first letter of the atom name, digits and blanks left out.
char element_of(const std::string& name) {
    for (const char c : name)
        if (std::isalpha(static_cast<unsigned char>(c))) return static_cast<char>(std::toupper(c));
    return ' ';
}

}  // namespace

std::vector<TestSphere> read_pdb_spheres(const std::string& path, double hydrogen_radius) {
    std::vector<TestSphere> spheres;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("ATOM", 0) != 0 && line.rfind("HETATM", 0) != 0) continue;
        const std::string residue = columns(line, 17, 3);
        if (residue == "HOH" || residue == "WAT") continue;
        const char alternate = line.size() > 16 ? line[16] : ' ';
        if (alternate != ' ' && alternate != 'A') continue;
        const char element = element_of(columns(line, 12, 4));
        double r = 1.80;
        if (element == 'C') r = 1.70;
        if (element == 'N') r = 1.55;
        if (element == 'O') r = 1.52;
        if (element == 'H') {
            if (hydrogen_radius <= 0) continue;
            r = hydrogen_radius;
        }
        spheres.push_back({std::atof(columns(line, 30, 8).c_str()), std::atof(columns(line, 38, 8).c_str()),
                           std::atof(columns(line, 46, 8).c_str()), r});
    }
    return spheres;
}

}  // namespace surface_testing
