#include "dynamics/species/SpheresFile.h"

#include <cmath>

#include "dynamics/species/BodyFrame.h"
#include "utils/Format.h"
#include "utils/ScanNumbers.h"

namespace covering_spheres {

std::vector<SPHERE> parse_spheres(const std::string& text, const PROT_CLASS& species) {
    std::vector<SPHERE> spheres;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        double v[4];
        if (NumberScanner(std::string_view(text).substr(start, end - start)).next(v, 4) == 4) {
            spheres.push_back(SPHERE{body_position(species, POINT3D{v[0], v[1], v[2]}), v[3] * 1e-10});
        }
        start = end + 1;
    }
    return spheres;
}

bool usable(const SPHERE& sphere) {
    return std::isfinite(sphere.x) && std::isfinite(sphere.y) && std::isfinite(sphere.z) && std::isfinite(sphere.r) &&
           sphere.r > 0.0;
}

std::string sphere_line(const SPHERE& sphere, const PROT_CLASS& species) {
    const POINT3D p = structure_position(species, sphere);
    return format("%f\t%f\t%f\t%f\n", p.x, p.y, p.z, sphere.r * 1e10);
}

}  // namespace covering_spheres
