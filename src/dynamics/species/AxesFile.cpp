#include "dynamics/species/AxesFile.h"

#include "dynamics/scene/Placement.h"
#include "utils/Format.h"
#include "utils/ScanNumbers.h"

namespace axes_file {

Content parse(const std::string& text) {
    Content content;
    NumberScanner numbers(text);
    double matrix[9];
    content.matrix_numbers = numbers.next(matrix, 9);
    for (int e = 0; e < content.matrix_numbers; ++e) content.rot[e / 3][e % 3] = matrix[e];
    if (content.matrix_numbers == 9) {
        double ellipsoid[2] = {0, 0};
        content.ellipsoid_numbers = numbers.next(ellipsoid, 2);
        if (content.ellipsoid_numbers == 2) {
            content.ell_a = ellipsoid[0];
            content.ell_b = ellipsoid[1];
        }
    }
    return content;
}

bool is_rotation(const double rot[3][3]) {
    // The file holds seven significant digits.
    return ::is_rotation(rot, 1e-4);
}

std::string text(const double rot[3][3], double ell_a, double ell_b, const POINT3D& mass_center) {
    std::string out;
    for (int i = 0; i < 3; ++i) out += format("%e\t%e\t%e\n", rot[i][0], rot[i][1], rot[i][2]);
    out += format("%e\t%e\n", ell_a, ell_b);
    out += format("%e\t%e\t%e\n", mass_center.x * 1e-10, mass_center.y * 1e-10, mass_center.z * 1e-10);
    return out;
}

}  // namespace axes_file
