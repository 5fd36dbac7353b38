#include "dynamics/species/CubeFile.h"

#include <cstddef>

#include "dynamics/species/BlockWriter.h"
#include "dynamics/species/GridCell.h"
#include "utils/CLocaleScope.h"

bool write_cube(std::FILE* file, std::string_view title, std::span<const ATOM> atoms, std::span<const double> values,
                int n, double h) {
    const CLocaleScope c_numbers;
    const double origin = cell_centre(0, n, h) * bohr_per_metre;
    const double step = h * bohr_per_metre;
    std::fputs("Zelmar CUBE FILE\n", file);
    std::fwrite(title.data(), 1, title.size(), file);
    std::fprintf(file, "%5d %12.6g %12.6g %12.6g \n", static_cast<int>(atoms.size()), origin, origin, origin);
    std::fprintf(file, "%5d %12.6g %12.6g %12.6g \n", n, step, 0.0, 0.0);
    std::fprintf(file, "%5d %12.6g %12.6g %12.6g \n", n, 0.0, step, 0.0);
    std::fprintf(file, "%5d %12.6g %12.6g %12.6g \n", n, 0.0, 0.0, step);
    for (const ATOM& atom : atoms)
        std::fprintf(file, "%5d %5d %12.6g %12.6g %12.6g \n", atom.serial, 0, atom.x * bohr_per_metre,
                     atom.y * bohr_per_metre, atom.z * bohr_per_metre);
    BlockWriter out(file);
    std::size_t p = 0;
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            for (int k = 0; k < n; ++k) {
                out.number(values[p++], NumberStyle::cube_value);
                out.put(' ');
                if (k % 6 == 5 || k == n - 1) out.put('\n');
            }
    return out.finish() && std::ferror(file) == 0 && std::fflush(file) == 0;
}
