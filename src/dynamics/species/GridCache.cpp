#include "dynamics/species/GridCache.h"

#include <cstdint>
#include <cstring>

#include "dynamics/species/BlockWriter.h"
#include "utils/CLocaleScope.h"

namespace {

constexpr char binary_tag[4] = {'Z', 'G', 'R', 'D'};

}  // namespace

bool write_text_grid(std::FILE* file, std::span<const double> values, int n, NumberStyle style) {
    BlockWriter out(file);
    std::size_t p = 0;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            for (int k = 0; k < n; ++k) {
                out.number(values[p++], style);
                out.put('\t');
            }
            out.put('\n');
        }
        out.put('\n');
    }
    return out.finish() && std::ferror(file) == 0;
}

bool write_text_shape(std::FILE* file, const GridShape& shape) {
    const CLocaleScope c_numbers;
    std::fprintf(file, "# grid %d cells per edge, step %.17g m\n", shape.n, shape.h);
    return std::ferror(file) == 0;
}

std::optional<std::vector<double>> read_text_grid(std::FILE* file, const GridShape& shape) {
    const CLocaleScope c_numbers;
    std::vector<double> values(shape.cells());
    for (double& value : values)
        if (std::fscanf(file, "%le", &value) != 1) return std::nullopt;
    int n = 0;
    double h = 0.0;
    char end = 0;
    // Nothing but white space after the values: a cache without the record.
    if (std::fscanf(file, " %c", &end) != 1) return values;
    if (end != '#' || std::fscanf(file, " grid %d cells per edge, step %le m", &n, &h) != 2) return std::nullopt;
    if (n != shape.n || h != shape.h) return std::nullopt;
    return values;
}

bool write_binary_grid(std::FILE* file, std::span<const double> values, const GridShape& shape) {
    const std::int32_t n = shape.n;
    const bool written = std::fwrite(values.data(), sizeof(double), values.size(), file) == values.size() &&
                         std::fwrite(binary_tag, 1, sizeof binary_tag, file) == sizeof binary_tag &&
                         std::fwrite(&n, sizeof n, 1, file) == 1 && std::fwrite(&shape.h, sizeof shape.h, 1, file) == 1;
    return written && std::fflush(file) == 0;
}

std::optional<std::vector<double>> read_binary_grid(std::FILE* file, const GridShape& shape) {
    std::vector<double> values(shape.cells());
    if (std::fread(values.data(), sizeof(double), values.size(), file) != values.size()) return std::nullopt;
    unsigned char record[17];
    const std::size_t extra = std::fread(record, 1, sizeof record, file);
    if (extra == 0) return values;  // a cache without the record
    if (extra != 16 || std::memcmp(record, binary_tag, sizeof binary_tag) != 0) return std::nullopt;
    std::int32_t n = 0;
    double h = 0.0;
    std::memcpy(&n, record + 4, sizeof n);
    std::memcpy(&h, record + 8, sizeof h);
    if (n != shape.n || h != shape.h) return std::nullopt;
    return values;
}
